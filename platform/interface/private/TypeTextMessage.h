// The private message that carries a user's typing to the window's thread.
#ifndef BRINDLE_INTERFACE_PRIVATE_TYPE_TEXT_MESSAGE_H
#define BRINDLE_INTERFACE_PRIVATE_TYPE_TEXT_MESSAGE_H

#include <SupportDefs.h>

namespace BPrivate {

enum : uint32 { kTypeTextMessage = '_TYP' };
constexpr const char *kTypeTextView = "be:view";
constexpr const char *kTypeTextText = "be:text";

}  // namespace BPrivate

#endif  // BRINDLE_INTERFACE_PRIVATE_TYPE_TEXT_MESSAGE_H
