#include <Messenger.h>

#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <HandlerRegistry.h>
#include <LooperState.h>

using BPrivate::LooperReference;
using BPrivate::QueuedMessage;
namespace registry = BPrivate::handler_registry;

BMessenger::BMessenger() = default;

BMessenger::BMessenger(const BHandler *handler, const BLooper *looper, status_t *result) {
    status_t status = B_OK;
    if (handler != nullptr) {
        int32 handlerLooper = registry::looper_of_handler(handler->Token());
        if (handlerLooper < 0) {
            status = B_BAD_HANDLER;
        } else if (looper != nullptr && looper->Token() != handlerLooper) {
            status = B_MISMATCHED_VALUES;
        } else {
            fHandlerToken = handler->Token();
            fLooperToken = handlerLooper;
        }
    } else if (looper != nullptr) {
        if (registry::find_looper(looper->Token()).state == nullptr) {
            status = B_BAD_PORT_ID;
        } else {
            fLooperToken = looper->Token();
            fPreferred = true;
        }
    } else {
        status = B_BAD_VALUE;
    }
    if (result != nullptr)
        *result = status;
}

BMessenger::BMessenger(int32 handlerToken, int32 looperToken, bool preferred)
    : fHandlerToken(preferred ? -1 : handlerToken),
      fLooperToken(looperToken),
      fPreferred(preferred) {}

bool BMessenger::IsValid() const {
    LooperReference target;
    if (registry::find_target(fHandlerToken, fLooperToken, fPreferred, &target) != B_OK)
        return false;
    // A quitting looper takes no more messages.
    return !target.state->IsQuitting();
}

BHandler *BMessenger::Target(BLooper **looper) const {
    LooperReference target = registry::find_looper(fLooperToken);
    if (looper != nullptr)
        *looper = target.looper;
    if (target.looper == nullptr || fPreferred)
        return nullptr;
    return registry::handler_in_looper(fHandlerToken, fLooperToken);
}

bool BMessenger::LockTarget() const {
    return LockTargetWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

status_t BMessenger::LockTargetWithTimeout(bigtime_t timeout) const {
    LooperReference target = registry::find_looper(fLooperToken);
    if (target.state == nullptr)
        return B_BAD_PORT_ID;
    status_t status = target.state->Lock(timeout);
    return status == B_BAD_VALUE ? B_BAD_PORT_ID : status;
}

status_t BMessenger::SendMessage(uint32 command, BHandler *replyTo) const {
    BMessage message(command);
    return SendMessage(&message, replyTo);
}

status_t BMessenger::SendMessage(BMessage *message, BHandler *replyTo) const {
    BMessenger reply;
    if (replyTo != nullptr)
        reply = BMessenger(replyTo);
    return SendMessage(message, reply);
}

status_t BMessenger::SendMessage(BMessage *message, BMessenger replyTo) const {
    if (message == nullptr)
        return B_BAD_VALUE;
    // The state stays alive while we hold it, even if the looper is deleted meanwhile;
    // a looper that quit refuses the post.
    LooperReference target;
    status_t status = registry::find_target(fHandlerToken, fLooperToken, fPreferred, &target);
    if (status != B_OK)
        return status;

    QueuedMessage entry;
    entry.message.reset(new BMessage(*message));
    entry.message->fWasDelivered = true;
    entry.message->fReplyHandlerToken = replyTo.fHandlerToken;
    entry.message->fReplyLooperToken = replyTo.fLooperToken;
    entry.message->fReplyToPreferred = replyTo.fPreferred;
    entry.handlerToken = fHandlerToken;
    entry.usePreferred = fPreferred;
    return target.state->Post(std::move(entry));
}

bool BMessenger::operator==(const BMessenger &other) const {
    return fLooperToken == other.fLooperToken && fHandlerToken == other.fHandlerToken &&
           fPreferred == other.fPreferred;
}

bool BMessenger::operator<(const BMessenger &other) const {
    if (fLooperToken != other.fLooperToken)
        return fLooperToken < other.fLooperToken;
    if (fHandlerToken != other.fHandlerToken)
        return fHandlerToken < other.fHandlerToken;
    return fPreferred < other.fPreferred;
}
