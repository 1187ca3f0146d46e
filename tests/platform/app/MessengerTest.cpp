// Messengers: aimed at handlers and loopers by identity, safe when the target is gone,
// replies, and comparison.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include <AppDefs.h>
#include <Handler.h>
#include <Looper.h>
#include <Messenger.h>

#include "AppTestSupport.h"

using namespace app_test;

namespace {

enum : uint32 { kPing = 'ping', kQuestion = 'ques', kAnswer = 'answ' };

class CountingHandler : public BHandler {
public:
    explicit CountingHandler(const char *name = "counter") : BHandler(name) {}
    void MessageReceived(BMessage *message) override {
        if (message->what == kQuestion) {
            BMessage answer(kAnswer);
            answer.AddString("from", Name());
            fReplyStatus = message->SendReply(&answer);
        }
        fCount++;
    }
    std::atomic<int> fCount{0};
    std::atomic<status_t> fReplyStatus{B_NO_INIT};
};

}  // namespace

TEST(Messenger, AimsAtAHandlerInItsLooperOrAtALoopersPreferredHandler) {
    RecordingLooper *looper = new RecordingLooper();
    CountingHandler *handler = new CountingHandler();
    CountingHandler loose;
    looper->Lock();
    looper->AddHandler(handler);
    looper->Unlock();
    looper->Run();

    status_t result = B_NO_INIT;
    BMessenger toHandler(handler, nullptr, &result);
    EXPECT_EQ(result, B_OK);
    EXPECT_TRUE(toHandler.IsValid());
    BLooper *targetLooper = nullptr;
    EXPECT_EQ(toHandler.Target(&targetLooper), handler);
    EXPECT_EQ(targetLooper, looper);
    EXPECT_EQ(toHandler.SendMessage(kPing), B_OK);

    BMessenger toLooper(nullptr, looper, &result);
    EXPECT_EQ(result, B_OK);
    EXPECT_EQ(toLooper.SendMessage(kPing), B_OK);
    ASSERT_EQ(looper->WaitForIdle(), B_OK);
    EXPECT_EQ(handler->fCount.load(), 1);
    EXPECT_EQ(looper->HandledWithCode(kPing), 1u);

    // Aims that cannot work are refused up front.
    BMessenger(&loose, nullptr, &result);
    EXPECT_EQ(result, B_BAD_HANDLER);
    RecordingLooper *other = new RecordingLooper("other");
    BMessenger(handler, other, &result);
    EXPECT_EQ(result, B_MISMATCHED_VALUES);
    BMessenger(nullptr, nullptr, &result);
    EXPECT_EQ(result, B_BAD_VALUE);
    BMessenger unset;
    EXPECT_FALSE(unset.IsValid());
    EXPECT_EQ(unset.SendMessage(kPing), B_BAD_PORT_ID);
    EXPECT_FALSE(unset.LockTarget());

    quit_from_here(other);
    quit_from_here(looper);
    delete handler;
}

TEST(Messenger, SendingToADeletedHandlerFailsAndNothingReachesFreedMemory) {
    RecordingLooper *looper = new RecordingLooper();
    CountingHandler *handler = new CountingHandler();
    looper->Lock();
    looper->AddHandler(handler);
    looper->Unlock();
    BMessenger messenger(handler);
    // Queued before the handler goes; the looper only runs afterwards.
    ASSERT_EQ(messenger.SendMessage(kPing), B_OK);

    ASSERT_TRUE(looper->Lock());
    looper->RemoveHandler(handler);
    looper->Unlock();
    EXPECT_FALSE(messenger.IsValid());
    EXPECT_EQ(messenger.SendMessage(kPing), B_BAD_HANDLER);
    delete handler;
    EXPECT_EQ(messenger.SendMessage(kPing), B_BAD_HANDLER);
    BLooper *targetLooper = nullptr;
    EXPECT_EQ(messenger.Target(&targetLooper), nullptr);

    // The queued message finds no handler and is dropped (ASan would see a touch).
    looper->Run();
    ASSERT_EQ(looper->WaitForIdle(), B_OK);
    EXPECT_TRUE(looper->Handled().empty());
    quit_from_here(looper);
}

TEST(Messenger, SendingToAQuitLooperFailsAndCannotLockIt) {
    RecordingLooper *looper = new RecordingLooper();
    std::shared_future<std::thread::id> destroyed = looper->Destroyed();
    looper->Run();
    BMessenger messenger(looper);
    BMessenger preferred(nullptr, looper);
    ASSERT_TRUE(messenger.LockTarget());
    looper->Unlock();
    EXPECT_TRUE(messenger < preferred || preferred < messenger);

    looper->PostMessage(B_QUIT_REQUESTED);
    ASSERT_TRUE(wait_ready(destroyed));
    EXPECT_FALSE(messenger.IsValid());
    EXPECT_EQ(messenger.SendMessage(kPing), B_BAD_PORT_ID);
    EXPECT_EQ(preferred.SendMessage(kPing), B_BAD_PORT_ID);
    EXPECT_FALSE(messenger.LockTarget());
    EXPECT_EQ(messenger.LockTargetWithTimeout(0), B_BAD_PORT_ID);
    BLooper *targetLooper = reinterpret_cast<BLooper *>(1);
    EXPECT_EQ(messenger.Target(&targetLooper), nullptr);
    EXPECT_EQ(targetLooper, nullptr);
}

TEST(Messenger, SendersRacingAQuitEitherDeliverOrGetAnError) {
    for (int round = 0; round < 20; round++) {
        RecordingLooper *looper = new RecordingLooper();
        std::shared_future<std::thread::id> destroyed = looper->Destroyed();
        looper->Run();
        BMessenger messenger(looper);
        std::atomic<bool> go{false};
        std::atomic<int> delivered{0};
        std::atomic<int> unexpected{0};
        std::vector<std::thread> senders;
        for (int t = 0; t < 3; t++) {
            senders.emplace_back([&] {
                while (!go)
                    std::this_thread::yield();
                for (int i = 0; i < 200; i++) {
                    status_t status = messenger.SendMessage(kPing);
                    if (status == B_OK)
                        delivered++;
                    else if (status != B_BAD_PORT_ID)
                        unexpected++;
                }
            });
        }
        go = true;
        messenger.SendMessage(B_QUIT_REQUESTED);
        for (std::thread &sender : senders)
            sender.join();
        ASSERT_TRUE(wait_ready(destroyed));
        EXPECT_EQ(unexpected.load(), 0);
        EXPECT_EQ(messenger.SendMessage(kPing), B_BAD_PORT_ID);
    }
}

TEST(Messenger, RepliesGoToTheReturnAddress) {
    RecordingLooper *server = new RecordingLooper("server");
    CountingHandler *answering = new CountingHandler("answering");
    server->Lock();
    server->AddHandler(answering);
    server->Unlock();
    RecordingLooper *client = new RecordingLooper("client");
    server->Run();
    client->Run();

    BMessage question(kQuestion);
    ASSERT_EQ(BMessenger(answering).SendMessage(&question, client), B_OK);
    ASSERT_EQ(server->WaitForIdle(), B_OK);
    EXPECT_EQ(answering->fReplyStatus.load(), B_OK);
    ASSERT_EQ(client->WaitForIdle(), B_OK);
    std::vector<BMessage> handled = client->Handled();
    ASSERT_EQ(handled.size(), 1u);
    EXPECT_EQ(handled[0].what, static_cast<uint32>(kAnswer));
    EXPECT_STREQ(handled[0].GetString("from", ""), "answering");
    EXPECT_TRUE(handled[0].WasDelivered());

    // Without a return address there is no one to answer.
    ASSERT_EQ(BMessenger(answering).SendMessage(kQuestion), B_OK);
    ASSERT_EQ(server->WaitForIdle(), B_OK);
    EXPECT_EQ(answering->fReplyStatus.load(), B_BAD_REPLY);
    BMessage local(kQuestion);
    EXPECT_EQ(local.SendReply(kAnswer), B_BAD_REPLY);

    quit_from_here(client);
    quit_from_here(server);
    delete answering;
}

TEST(Messenger, MessengersCompareByTargetAndSortIntoSets) {
    RecordingLooper *looper = new RecordingLooper();
    CountingHandler *first = new CountingHandler("first");
    CountingHandler *second = new CountingHandler("second");
    looper->Lock();
    looper->AddHandler(first);
    looper->AddHandler(second);
    looper->Unlock();

    BMessenger a(first);
    BMessenger b(second);
    BMessenger copy = a;
    EXPECT_EQ(a, copy);
    EXPECT_NE(a, b);
    EXPECT_NE(a, BMessenger(nullptr, looper));
    std::set<BMessenger> listeners{a, b, copy, BMessenger(first, looper)};
    EXPECT_EQ(listeners.size(), 2u);
    EXPECT_EQ(listeners.count(BMessenger(second)), 1u);
    quit_from_here(looper);
    delete first;
    delete second;
}
