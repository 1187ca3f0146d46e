#include <Application.h>

#include <vector>

#include <AppDefs.h>
#include <LooperState.h>
#include <RosterServer.h>
#include <RosterSupport.h>

BApplication *be_app = nullptr;
BMessenger be_app_messenger;

BApplication::BApplication(const char *signature) : BLooper(signature) {
    _Init(signature);
}

BApplication::BApplication(const char *signature, status_t *error) : BLooper(signature) {
    _Init(signature);
    if (error != nullptr)
        *error = fInitStatus;
}

BApplication::BApplication(const char *signature, roster_message_hook hook, status_t *error)
    : BLooper(signature), fHook(std::move(hook)) {
    _Init(signature);
    if (error != nullptr)
        *error = fInitStatus;
}

void BApplication::_Init(const char *signature) {
    if (!BPrivate::roster::valid_signature(signature)) {
        fInitStatus = B_BAD_VALUE;
        return;
    }
    fSignature.SetTo(signature);
    if (be_app != nullptr) {
        fInitStatus = B_ALREADY_RUNNING;
        return;
    }
    be_app = this;
    be_app_messenger = BMessenger(this);
    fInitStatus = B_OK;
    fRegistrationStatus = BPrivate::RosterServer::Start(
        signature, [this](BMessage *message) { return _DeliverRosterMessage(message); },
        &fRosterServer);
}

BApplication::~BApplication() {
    // The listener delivers to this object: it stops first.
    fRosterServer.reset();
    if (be_app == this) {
        be_app = nullptr;
        be_app_messenger = BMessenger();
    }
}

status_t BApplication::_DeliverRosterMessage(BMessage *message) {
    roster_message_hook hook;
    {
        brindle::MutexLock lock(fHookLock);
        hook = fHook;
    }
    if (hook) {
        hook(message);
        return B_OK;
    }
    return PostMessage(message);
}

void BApplication::SetRosterMessageHook(roster_message_hook hook) {
    brindle::MutexLock lock(fHookLock);
    fHook = std::move(hook);
}

thread_id BApplication::Run() {
    const std::shared_ptr<BPrivate::LooperState> &state = State();
    if (state->IsRunning() || state->IsQuitting())
        return B_BAD_THREAD_STATE;
    // Behind whatever is already queued, such as a message from the roster, and queued
    // before the loop counts as running: a WaitForIdle from another thread that sees it
    // running then waits for ReadyToRun too.
    PostMessage(B_READY_TO_RUN);
    thread_id thread = state->StartOnCaller();
    if (thread < 0)
        return thread;
    RunLoop(false);
    return thread;
}

void BApplication::Quit() {
    const std::shared_ptr<BPrivate::LooperState> &state = State();
    if (!state->IsRunning()) {
        BLooper::Quit();
        return;
    }
    if (state->Thread() == BPrivate::current_thread())
        state->RequestQuitOnOwnThread();
    else
        state->RequestQuitFromOtherThread();
    // Run() returns once the loop ends; whoever called it deletes the application.
}

bool BApplication::QuitRequested() {
    return true;
}

void BApplication::ReadyToRun() {}

void BApplication::ArgvReceived(int32, char **) {}

void BApplication::DispatchMessage(BMessage *message, BHandler *handler) {
    if (message == nullptr || handler != this) {
        BLooper::DispatchMessage(message, handler);
        return;
    }
    switch (message->what) {
        case B_READY_TO_RUN:
            ReadyToRun();
            break;
        case B_ARGV_RECEIVED: {
            std::vector<char *> arguments;
            const char *argument = nullptr;
            for (int32 i = 0; message->FindString("argv", i, &argument) == B_OK; i++)
                arguments.push_back(const_cast<char *>(argument));
            if (!arguments.empty()) {
                arguments.push_back(nullptr);
                ArgvReceived(static_cast<int32>(arguments.size() - 1), arguments.data());
            }
            break;
        }
        default:
            BLooper::DispatchMessage(message, handler);
            break;
    }
}
