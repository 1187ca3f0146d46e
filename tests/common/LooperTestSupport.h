// Helpers for tests of loopers and windows: a latch, the queue that runs a test's
// functions on a looper's thread, and a looper that records what it handles and reports
// its destruction.
#ifndef BRINDLE_TESTS_COMMON_LOOPER_TEST_SUPPORT_H
#define BRINDLE_TESTS_COMMON_LOOPER_TEST_SUPPORT_H

#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include <Looper.h>
#include <Message.h>

namespace looper_test {

// Only ever a guard against a hang: a test that needs longer than this has deadlocked.
constexpr std::chrono::seconds kHangGuard(30);

// Lets a test hold a thread at a known point and release it.
class Latch {
public:
    void Open();
    // False if the latch stayed shut for kHangGuard.
    bool Wait();
    bool IsOpen();

private:
    std::mutex fLock;
    std::condition_variable fChanged;
    bool fOpen = false;
};

// Functions a test hands to a looper's thread, run in order with its messages: the test
// pushes a function and posts kRunFunction; the looper's MessageReceived calls Run.
class FunctionQueue {
public:
    enum : uint32 { kRunFunction = 'rfun' };

    void Push(std::function<void()> function);
    // True when `message` was kRunFunction (the next function has run).
    bool Run(const BMessage *message);

private:
    std::mutex fLock;
    std::vector<std::function<void()>> fFunctions;
};

// A looper that records the messages its MessageReceived sees, can run a test's function
// on its thread, and reports its destruction (and the thread that destroyed it).
class RecordingLooper : public BLooper {
public:
    enum : uint32 { kRunFunction = FunctionQueue::kRunFunction };

    explicit RecordingLooper(const char *name = "recording");
    ~RecordingLooper() override;

    void MessageReceived(BMessage *message) override;

    // Runs `function` on the looper's thread, in order with its messages.
    status_t RunOnLooperThread(std::function<void()> function);

    std::vector<BMessage> Handled();
    size_t HandledWithCode(uint32 what);

    // Ready once the destructor ran; holds the destroying thread.
    std::shared_future<std::thread::id> Destroyed() const { return fDestroyedFuture; }

private:
    FunctionQueue fFunctions;
    std::mutex fLock;
    std::vector<BMessage> fHandled;
    std::promise<std::thread::id> fDestroyed;
    std::shared_future<std::thread::id> fDestroyedFuture;
};

bool is_ready(const std::shared_future<std::thread::id> &future);
bool wait_ready(const std::shared_future<std::thread::id> &future);

// Quits a looper from the calling thread, as its owner does.
void quit_from_here(BLooper *looper);

}  // namespace looper_test

#endif  // BRINDLE_TESTS_COMMON_LOOPER_TEST_SUPPORT_H
