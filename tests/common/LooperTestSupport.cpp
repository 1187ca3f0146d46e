#include "LooperTestSupport.h"

namespace looper_test {

void Latch::Open() {
    std::lock_guard<std::mutex> lock(fLock);
    fOpen = true;
    fChanged.notify_all();
}

bool Latch::Wait() {
    std::unique_lock<std::mutex> lock(fLock);
    return fChanged.wait_for(lock, kHangGuard, [this] { return fOpen; });
}

bool Latch::IsOpen() {
    std::lock_guard<std::mutex> lock(fLock);
    return fOpen;
}

void FunctionQueue::Push(std::function<void()> function) {
    std::lock_guard<std::mutex> lock(fLock);
    fFunctions.push_back(std::move(function));
}

bool FunctionQueue::Run(const BMessage *message) {
    if (message->what != kRunFunction)
        return false;
    std::function<void()> function;
    {
        std::lock_guard<std::mutex> lock(fLock);
        if (!fFunctions.empty()) {
            function = std::move(fFunctions.front());
            fFunctions.erase(fFunctions.begin());
        }
    }
    // Outside the lock: the function may hand the queue another one.
    if (function)
        function();
    return true;
}

RecordingLooper::RecordingLooper(const char *name)
    : BLooper(name), fDestroyedFuture(fDestroyed.get_future().share()) {}

RecordingLooper::~RecordingLooper() {
    fDestroyed.set_value(std::this_thread::get_id());
}

void RecordingLooper::MessageReceived(BMessage *message) {
    if (fFunctions.Run(message))
        return;
    std::lock_guard<std::mutex> lock(fLock);
    fHandled.push_back(*message);
}

status_t RecordingLooper::RunOnLooperThread(std::function<void()> function) {
    fFunctions.Push(std::move(function));
    return PostMessage(kRunFunction);
}

std::vector<BMessage> RecordingLooper::Handled() {
    std::lock_guard<std::mutex> lock(fLock);
    return fHandled;
}

size_t RecordingLooper::HandledWithCode(uint32 what) {
    std::lock_guard<std::mutex> lock(fLock);
    size_t count = 0;
    for (const BMessage &message : fHandled) {
        if (message.what == what)
            count++;
    }
    return count;
}

bool is_ready(const std::shared_future<std::thread::id> &future) {
    return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

bool wait_ready(const std::shared_future<std::thread::id> &future) {
    return future.wait_for(kHangGuard) == std::future_status::ready;
}

void quit_from_here(BLooper *looper) {
    if (looper->Lock())
        looper->Quit();
}

}  // namespace looper_test
