// The application object: be_app, its loop on the caller's thread, and what reaches it
// from the roster (its queue, or the hook of an application whose thread is busy).
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include <AppDefs.h>
#include <Application.h>
#include <Roster.h>

#include "AppTestSupport.h"

using namespace app_test;

namespace {

enum : uint32 { kPing = 'ping', kOpen = '!int' };

class LoggingApp : public BApplication {
public:
    explicit LoggingApp(const char *signature) : BApplication(signature) {}
    ~LoggingApp() override { fDestroyed = true; }

    void ReadyToRun() override { Note("ready"); }
    void ArgvReceived(int32 argc, char **argv) override {
        std::string line = "argv " + std::to_string(argc);
        for (int32 i = 0; i < argc; i++)
            line += std::string(" ") + argv[i];
        Note(line);
    }
    void MessageReceived(BMessage *message) override {
        Note(std::string("message ") + message->GetString("interface", "-"));
        fThread = std::this_thread::get_id();
    }

    void Note(const std::string &entry) {
        std::lock_guard<std::mutex> lock(fLock);
        fLog.push_back(entry);
    }
    std::vector<std::string> Log() {
        std::lock_guard<std::mutex> lock(fLock);
        return fLog;
    }

    static std::atomic<bool> fDestroyed;
    std::thread::id fThread;

private:
    std::mutex fLock;
    std::vector<std::string> fLog;
};

std::atomic<bool> LoggingApp::fDestroyed{false};

}  // namespace

TEST(Application, RunsItsLoopOnTheCallingThreadAfterWhatWasQueued) {
    ScopedRosterEnvironment environment;
    std::string signature = unique_signature("loop");
    LoggingApp::fDestroyed = false;
    LoggingApp *app = new LoggingApp(signature.c_str());
    ASSERT_EQ(app->InitCheck(), B_OK);
    EXPECT_EQ(be_app, app);
    EXPECT_STREQ(app->Signature(), signature.c_str());

    BMessage open(kOpen);
    open.AddString("interface", "early");
    ASSERT_EQ(app->PostMessage(&open), B_OK);
    BMessage argv(B_ARGV_RECEIVED);
    argv.AddString("argv", "prog");
    argv.AddString("argv", "file");
    app->PostMessage(&argv);

    thread_id returned = -1;
    std::thread::id runner;
    std::thread mainThread([&] {
        runner = std::this_thread::get_id();
        returned = app->Run();
    });
    // Run() on a thread of ours: WaitForIdle from here works as for any looper.
    while (app->Thread() < 0)
        std::this_thread::yield();
    ASSERT_EQ(app->WaitForIdle(), B_OK);
    EXPECT_EQ(app->Log(), (std::vector<std::string>{"message early", "argv 2 prog file", "ready"}));

    // Quit from another thread ends Run() but leaves deleting to its caller.
    ASSERT_EQ(app->PostMessage(B_QUIT_REQUESTED), B_OK);
    mainThread.join();
    EXPECT_EQ(app->fThread, runner);
    EXPECT_GE(returned, 0);
    EXPECT_FALSE(LoggingApp::fDestroyed.load());
    delete app;
    EXPECT_TRUE(LoggingApp::fDestroyed.load());
    EXPECT_EQ(be_app, nullptr);
}

TEST(Application, OnlyOneApplicationPerProcessAndOnlyValidSignatures) {
    ScopedRosterEnvironment environment;
    status_t error = B_NO_INIT;
    {
        BApplication bad("text/plain", &error);
        EXPECT_EQ(error, B_BAD_VALUE);
        EXPECT_EQ(be_app, nullptr);
    }
    {
        BApplication spaces("application/has space", &error);
        EXPECT_EQ(error, B_BAD_VALUE);
    }
    std::string signature = unique_signature("first");
    BApplication first(signature.c_str(), &error);
    EXPECT_EQ(error, B_OK);
    EXPECT_EQ(first.RegistrationStatus(), B_OK);
    {
        std::string other = unique_signature("second");
        BApplication second(other.c_str(), &error);
        EXPECT_EQ(error, B_ALREADY_RUNNING);
        EXPECT_EQ(be_app, &first);
        EXPECT_FALSE(be_roster->IsRunning(other.c_str()));
    }
    EXPECT_EQ(be_app, &first);
    EXPECT_TRUE(be_app_messenger.IsValid());
}

TEST(Application, ANeverRunApplicationQueuesWhatTheRosterDelivers) {
    ScopedRosterEnvironment environment;
    std::string signature = unique_signature("queued");
    LoggingApp *app = new LoggingApp(signature.c_str());
    ASSERT_EQ(app->RegistrationStatus(), B_OK);

    BMessage open(kOpen);
    open.AddString("interface", "sp-brindle");
    ASSERT_EQ(be_roster->Launch(signature.c_str(), &open), B_OK);
    // Delivered means queued: nothing runs the loop yet.
    EXPECT_TRUE(app->IsMessageWaiting());
    EXPECT_TRUE(app->Log().empty());
    delete app;
}

TEST(Application, ARosterHookReceivesMessagesWhileTheMainThreadIsBusy) {
    ScopedRosterEnvironment environment;
    std::string signature = unique_signature("hook");
    std::mutex lock;
    std::vector<std::string> received;
    std::thread::id hookThread;
    status_t error = B_NO_INIT;
    // Given to the constructor: no message can arrive before the hook is there.
    BApplication *app = new BApplication(
        signature.c_str(),
        [&](BMessage *message) {
            std::lock_guard<std::mutex> guard(lock);
            received.push_back(message->GetString("interface", "-"));
            hookThread = std::this_thread::get_id();
        },
        &error);
    ASSERT_EQ(error, B_OK);

    BMessage open(kOpen);
    open.AddString("interface", "sp-brindle");
    ASSERT_EQ(be_roster->Launch(signature.c_str(), &open), B_OK);
    {
        std::lock_guard<std::mutex> guard(lock);
        // The hook has run by the time Launch reports delivery.
        EXPECT_EQ(received, std::vector<std::string>{"sp-brindle"});
        EXPECT_NE(hookThread, std::this_thread::get_id());
    }
    EXPECT_FALSE(app->IsMessageWaiting());

    // An empty hook goes back to the queue.
    app->SetRosterMessageHook(nullptr);
    ASSERT_EQ(be_roster->Launch(signature.c_str(), &open), B_OK);
    EXPECT_TRUE(app->IsMessageWaiting());
    delete app;
}
