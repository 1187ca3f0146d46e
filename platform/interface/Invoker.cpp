#include <Invoker.h>

#include <ctime>

BInvoker::BInvoker() = default;

BInvoker::BInvoker(BMessage *message, const BHandler *handler, const BLooper *looper)
    : fMessage(message) {
    if (handler != nullptr || looper != nullptr)
        fMessenger = BMessenger(handler, looper);
}

BInvoker::BInvoker(BMessage *message, BMessenger target) : fMessage(message), fMessenger(target) {}

BInvoker::~BInvoker() {
    delete fMessage;
}

status_t BInvoker::SetMessage(BMessage *message) {
    BMessage *previous = nullptr;
    {
        brindle::MutexLock lock(fInvokerLock);
        if (message == fMessage)
            return B_OK;
        previous = fMessage;
        fMessage = message;
    }
    delete previous;
    return B_OK;
}

BMessage *BInvoker::Message() const {
    brindle::MutexLock lock(fInvokerLock);
    return fMessage;
}

uint32 BInvoker::Command() const {
    brindle::MutexLock lock(fInvokerLock);
    return fMessage != nullptr ? fMessage->what : 0;
}

bool BInvoker::CopyMessage(BMessage *copy) const {
    if (copy == nullptr)
        return false;
    brindle::MutexLock lock(fInvokerLock);
    if (fMessage == nullptr)
        return false;
    *copy = *fMessage;
    return true;
}

status_t BInvoker::SetTarget(const BHandler *handler, const BLooper *looper) {
    BMessenger messenger;
    if (handler != nullptr || looper != nullptr)
        messenger = BMessenger(handler, looper);
    return SetTarget(messenger);
}

status_t BInvoker::SetTarget(BMessenger messenger) {
    brindle::MutexLock lock(fInvokerLock);
    fMessenger = messenger;
    return B_OK;
}

BMessenger BInvoker::Messenger() const {
    brindle::MutexLock lock(fInvokerLock);
    return fMessenger;
}

bool BInvoker::HasValidTarget() const {
    return Messenger().IsValid();
}

status_t BInvoker::Invoke(BMessage *message) {
    BMessage copy;
    BMessenger target;
    status_t status = CopyInvocation(message, &copy, &target);
    if (status != B_OK)
        return status;
    return target.SendMessage(&copy);
}

status_t BInvoker::CopyInvocation(const BMessage *message, BMessage *copy,
                                  BMessenger *target) const {
    brindle::MutexLock lock(fInvokerLock);
    const BMessage *source = message != nullptr ? message : fMessage;
    if (source == nullptr)
        return B_BAD_VALUE;
    *copy = *source;
    *target = fMessenger;
    return B_OK;
}

int64 BInvoker::InvocationTime() {
    timespec now = {0, 0};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}
