// BMessenger: a target (a handler in a looper, or a looper's preferred handler) named by
// tokens, never by a pointer it would dereference.
//
// Sending to a target that is gone is an error, never a touch of freed memory: the
// tokens are looked up in the process's table of live handlers and loopers, and the
// message is queued in state that outlives the looper. A looper that was deleted or is
// quitting gives B_BAD_PORT_ID; a handler that was deleted or left the looper gives
// B_BAD_HANDLER. Messengers are plain values: copy them, compare them, keep them in sets.
#ifndef BRINDLE_APP_MESSENGER_H
#define BRINDLE_APP_MESSENGER_H

#include <SupportDefs.h>

class BHandler;
class BLooper;
class BMessage;

class BMessenger {
public:
    BMessenger();
    // Aims at `handler` (which must belong to a looper; if `looper` is given as well it
    // must be the handler's), or, with a null handler, at `looper`'s preferred handler.
    // `result`: B_OK, B_BAD_VALUE (neither given), B_BAD_HANDLER (handler in no looper),
    // B_MISMATCHED_VALUES (handler in another looper), B_BAD_PORT_ID (looper gone).
    BMessenger(const BHandler *handler, const BLooper *looper = nullptr,
               status_t *result = nullptr);
    BMessenger(const BMessenger &other) = default;
    BMessenger &operator=(const BMessenger &other) = default;
    ~BMessenger() = default;

    // Whether the target's looper is alive and not quitting, and the handler (if one is
    // aimed at) still belongs to it.
    bool IsValid() const;
    bool IsTargetLocal() const { return IsValid(); }

    // The target and its looper as pointers, null when gone. Valid only while the caller
    // keeps the target alive (e.g. by holding the looper's lock); prefer LockTarget().
    BHandler *Target(BLooper **looper) const;
    // Locks the target's looper; false when it is gone or quitting.
    bool LockTarget() const;
    status_t LockTargetWithTimeout(bigtime_t timeout) const;

    // Posts a copy of the message. `replyTo` becomes its return address.
    status_t SendMessage(uint32 command, BHandler *replyTo = nullptr) const;
    status_t SendMessage(BMessage *message, BHandler *replyTo = nullptr) const;
    status_t SendMessage(BMessage *message, BMessenger replyTo) const;

    bool operator==(const BMessenger &other) const;
    bool operator!=(const BMessenger &other) const { return !(*this == other); }
    bool operator<(const BMessenger &other) const;

    // Tokens of the target; -1 when unset.
    int32 HandlerToken() const { return fHandlerToken; }
    int32 LooperToken() const { return fLooperToken; }

private:
    friend class BMessage;

    // A handler token of -1 aims at the looper's preferred handler.
    BMessenger(int32 handlerToken, int32 looperToken, bool preferred);

    int32 fHandlerToken = -1;
    int32 fLooperToken = -1;
    bool fPreferred = false;
};

#endif  // BRINDLE_APP_MESSENGER_H
