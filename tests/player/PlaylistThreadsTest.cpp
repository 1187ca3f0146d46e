// The controller and playlists as objects, used from real threads: counted handles keep
// a closed playlist alive, notifications reach live listeners and skip dead ones.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <Looper.h>
#include <Message.h>

#include <PluginInterface.h>
#include "PlayerController.h"
#include "Playlist.h"

namespace {

// A looper that counts what it receives.
class CountingLooper : public BLooper {
public:
    explicit CountingLooper(std::atomic<int> *count) : BLooper("counter"), fCount(count) {}
    void MessageReceived(BMessage *message) override {
        if (message->what == MSG_PLAYLIST_CURRENT || message->what == MSG_CONTROLS_ADDED)
            fCount->fetch_add(1);
    }

private:
    std::atomic<int> *fCount;
};

}  // namespace

TEST(PlaylistThreads, AHandleKeepsAClosedPlaylistAlive) {
    PlayerController controller;
    PlaylistPtr held = controller.OpenPlaylist();
    AsPlayerPlaylist(held)->AddItem("/a");
    const int32 id = held->IDForItemAt(0);
    ASSERT_TRUE(controller.ClosePlaylist(0).IsOK());
    EXPECT_EQ(controller.CountPlaylists(), 0);
    EXPECT_TRUE(controller.PlaylistAt(0).IsEmpty());
    // Still usable through the handle (ASan would catch a freed playlist here).
    EXPECT_STREQ(held->PathForItem(id), "/a");
    EXPECT_EQ(held->PathForItem(id + 1), nullptr);
    EXPECT_EQ(held->IDForItemAt(1), -1);
    PlaylistPtr copy = held;
    held = PlaylistPtr();
    copy = copy;  // self-assignment must not drop the last reference
    EXPECT_STREQ(copy->PathForItem(id), "/a");
}

TEST(PlaylistThreads, PathsStayValidWhileItemsAreAdded) {
    PlayerController controller;
    PlaylistPtr playlist = controller.OpenPlaylist();
    AsPlayerPlaylist(playlist)->AddItem("/first");
    const char *path = playlist->PathForItem(playlist->IDForItemAt(0));
    for (int i = 0; i < 5000; i++)
        AsPlayerPlaylist(playlist)->AddItem(("/item" + std::to_string(i)).c_str());
    EXPECT_STREQ(path, "/first");
    EXPECT_STREQ(playlist->PathForItem(playlist->IDForItemAt(4000)), "/item3999");
}

TEST(PlaylistThreads, ConcurrentStepsAllNotifyTheListener) {
    PlayerController controller;
    PlaylistPtr playlist = controller.OpenPlaylist();
    for (int i = 0; i < 5; i++)
        AsPlayerPlaylist(playlist)->AddItem(("/" + std::to_string(i)).c_str());
    // From an item, steps never leave the items, whichever way they go.
    ASSERT_EQ(AsPlayerPlaylist(playlist)->SetCurrent(0), B_OK);
    std::atomic<int> received{0};
    auto *looper = new CountingLooper(&received);
    looper->Run();
    ASSERT_EQ(playlist->AddListener(looper), B_OK);
    ASSERT_EQ(playlist->AddListener(looper), B_OK);  // once is enough: no duplicate

    const int kThreads = 4;
    const int kSteps = 500;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; t++) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kSteps; i++) {
                AsPlayerPlaylist(playlist)->Step(t % 2 == 0 ? 1 : -1);
                // Readers and handle copies alongside the writers.
                PlaylistPtr copy = controller.PlaylistAt(0);
                copy->Lock();
                const int32 current = copy->CurrentIndex();
                EXPECT_GE(current, 0);
                EXPECT_LT(current, copy->CountItems());
                copy->Unlock();
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    ASSERT_EQ(looper->WaitForIdle(), B_OK);
    EXPECT_EQ(received.load(), kThreads * kSteps);

    ASSERT_EQ(playlist->RemoveListener(looper), B_OK);
    EXPECT_EQ(playlist->RemoveListener(looper), B_NAME_NOT_FOUND);
    AsPlayerPlaylist(playlist)->NotifyCurrent();
    ASSERT_EQ(looper->WaitForIdle(), B_OK);
    EXPECT_EQ(received.load(), kThreads * kSteps);
    looper->Lock();
    looper->Quit();
}

TEST(PlaylistThreads, AListenerThatIsGoneIsSkipped) {
    PlayerController controller;
    std::atomic<int> goneCount{0};
    std::atomic<int> liveCount{0};
    auto *gone = new CountingLooper(&goneCount);
    auto *live = new CountingLooper(&liveCount);
    gone->Run();
    live->Run();
    ASSERT_EQ(controller.AddListener(gone), B_OK);
    ASSERT_EQ(controller.AddListener(live), B_OK);
    gone->Lock();
    gone->Quit();  // deleted without unregistering

    controller.OpenPlaylist();
    controller.OpenPlaylist();
    ASSERT_EQ(live->WaitForIdle(), B_OK);
    EXPECT_EQ(liveCount.load(), 2);
    EXPECT_EQ(controller.CountPlaylists(), 2);
    live->Lock();
    live->Quit();
    // Nobody alive listens now; opening still works.
    controller.OpenPlaylist();
    EXPECT_EQ(controller.CountPlaylists(), 3);
}

TEST(PlaylistThreads, DisableWithoutAPlayerIsRefused) {
    PlayerController controller;
    EXPECT_EQ(controller.DisableInterface("sp-test"), B_NO_INIT);
    EXPECT_EQ(controller.DisableInterface(nullptr), B_BAD_VALUE);
}
