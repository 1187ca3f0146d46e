// The process's table of live handlers and loopers, by token.
//
// Messengers and loopers find their targets here instead of keeping pointers: an entry
// disappears when its handler is destroyed, so a lookup never yields freed memory. One
// mutex guards the table; nothing is called out of it while that mutex is held.
#ifndef BRINDLE_APP_PRIVATE_HANDLER_REGISTRY_H
#define BRINDLE_APP_PRIVATE_HANDLER_REGISTRY_H

#include <memory>

#include <SupportDefs.h>

class BHandler;
class BLooper;

namespace BPrivate {

class LooperState;

// What a lookup of a looper finds: its state (kept alive by the reference) and, while
// the looper lives, the looper itself.
struct LooperReference {
    std::shared_ptr<LooperState> state;
    BLooper *looper = nullptr;
};

namespace handler_registry {

// A new token for `handler`, which belongs to no looper yet.
int32 add_handler(BHandler *handler);
void remove_handler(int32 token);
// Records which looper (by token, -1: none) the handler belongs to.
void set_handler_looper(int32 token, int32 looperToken);
// The handler with `token` if it belongs to the looper with `looperToken`.
BHandler *handler_in_looper(int32 token, int32 looperToken);
// The looper token `token`'s handler belongs to; -1 if none; B_BAD_HANDLER if gone.
int32 looper_of_handler(int32 token);

// Loopers: a handler entry that also has a state.
void add_looper(int32 token, BLooper *looper, std::shared_ptr<LooperState> state);
// The looper stops being found (its state lives on in whoever holds it).
void remove_looper(int32 token, BLooper *looper);
LooperReference find_looper(int32 token);
// A messenger's target in one look: B_BAD_PORT_ID when the looper is gone,
// B_BAD_HANDLER when the handler (unless `preferred`) is gone or left it.
status_t find_target(int32 handlerToken, int32 looperToken, bool preferred,
                     LooperReference *target);
// Finds a looper by its address, as Lock() does before it touches the object.
std::shared_ptr<LooperState> find_looper_state(const BLooper *looper);
BLooper *looper_for_thread(thread_id thread);

}  // namespace handler_registry
}  // namespace BPrivate

#endif  // BRINDLE_APP_PRIVATE_HANDLER_REGISTRY_H
