// Helpers shared by the application kit tests: a latch, a looper that records what it
// handles and reports its destruction, and a private roster environment.
#ifndef BRINDLE_TESTS_PLATFORM_APP_APP_TEST_SUPPORT_H
#define BRINDLE_TESTS_PLATFORM_APP_APP_TEST_SUPPORT_H

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <Looper.h>
#include <Message.h>

namespace app_test {

// Only ever a guard against a hang: a test that needs longer has deadlocked.
constexpr std::chrono::seconds kHangGuard(30);

class Latch {
public:
    void Open();
    // False if the latch stayed shut for kHangGuard.
    bool Wait();

private:
    std::mutex fLock;
    std::condition_variable fChanged;
    bool fOpen = false;
};

// A looper that records the messages its MessageReceived sees, can run a test's function
// on its thread, and reports its destruction (and the thread that destroyed it).
class RecordingLooper : public BLooper {
public:
    enum : uint32 { kRunFunction = 'rfun' };

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
    std::mutex fLock;
    std::vector<BMessage> fHandled;
    std::vector<std::function<void()>> fFunctions;
    std::promise<std::thread::id> fDestroyed;
    std::shared_future<std::thread::id> fDestroyedFuture;
};

bool is_ready(const std::shared_future<std::thread::id> &future);
bool wait_ready(const std::shared_future<std::thread::id> &future);

// Quits a looper from the calling thread, as its owner does.
void quit_from_here(BLooper *looper);

// A private roster for one test: XDG_RUNTIME_DIR and XDG_DATA_HOME point into a fresh
// temporary directory, restored and removed afterwards.
class ScopedRosterEnvironment {
public:
    ScopedRosterEnvironment();
    ~ScopedRosterEnvironment();

    const std::string &Root() const { return fRoot; }
    std::string RuntimeDirectory() const { return fRoot + "/runtime"; }
    std::string RosterDirectory() const { return RuntimeDirectory() + "/brindle-roster"; }
    std::string DataDirectory() const { return fRoot + "/data"; }
    // Writes an app entry for `signature` whose first line is `program`.
    void WriteAppEntry(const std::string &signature, const std::string &program) const;

private:
    std::string fRoot;
    std::string fSavedRuntime;
    std::string fSavedData;
    bool fHadRuntime = false;
    bool fHadData = false;
};

// A signature no other test (or test process) uses.
std::string unique_signature(const char *base);

void remove_tree(const std::string &path);

}  // namespace app_test

#endif  // BRINDLE_TESTS_PLATFORM_APP_APP_TEST_SUPPORT_H
