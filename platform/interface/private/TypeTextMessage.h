// The private message that carries a user's typing to the window's thread.
#ifndef _TYPE_TEXT_MESSAGE_H
#define _TYPE_TEXT_MESSAGE_H

#include <SupportDefs.h>

namespace BPrivate {

enum : uint32 { kTypeTextMessage = '_TYP' };
constexpr const char *kTypeTextView = "be:view";
constexpr const char *kTypeTextText = "be:text";

}  // namespace BPrivate

#endif  // _TYPE_TEXT_MESSAGE_H
