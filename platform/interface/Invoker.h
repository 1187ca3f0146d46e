// BInvoker: a message and the target it is sent to when the object is invoked.
//
// The message is a template: each invocation sends a copy. The target is kept as a
// BMessenger, so invoking an object whose target looper is gone fails with an error
// instead of touching freed memory. Thread safe: the message and target are guarded
// by a mutex of the invoker's, which is released before anything is sent.
#ifndef BRINDLE_INTERFACE_INVOKER_H
#define BRINDLE_INTERFACE_INVOKER_H

#include <Message.h>
#include <Messenger.h>
#include <Mutex.h>

class BHandler;
class BLooper;

class BInvoker {
public:
    BInvoker();
    // Takes ownership of `message` (may be null).
    BInvoker(BMessage *message, const BHandler *handler, const BLooper *looper = nullptr);
    BInvoker(BMessage *message, BMessenger target);
    virtual ~BInvoker();

    BInvoker(const BInvoker &) = delete;
    BInvoker &operator=(const BInvoker &) = delete;

    // Takes ownership of `message` (may be null) and deletes the previous one.
    virtual status_t SetMessage(BMessage *message);
    // The template itself: valid until the next SetMessage(). Other threads should
    // prefer Command() or CopyMessage().
    BMessage *Message() const;
    // The template's code, 0 without a message.
    uint32 Command() const;
    // Copies the template into `copy`; false without a message.
    bool CopyMessage(BMessage *copy) const;

    virtual status_t SetTarget(const BHandler *handler, const BLooper *looper = nullptr);
    virtual status_t SetTarget(BMessenger messenger);
    BMessenger Messenger() const;
    bool HasValidTarget() const;

    // Sends a copy of `message`, or of Message() when null, to the target.
    // B_BAD_VALUE without a message; the messenger's error without a live target.
    virtual status_t Invoke(BMessage *message = nullptr);

protected:
    // Copies what an invocation sends (`message`, or the template when null) and the
    // target, under the lock. B_BAD_VALUE when there is nothing to send.
    status_t CopyInvocation(const BMessage *message, BMessage *copy, BMessenger *target) const;
    // The "when" of an invocation: microseconds of the monotonic clock.
    static int64 InvocationTime();

private:
    mutable brindle::Mutex fInvokerLock;
    BMessage *fMessage GUARDED_BY(fInvokerLock) = nullptr;
    BMessenger fMessenger GUARDED_BY(fInvokerLock);
};

#endif  // BRINDLE_INTERFACE_INVOKER_H
