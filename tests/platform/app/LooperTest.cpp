// The looper: its thread and queue, the lock, the three ways Quit ends it, close
// requests, handlers, and waiting until it is idle.
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <map>
#include <thread>

#include <AppDefs.h>
#include <Handler.h>
#include <Looper.h>
#include <Messenger.h>

#include "AppTestSupport.h"

using namespace app_test;

namespace {

enum : uint32 { kPing = 'ping', kNumbered = 'numb' };

}  // namespace

TEST(Looper, MessagesPostedBeforeRunWaitAndThenArriveInOrder) {
    RecordingLooper *looper = new RecordingLooper();
    EXPECT_LT(looper->Thread(), 0);
    for (int32 i = 0; i < 10; i++) {
        BMessage message(kNumbered);
        message.AddInt32("index", i);
        ASSERT_EQ(looper->PostMessage(&message), B_OK);
    }
    EXPECT_TRUE(looper->IsMessageWaiting());
    EXPECT_TRUE(looper->Handled().empty());

    thread_id thread = looper->Run();
    EXPECT_GE(thread, 0);
    EXPECT_EQ(looper->Thread(), thread);
    EXPECT_EQ(BLooper::LooperForThread(thread), looper);
    EXPECT_EQ(looper->Run(), B_BAD_THREAD_STATE);
    ASSERT_EQ(looper->WaitForIdle(), B_OK);
    std::vector<BMessage> handled = looper->Handled();
    ASSERT_EQ(handled.size(), 10u);
    for (int32 i = 0; i < 10; i++)
        EXPECT_EQ(handled[i].GetInt32("index", -1), i);
    quit_from_here(looper);
}

TEST(Looper, MessagesFromSeveralThreadsKeepEachThreadsOrder) {
    RecordingLooper *looper = new RecordingLooper();
    looper->Run();
    constexpr int kThreads = 4;
    constexpr int kEach = 300;
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; t++) {
        posters.emplace_back([looper, t] {
            for (int i = 0; i < kEach; i++) {
                BMessage message(kNumbered);
                message.AddInt32("thread", t);
                message.AddInt32("index", i);
                EXPECT_EQ(looper->PostMessage(&message), B_OK);
            }
        });
    }
    for (std::thread &poster : posters)
        poster.join();
    ASSERT_EQ(looper->WaitForIdle(), B_OK);

    std::vector<BMessage> handled = looper->Handled();
    ASSERT_EQ(handled.size(), static_cast<size_t>(kThreads * kEach));
    std::map<int32, int32> next;
    for (const BMessage &message : handled) {
        int32 thread = message.GetInt32("thread", -1);
        EXPECT_EQ(message.GetInt32("index", -1), next[thread]) << "thread " << thread;
        next[thread] = message.GetInt32("index", -1) + 1;
    }
    quit_from_here(looper);
}

TEST(Looper, QuitFromAnotherThreadDispatchesWhatWasPostedThenEndsAndDeletes) {
    RecordingLooper *looper = new RecordingLooper();
    std::shared_future<std::thread::id> destroyed = looper->Destroyed();
    Latch release;
    looper->Run();
    looper->RunOnLooperThread([&] { release.Wait(); });
    for (int i = 0; i < 50; i++)
        looper->PostMessage(kPing);
    std::atomic<int> pingsAtDestruction{-1};
    // Counted on the looper's thread just before the end: it sees every earlier ping.
    looper->RunOnLooperThread([&] { pingsAtDestruction = (int)looper->HandledWithCode(kPing); });

    ASSERT_TRUE(looper->Lock());
    // The thread is blocked in a message; Quit must let it finish what is queued.
    std::thread opener([&] { release.Open(); });
    looper->Quit();
    opener.join();

    // Quit returned: the looper is gone, deleted on this thread after its thread ended.
    ASSERT_TRUE(is_ready(destroyed));
    EXPECT_EQ(destroyed.get(), std::this_thread::get_id());
    EXPECT_EQ(pingsAtDestruction.load(), 50);
}

TEST(Looper, QuitOnItsOwnThreadEndsAfterTheDispatchAndDropsTheRest) {
    std::mutex logLock;
    std::vector<std::string> log;
    auto note = [&](const std::string &entry) {
        std::lock_guard<std::mutex> lock(logLock);
        log.push_back(entry);
    };

    class SelfQuitting : public RecordingLooper {
    public:
        explicit SelfQuitting(std::function<void(const std::string &)> note) : fNote(note) {}
        ~SelfQuitting() override { fNote("destroyed"); }
        void MessageReceived(BMessage *message) override {
            if (message->what == 'quit') {
                Quit();
                // Still inside the dispatch: the looper must not be gone yet.
                fNote(std::string("after Quit in ") + Name());
                return;
            }
            if (message->what == kPing)
                fNote("handled a ping");
            RecordingLooper::MessageReceived(message);
        }
        std::function<void(const std::string &)> fNote;
    };

    SelfQuitting *looper = new SelfQuitting(note);
    std::shared_future<std::thread::id> destroyed = looper->Destroyed();
    Latch release;
    looper->RunOnLooperThread([&] { release.Wait(); });
    looper->PostMessage('quit');
    looper->PostMessage(kPing);
    looper->Run();
    release.Open();

    ASSERT_TRUE(wait_ready(destroyed));
    EXPECT_NE(destroyed.get(), std::this_thread::get_id());
    std::lock_guard<std::mutex> lock(logLock);
    EXPECT_EQ(log, (std::vector<std::string>{"after Quit in recording", "destroyed"}));
}

TEST(Looper, QuitOnALooperThatNeverRanDeletesItAtOnce) {
    RecordingLooper *looper = new RecordingLooper();
    std::shared_future<std::thread::id> destroyed = looper->Destroyed();
    // A queued message is freed with the looper (ASan reports a leak otherwise).
    looper->PostMessage(kPing);
    ASSERT_TRUE(looper->Lock());
    looper->Quit();
    EXPECT_TRUE(is_ready(destroyed));
}

TEST(Looper, QuitRequestedDecidesWhetherACloseRequestEndsTheLooper) {
    class Reluctant : public RecordingLooper {
    public:
        bool QuitRequested() override {
            fAsked++;
            return fAgree.load();
        }
        std::atomic<bool> fAgree{false};
        std::atomic<int> fAsked{0};
    };
    Reluctant *looper = new Reluctant();
    std::shared_future<std::thread::id> destroyed = looper->Destroyed();
    looper->Run();

    ASSERT_EQ(looper->PostMessage(B_QUIT_REQUESTED), B_OK);
    ASSERT_EQ(looper->WaitForIdle(), B_OK);
    EXPECT_EQ(looper->fAsked.load(), 1);
    EXPECT_FALSE(is_ready(destroyed));
    // The close request is not a message for MessageReceived.
    EXPECT_EQ(looper->HandledWithCode(B_QUIT_REQUESTED), 0u);
    looper->PostMessage(kPing);
    ASSERT_EQ(looper->WaitForIdle(), B_OK);
    EXPECT_EQ(looper->HandledWithCode(kPing), 1u);

    looper->fAgree = true;
    ASSERT_EQ(looper->PostMessage(B_QUIT_REQUESTED), B_OK);
    ASSERT_TRUE(wait_ready(destroyed));
}

TEST(Looper, LockIsRecursiveAndOwnedByOneThread) {
    RecordingLooper *looper = new RecordingLooper();
    looper->Run();
    ASSERT_TRUE(looper->Lock());
    ASSERT_TRUE(looper->Lock());
    EXPECT_TRUE(looper->IsLocked());
    EXPECT_EQ(looper->CountLocks(), 2);
    EXPECT_GE(looper->LockingThread(), 0);
    EXPECT_NE(looper->LockingThread(), looper->Thread());

    // Another thread neither holds it nor gets it.
    auto other = std::async(std::launch::async, [looper] {
        return std::make_pair(looper->IsLocked(), looper->LockWithTimeout(0));
    });
    auto seen = other.get();
    EXPECT_FALSE(seen.first);
    EXPECT_EQ(seen.second, B_TIMED_OUT);
    // Waiting for idle while holding the lock could never end: refused.
    EXPECT_EQ(looper->WaitForIdle(), B_NOT_ALLOWED);

    // While we hold it, nothing is dispatched.
    looper->PostMessage(kPing);
    EXPECT_EQ(looper->HandledWithCode(kPing), 0u);
    looper->Unlock();
    EXPECT_TRUE(looper->IsLocked());
    looper->Unlock();
    EXPECT_FALSE(looper->IsLocked());
    EXPECT_EQ(looper->WaitForIdle(), B_OK);
    EXPECT_EQ(looper->HandledWithCode(kPing), 1u);
    quit_from_here(looper);
}

TEST(Looper, TheThreadHoldsTheLockWhileItDispatchesSoLockWaitsForTheMessage) {
    RecordingLooper *looper = new RecordingLooper();
    looper->Run();
    Latch entered;
    Latch release;
    std::atomic<bool> inMessage{false};
    looper->RunOnLooperThread([&] {
        inMessage = true;
        EXPECT_TRUE(looper->IsLocked());
        EXPECT_EQ(looper->CurrentMessage()->what,
                  static_cast<uint32>(RecordingLooper::kRunFunction));
        entered.Open();
        release.Wait();
        inMessage = false;
    });
    ASSERT_TRUE(entered.Wait());
    EXPECT_EQ(looper->LockingThread(), looper->Thread());
    EXPECT_EQ(looper->LockWithTimeout(0), B_TIMED_OUT);

    auto locker = std::async(std::launch::async, [&] {
        bool locked = looper->Lock();
        bool sawMessageInProgress = inMessage.load();
        if (locked)
            looper->Unlock();
        return locked && !sawMessageInProgress;
    });
    release.Open();
    ASSERT_EQ(locker.wait_for(kHangGuard), std::future_status::ready);
    EXPECT_TRUE(locker.get());
    quit_from_here(looper);
}

TEST(Looper, WaitForIdleSeesEverythingPostedBeforeItAndNoMarkerReachesAHandler) {
    RecordingLooper *looper = new RecordingLooper();
    // No thread yet: nothing to wait for, and nothing is lost.
    looper->PostMessage(kPing);
    EXPECT_EQ(looper->WaitForIdle(), B_OK);
    looper->Run();

    std::vector<std::thread> waiters;
    std::atomic<int> failures{0};
    for (int32 t = 0; t < 3; t++) {
        waiters.emplace_back([&, t] {
            for (int32 i = 0; i < 100; i++) {
                BMessage ping(kPing);
                ping.AddInt32("id", t * 1000 + i);
                looper->PostMessage(&ping);
                if (looper->WaitForIdle() != B_OK)
                    failures++;
                // Our own ping, posted before the wait, has been dispatched.
                bool seen = false;
                for (const BMessage &handled : looper->Handled())
                    seen = seen || handled.GetInt32("id", -1) == t * 1000 + i;
                if (!seen)
                    failures++;
            }
        });
    }
    for (std::thread &waiter : waiters)
        waiter.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(looper->HandledWithCode(kPing), 301u);
    EXPECT_EQ(looper->Handled().size(), 301u);
    quit_from_here(looper);
}

TEST(Looper, WaitForIdleWaitsForTheMessageBeingDispatchedWithNothingQueued) {
    RecordingLooper *looper = new RecordingLooper();
    looper->Run();
    Latch entered, release;
    looper->RunOnLooperThread([&] {
        entered.Open();
        release.Wait();
    });
    ASSERT_TRUE(entered.Wait());
    // The queue is empty, but the dispatch is not over.
    EXPECT_EQ(looper->WaitForIdle(1000), B_TIMED_OUT);
    auto waiter = std::async(std::launch::async, [looper] { return looper->WaitForIdle(); });
    release.Open();
    EXPECT_EQ(waiter.get(), B_OK);
    quit_from_here(looper);
}

namespace {

std::atomic<int> sIdleCalls{0};
std::atomic<thread_id> sIdleThread{-1};

void record_idle() {
    sIdleThread.store(static_cast<thread_id>(syscall(SYS_gettid)));
    sIdleCalls++;
}

}  // namespace

TEST(Looper, IdleHookRunsOnTheLoopersThreadBeforeAnIdleWaiterIsLetGo) {
    BLooper::SetIdleHook(record_idle);
    RecordingLooper *looper = new RecordingLooper();
    looper->Run();
    Latch release;
    looper->RunOnLooperThread([&] { release.Wait(); });
    looper->PostMessage(kPing);
    // One message still queued behind the first: not idle in between.
    auto waiter = std::async(std::launch::async, [looper] { return looper->WaitForIdle(); });
    release.Open();
    EXPECT_EQ(waiter.get(), B_OK);
    EXPECT_EQ(sIdleCalls.load(), 1);
    EXPECT_EQ(sIdleThread.load(), looper->Thread());
    quit_from_here(looper);
    BLooper::SetIdleHook(nullptr);
}

TEST(Looper, WaitForIdleOnItsOwnThreadIsRefused) {
    RecordingLooper *looper = new RecordingLooper();
    looper->Run();
    std::promise<status_t> result;
    looper->RunOnLooperThread([&] {
        looper->Unlock();  // even without the lock, its own thread could never pass the marker
        result.set_value(looper->WaitForIdle());
        looper->Lock();
    });
    auto future = result.get_future();
    ASSERT_EQ(future.wait_for(kHangGuard), std::future_status::ready);
    EXPECT_EQ(future.get(), B_NOT_ALLOWED);
    quit_from_here(looper);
}

TEST(Looper, AQuittingLooperTakesNoMessagesAndNoOtherLockers) {
    RecordingLooper *looper = new RecordingLooper();
    looper->Run();
    BMessenger messenger(looper);
    std::atomic<status_t> postDuringQuit{B_OK};
    std::atomic<bool> validDuringQuit{true};
    std::atomic<bool> lockedDuringQuit{true};

    ASSERT_TRUE(looper->Lock());
    // Queued before the Quit below, so it runs while the looper is quitting.
    looper->RunOnLooperThread([&] {
        postDuringQuit = messenger.SendMessage(kPing);
        validDuringQuit = messenger.IsValid();
        std::thread other([&] { lockedDuringQuit = messenger.LockTarget(); });
        other.join();
    });
    looper->Quit();
    EXPECT_EQ(postDuringQuit.load(), B_BAD_PORT_ID);
    EXPECT_FALSE(validDuringQuit.load());
    EXPECT_FALSE(lockedDuringQuit.load());
    EXPECT_EQ(messenger.SendMessage(kPing), B_BAD_PORT_ID);
}

TEST(Looper, HandlersReceiveTheirMessagesAndLeaveWhenRemovedOrDeleted) {
    class Recorder : public BHandler {
    public:
        explicit Recorder(std::atomic<int> *count) : BHandler("recorder"), fCount(count) {}
        void MessageReceived(BMessage *) override { (*fCount)++; }
        std::atomic<int> *fCount;
    };
    std::atomic<int> received{0};
    RecordingLooper *looper = new RecordingLooper();
    Recorder *handler = new Recorder(&received);
    Recorder *stranger = new Recorder(&received);
    ASSERT_TRUE(looper->Lock());
    looper->AddHandler(handler);
    EXPECT_EQ(looper->CountHandlers(), 2);  // the looper is a handler of its own
    EXPECT_EQ(looper->HandlerAt(1), handler);
    EXPECT_EQ(looper->IndexOf(handler), 1);
    EXPECT_EQ(handler->Looper(), looper);
    looper->Unlock();

    EXPECT_EQ(looper->PostMessage(kPing, stranger), B_MISMATCHED_VALUES);
    ASSERT_EQ(looper->PostMessage(kPing, handler), B_OK);
    looper->Run();
    ASSERT_EQ(looper->WaitForIdle(), B_OK);
    EXPECT_EQ(received.load(), 1);
    EXPECT_EQ(looper->HandledWithCode(kPing), 0u);

    // A message still queued for a handler that is deleted meanwhile is dropped: the
    // handler goes in the message before it, on the looper's thread, lock held. The
    // looper waits until both are queued.
    Latch release;
    looper->RunOnLooperThread([&] { release.Wait(); });
    looper->RunOnLooperThread([&] {
        EXPECT_TRUE(looper->RemoveHandler(handler));
        EXPECT_EQ(handler->Looper(), nullptr);
        delete handler;
    });
    ASSERT_EQ(looper->PostMessage(kPing, handler), B_OK);
    release.Open();
    ASSERT_EQ(looper->WaitForIdle(), B_OK);
    EXPECT_EQ(received.load(), 1);
    EXPECT_EQ(looper->CountHandlers(), 1);

    // Handlers still attached when the looper goes are detached, not deleted.
    Recorder *survivor = new Recorder(&received);
    ASSERT_TRUE(looper->Lock());
    looper->AddHandler(survivor);
    looper->SetPreferredHandler(survivor);
    EXPECT_EQ(looper->PreferredHandler(), survivor);
    looper->Unlock();
    ASSERT_EQ(looper->PostMessage(static_cast<BMessage *>(nullptr)), B_BAD_VALUE);
    BMessage toPreferred(kPing);
    ASSERT_EQ(looper->PostMessage(&toPreferred, nullptr), B_OK);
    ASSERT_EQ(looper->WaitForIdle(), B_OK);
    EXPECT_EQ(received.load(), 2);
    quit_from_here(looper);
    EXPECT_EQ(survivor->Looper(), nullptr);
    delete survivor;
    delete stranger;
}

TEST(Looper, DeletingARunningLooperStopsAndJoinsItsThread) {
    RecordingLooper *looper = new RecordingLooper();
    looper->Run();
    looper->PostMessage(kPing);
    ASSERT_EQ(looper->WaitForIdle(), B_OK);
    thread_id thread = looper->Thread();
    delete looper;
    // Its thread is gone: no looper answers for it any more.
    EXPECT_EQ(BLooper::LooperForThread(thread), nullptr);
}

TEST(Looper, UnhandledMessagesPassToTheNextHandler) {
    class Counter : public BHandler {
    public:
        void MessageReceived(BMessage *) override { fCount++; }
        std::atomic<int> fCount{0};
    };
    Counter next;
    BHandler first("first");
    first.SetNextHandler(&next);
    EXPECT_EQ(first.NextHandler(), &next);
    BMessage message(kPing);
    first.MessageReceived(&message);
    EXPECT_EQ(next.fCount.load(), 1);
    EXPECT_STREQ(first.Name(), "first");
    EXPECT_NE(first.Token(), next.Token());
}
