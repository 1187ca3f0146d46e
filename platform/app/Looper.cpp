#include <Looper.h>

#include <unistd.h>

#include <algorithm>

#include <AppDefs.h>
#include <HandlerRegistry.h>
#include <LooperState.h>

using BPrivate::LooperState;
using BPrivate::QueuedMessage;
namespace registry = BPrivate::handler_registry;

BLooper::BLooper(const char *name, int32, int32)
    : BHandler(name), fState(std::make_shared<LooperState>()) {
    fHandlers.push_back(this);
    _SetLooper(this);
    registry::add_looper(Token(), this, fState);
}

BLooper::~BLooper() {
    // No lookup finds the looper from here on, and nothing can be posted to it. (Quit
    // has done this already, before the subclasses' destructors ran.)
    registry::remove_looper(Token(), this);
    fState->RequestStop();
    if (fThread.joinable()) {
        if (fThread.get_id() == std::this_thread::get_id()) {
            fThread.detach();
        } else {
            // The loop may be waiting for a lock this thread holds.
            fState->ReleaseAll();
            fThread.join();
        }
    }
    fState->LoopEnded();
    _DetachHandlers();
}

void BLooper::_DetachHandlers() {
    std::vector<BHandler *> handlers;
    {
        brindle::MutexLock lock(fHandlersLock);
        handlers.swap(fHandlers);
        fPreferred = nullptr;
    }
    for (BHandler *handler : handlers)
        handler->_SetLooper(nullptr);
}

// --- posting ---

status_t BLooper::PostMessage(uint32 command) {
    BMessage message(command);
    return _Post(&message, Token(), false, nullptr);
}

status_t BLooper::PostMessage(BMessage *message) {
    if (message == nullptr)
        return B_BAD_VALUE;
    return _Post(message, Token(), false, nullptr);
}

status_t BLooper::PostMessage(uint32 command, BHandler *handler, BHandler *replyTo) {
    BMessage message(command);
    return PostMessage(&message, handler, replyTo);
}

status_t BLooper::PostMessage(BMessage *message, BHandler *handler, BHandler *replyTo) {
    if (message == nullptr)
        return B_BAD_VALUE;
    if (handler == nullptr)
        return _Post(message, -1, true, replyTo);
    if (registry::looper_of_handler(handler->Token()) != Token())
        return B_MISMATCHED_VALUES;
    return _Post(message, handler->Token(), false, replyTo);
}

status_t BLooper::_Post(const BMessage *message, int32 handlerToken, bool usePreferred,
                        BHandler *replyTo) {
    QueuedMessage entry;
    entry.message.reset(new BMessage(*message));
    entry.message->fWasDelivered = true;
    if (replyTo != nullptr) {
        int32 replyLooper = registry::looper_of_handler(replyTo->Token());
        if (replyLooper >= 0) {
            entry.message->fReplyHandlerToken = replyTo->Token();
            entry.message->fReplyLooperToken = replyLooper;
            entry.message->fReplyToPreferred = false;
        }
    }
    entry.handlerToken = handlerToken;
    entry.usePreferred = usePreferred;
    return fState->Post(std::move(entry));
}

// --- dispatching ---

void BLooper::DispatchMessage(BMessage *message, BHandler *handler) {
    if (message == nullptr || handler == nullptr)
        return;
    if (message->what == B_QUIT_REQUESTED && handler == this) {
        if (QuitRequested())
            Quit();
        return;
    }
    handler->MessageReceived(message);
}

void BLooper::MessageReceived(BMessage *message) {
    BHandler::MessageReceived(message);
}

BMessage *BLooper::DetachCurrentMessage() {
    BMessage *message = fCurrentMessage;
    if (message != nullptr)
        fCurrentDetached = true;
    fCurrentMessage = nullptr;
    return message;
}

bool BLooper::IsMessageWaiting() const {
    return fState->IsMessageWaiting();
}

BHandler *BLooper::_ResolveTarget(int32 handlerToken, bool usePreferred) {
    if (usePreferred) {
        BHandler *preferred = PreferredHandler();
        return preferred != nullptr ? preferred : this;
    }
    return registry::handler_in_looper(handlerToken, Token());
}

void BLooper::RunLoop(bool ownThread) {
    // A local reference: after the loop ends this looper may already be deleted by the
    // thread that quit it.
    std::shared_ptr<LooperState> state = fState;
    for (;;) {
        QueuedMessage entry;
        if (!state->Take(&entry))
            break;
        if (state->Lock(B_INFINITE_TIMEOUT, true) != B_OK)
            break;
        // A handler deleted or moved since the message was posted gets nothing.
        BHandler *handler = _ResolveTarget(entry.handlerToken, entry.usePreferred);
        if (handler != nullptr) {
            fCurrentMessage = entry.message.get();
            fCurrentDetached = false;
            DispatchMessage(fCurrentMessage, handler);
            if (fCurrentDetached)
                (void)entry.message.release();
            fCurrentMessage = nullptr;
        }
        bool end = state->ShouldEndLoop();
        if (end) {
            // Waiters on the lock wake to a looper that is gone before it is released.
            state->LoopEnded();
            state->ReleaseAll();
            break;
        }
        state->Unlock();
    }

    LooperState::QuitMode mode = state->Mode();
    state->LoopEnded();
    if (ownThread && mode == LooperState::kQuitOnOwnThread) {
        // Quit() on our own thread: nobody waits for this thread, it ends the looper.
        fThread.detach();
        registry::remove_looper(Token(), this);
        delete this;
    }
}

// --- handlers ---

void BLooper::AddHandler(BHandler *handler) {
    if (handler == nullptr || handler->Looper() != nullptr)
        return;
    {
        brindle::MutexLock lock(fHandlersLock);
        fHandlers.push_back(handler);
    }
    handler->_SetLooper(this);
}

bool BLooper::RemoveHandler(BHandler *handler) {
    if (handler == nullptr || handler == this)
        return false;
    {
        brindle::MutexLock lock(fHandlersLock);
        auto found = std::find(fHandlers.begin(), fHandlers.end(), handler);
        if (found == fHandlers.end())
            return false;
        fHandlers.erase(found);
        if (fPreferred == handler)
            fPreferred = nullptr;
    }
    handler->_SetLooper(nullptr);
    return true;
}

int32 BLooper::CountHandlers() const {
    brindle::MutexLock lock(fHandlersLock);
    return static_cast<int32>(fHandlers.size());
}

BHandler *BLooper::HandlerAt(int32 index) const {
    brindle::MutexLock lock(fHandlersLock);
    if (index < 0 || static_cast<size_t>(index) >= fHandlers.size())
        return nullptr;
    return fHandlers[index];
}

int32 BLooper::IndexOf(BHandler *handler) const {
    brindle::MutexLock lock(fHandlersLock);
    auto found = std::find(fHandlers.begin(), fHandlers.end(), handler);
    return found == fHandlers.end() ? -1 : static_cast<int32>(found - fHandlers.begin());
}

BHandler *BLooper::PreferredHandler() const {
    brindle::MutexLock lock(fHandlersLock);
    return fPreferred;
}

void BLooper::SetPreferredHandler(BHandler *handler) {
    brindle::MutexLock lock(fHandlersLock);
    if (handler != nullptr &&
        std::find(fHandlers.begin(), fHandlers.end(), handler) == fHandlers.end())
        handler = nullptr;
    fPreferred = handler;
}

// --- running and quitting ---

thread_id BLooper::Run() {
    std::shared_ptr<LooperState> state = fState;
    return state->StartThread(&fThread, [this] { RunLoop(true); });
}

void BLooper::Quit() {
    std::shared_ptr<LooperState> state = fState;
    // Quit() wants the lock; a caller without it gets it here, as on the original platform.
    if (!state->IsLockedByCaller() && !Lock())
        return;

    if (!state->IsRunning()) {
        // Nobody else may get the lock between here and the deletion.
        state->MarkQuitting();
        state->ReleaseAll();
        registry::remove_looper(Token(), this);
        delete this;
        return;
    }

    if (state->Thread() == BPrivate::current_thread()) {
        // Inside a dispatch: the loop ends when it returns, and deletes the looper then.
        state->RequestQuitOnOwnThread();
        return;
    }

    if (!state->RequestQuitFromOtherThread()) {
        // Another Quit owns the ending.
        state->ReleaseAll();
        return;
    }
    // We need to release the lock (all levels): the thread must be able to dispatch what
    // was posted before the quit before it reaches the end.
    state->ReleaseAll();
    if (fThread.joinable())
        fThread.join();
    else
        state->WaitForLoopEnd();
    registry::remove_looper(Token(), this);
    delete this;
}

bool BLooper::QuitRequested() {
    return true;
}

// --- locking ---

bool BLooper::Lock() {
    // The pointer is checked against the live loopers before anything of it is touched.
    std::shared_ptr<LooperState> state = registry::find_looper_state(this);
    if (state == nullptr)
        return false;
    return state->Lock(B_INFINITE_TIMEOUT) == B_OK;
}

void BLooper::Unlock() {
    fState->Unlock();
}

status_t BLooper::LockWithTimeout(bigtime_t timeout) {
    std::shared_ptr<LooperState> state = registry::find_looper_state(this);
    if (state == nullptr)
        return B_BAD_VALUE;
    return state->Lock(timeout);
}

bool BLooper::IsLocked() const {
    return fState->IsLockedByCaller();
}

thread_id BLooper::LockingThread() const {
    return fState->LockingThread();
}

int32 BLooper::CountLocks() const {
    return fState->CountLocks();
}

status_t BLooper::WaitForIdle(bigtime_t timeout) {
    // Callers wait on loopers that may quit themselves meanwhile: look this one up among
    // the live loopers before touching any of it, as Lock() does.
    std::shared_ptr<LooperState> state = registry::find_looper_state(this);
    if (state == nullptr)
        return B_BAD_PORT_ID;
    return state->WaitForIdle(timeout);
}

void BLooper::SetIdleHook(void (*hook)()) {
    BPrivate::LooperState::SetIdleHook(hook);
}

thread_id BLooper::Thread() const {
    return fState->Thread();
}

team_id BLooper::Team() const {
    return static_cast<team_id>(getpid());
}

BLooper *BLooper::LooperForThread(thread_id thread) {
    return registry::looper_for_thread(thread);
}
