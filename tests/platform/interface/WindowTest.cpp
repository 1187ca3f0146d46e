// The window as a looper: when its thread starts, what other threads may do meanwhile,
// its frame, close requests and the window list.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <future>
#include <thread>

#include <AppDefs.h>
#include <Button.h>
#include <View.h>
#include <Window.h>
#include <WindowList.h>

#include "InterfaceTestSupport.h"

using namespace interface_test;

namespace {

enum : uint32 { kPing = 'ping', kBlock = 'blok' };

// A window whose QuitRequested answer a test chooses, and which reports its destruction.
class ClosableWindow : public RecordingWindow {
public:
    ClosableWindow(std::atomic<bool> *agree, std::promise<void> *destroyed)
        : RecordingWindow("Closable"), fAgree(agree), fDestroyed(destroyed) {}
    ~ClosableWindow() override { fDestroyed->set_value(); }

    bool QuitRequested() override {
        fQuitRequests++;
        return fAgree->load();
    }

    std::atomic<int> fQuitRequests{0};

private:
    std::atomic<bool> *fAgree;
    std::promise<void> *fDestroyed;
};

}  // namespace

TEST(Window, ThreadStartsAtFirstShowAndHandlesEarlierMessagesThen) {
    RecordingWindow *window = new RecordingWindow();
    ASSERT_EQ(window->PostMessage(kPing), B_OK);

    // Nothing runs the window yet: the message waits in its queue.
    EXPECT_LT(window->Thread(), 0);
    EXPECT_TRUE(window->Handled().empty());
    EXPECT_TRUE(window->IsHidden());

    window->Show();
    EXPECT_FALSE(window->IsHidden());
    EXPECT_GE(window->Thread(), 0);
    ASSERT_TRUE(wait_until_idle(window));

    std::vector<HandledMessage> handled = window->HandledWithCode(kPing);
    ASSERT_EQ(handled.size(), 1u);
    EXPECT_NE(handled[0].thread, std::this_thread::get_id());

    // A second Show neither starts another thread nor loses the queue.
    thread_id first = window->Thread();
    window->Show();
    window->PostMessage(kPing);
    ASSERT_TRUE(wait_until_idle(window));
    EXPECT_EQ(window->Thread(), first);
    handled = window->HandledWithCode(kPing);
    ASSERT_EQ(handled.size(), 2u);
    EXPECT_EQ(handled[1].thread, handled[0].thread);
    quit_window(window);
}

TEST(Window, StateCallsFromAnotherThreadDoNotWaitForTheMessageInProgress) {
    RecordingWindow *window = new RecordingWindow();
    Latch entered;
    Latch release;
    window->Show();
    window->RunOnWindowThread([&] {
        entered.Open();
        release.Wait();
    });
    ASSERT_TRUE(entered.Wait());

    // The window's thread is busy inside a message (holding the looper lock); the
    // player's calls must go through all the same.
    auto calls = std::async(std::launch::async, [&] {
        window->Hide();
        bool hidden = window->IsHidden();
        window->MoveTo(40, 50);
        window->ResizeTo(200, 100);
        window->SetTitle("Busy");
        BRect frame = window->Frame();
        window->Show();
        return hidden && !window->IsHidden() && frame == BRect(40, 50, 240, 150) &&
               window->TitleCopy() == "Busy";
    });
    bool finished = calls.wait_for(kHangGuard) == std::future_status::ready;
    release.Open();
    ASSERT_TRUE(finished) << "a window call waited for the window's thread";
    EXPECT_TRUE(calls.get());
    quit_window(window);
}

TEST(Window, ShowAndHideFromManyThreadsKeepOneThreadAndConsistentState) {
    RecordingWindow *window = new RecordingWindow();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([window, t] {
            for (int i = 0; i < 200; i++) {
                if ((i + t) % 2 == 0)
                    window->Show();
                else
                    window->Hide();
                window->PostMessage(kPing);
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    window->Show();
    ASSERT_TRUE(wait_until_idle(window));
    EXPECT_FALSE(window->IsHidden());
    EXPECT_EQ(window->HandledWithCode(kPing).size(), 800u);
    quit_window(window);
}

namespace {

class ResizeRecordingWindow : public RecordingWindow {
public:
    void FrameResized(float width, float height) override {
        std::lock_guard<std::mutex> lock(fSizesLock);
        fSizes.emplace_back(width, height);
        fThreads.push_back(std::this_thread::get_id());
    }
    void FrameMoved(BPoint where) override {
        std::lock_guard<std::mutex> lock(fSizesLock);
        fMoves.push_back(where);
    }
    std::mutex fSizesLock;
    std::vector<std::pair<float, float>> fSizes;
    std::vector<BPoint> fMoves;
    std::vector<std::thread::id> fThreads;
};

}  // namespace

TEST(Window, MoveAndResizeRoundTripThroughFrameAndReachTheWindowThread) {
    ResizeRecordingWindow *window = new ResizeRecordingWindow();
    window->Show();
    window->MoveTo(BPoint(120, 80));
    window->ResizeTo(300, 150);
    EXPECT_EQ(window->Frame(), BRect(120, 80, 420, 230));
    EXPECT_EQ(window->Bounds(), BRect(0, 0, 300, 150));
    window->MoveBy(-20, 5);
    window->ResizeBy(10, -50);
    EXPECT_EQ(window->Frame(), BRect(100, 85, 410, 185));

    ASSERT_TRUE(wait_until_idle(window));
    {
        std::lock_guard<std::mutex> lock(window->fSizesLock);
        ASSERT_EQ(window->fSizes.size(), 2u);
        EXPECT_EQ(window->fSizes.back(), std::make_pair(310.0f, 100.0f));
        EXPECT_NE(window->fThreads.back(), std::this_thread::get_id());
        ASSERT_EQ(window->fMoves.size(), 2u);
        EXPECT_EQ(window->fMoves.back(), BPoint(100, 85));
    }
    quit_window(window);
}

TEST(Window, SizeLimitsClampResizesAndBadSizes) {
    RecordingWindow *window = new RecordingWindow("Limits", BRect(0, 0, 199, 99));
    window->SetSizeLimits(100, 400, 50, 200);
    window->ResizeTo(1000, 10);
    EXPECT_EQ(window->Frame(), BRect(0, 0, 400, 50));
    // A frame from a careless caller: right < left gives a negative width.
    window->ResizeTo(-30, -1);
    EXPECT_EQ(window->Frame(), BRect(0, 0, 100, 50));
    window->ResizeTo(std::nanf(""), 150);
    EXPECT_EQ(window->Frame(), BRect(0, 0, 100, 150));
    window->MoveTo(std::nanf(""), 3);
    EXPECT_EQ(window->Frame().LeftTop(), BPoint(0, 0));
    // Limits that shrink below the current size shrink the window.
    window->SetSizeLimits(10, 60, 10, 60);
    EXPECT_EQ(window->Frame(), BRect(0, 0, 60, 60));
    quit_window(window);
}

TEST(Window, CloseRequestReachesQuitRequestedWhichDecides) {
    std::atomic<bool> agree{false};
    std::promise<void> destroyed;
    std::future<void> gone = destroyed.get_future();
    ClosableWindow *window = new ClosableWindow(&agree, &destroyed);
    window->Show();

    ASSERT_EQ(window->PressCloseBox(), B_OK);
    ASSERT_TRUE(wait_until_idle(window));
    EXPECT_EQ(window->fQuitRequests.load(), 1);
    EXPECT_TRUE(is_window_alive(window));
    EXPECT_NE(gone.wait_for(std::chrono::seconds(0)), std::future_status::ready);

    // Still working after a refused close.
    window->PostMessage(kPing);
    ASSERT_TRUE(wait_until_idle(window));
    EXPECT_EQ(window->HandledWithCode(kPing).size(), 1u);

    agree = true;
    ASSERT_EQ(window->PressCloseBox(), B_OK);
    ASSERT_EQ(gone.wait_for(kHangGuard), std::future_status::ready);
    EXPECT_FALSE(is_window_alive(window));
}

TEST(Window, CloseRequestDoesNotReachMessageReceived) {
    std::atomic<bool> agree{false};
    std::promise<void> destroyed;
    ClosableWindow *window = new ClosableWindow(&agree, &destroyed);
    window->Show();
    window->PressCloseBox();
    window->PostMessage(kPing);
    ASSERT_TRUE(wait_until_idle(window));
    EXPECT_TRUE(window->HandledWithCode(B_QUIT_REQUESTED).empty());
    quit_window(window);
}

namespace {

class CountedView : public BView {
public:
    CountedView(const char *name, std::atomic<int> *alive) : BView(name), fAlive(alive) {
        (*fAlive)++;
    }
    ~CountedView() override { (*fAlive)--; }

private:
    std::atomic<int> *fAlive;
};

}  // namespace

TEST(Window, OwnsItsViewTreeAndDeletesItWhenQuit) {
    std::atomic<int> alive{0};
    RecordingWindow *window = new RecordingWindow();
    BView *top = new CountedView("top", &alive);
    BView *middle = new CountedView("middle", &alive);
    top->AddChild(middle);
    middle->AddChild(new CountedView("leaf", &alive));
    window->AddChild(top);
    window->AddChild(new CountedView("second", &alive));

    EXPECT_EQ(window->CountChildren(), 2);
    EXPECT_EQ(window->ChildAt(0), top);
    EXPECT_EQ(window->ChildAt(2), nullptr);
    EXPECT_EQ(window->FindView("leaf"), middle->ChildAt(0));
    EXPECT_EQ(middle->ChildAt(0)->Window(), window);
    EXPECT_EQ(middle->ChildAt(0)->Parent(), middle);
    EXPECT_EQ(top->Parent(), nullptr);
    EXPECT_EQ(alive.load(), 4);

    window->Show();
    quit_window(window);
    EXPECT_EQ(alive.load(), 0);
}

TEST(Window, RefusesViewsThatAreAlreadyInATreeOrWouldMakeACycle) {
    RecordingWindow *window = new RecordingWindow();
    BView *top = new BView("top");
    BView *child = new BView("child");
    window->AddChild(top);
    top->AddChild(child);

    window->AddChild(child);  // already has a parent
    top->AddChild(top);       // itself
    child->AddChild(top);     // its own ancestor
    window->AddChild(nullptr);
    EXPECT_EQ(window->CountChildren(), 1);
    EXPECT_EQ(top->CountChildren(), 1);
    EXPECT_EQ(child->CountChildren(), 0);
    EXPECT_EQ(child->Parent(), top);

    // Taken out, a view is the caller's again and may go elsewhere.
    EXPECT_TRUE(top->RemoveChild(child));
    EXPECT_EQ(child->Window(), nullptr);
    EXPECT_FALSE(top->RemoveChild(child));
    window->AddChild(child);
    EXPECT_EQ(window->CountChildren(), 2);
    EXPECT_EQ(child->Window(), window);
    quit_window(window);
}

TEST(Window, ViewDeletedWhileInTheTreeLeavesIt) {
    RecordingWindow *window = new RecordingWindow();
    BView *top = new BView("top");
    BView *child = new BView("child");
    window->AddChild(top);
    top->AddChild(child);
    child->MakeFocus();
    EXPECT_EQ(window->CurrentFocus(), child);

    delete child;
    EXPECT_EQ(top->CountChildren(), 0);
    EXPECT_EQ(window->CurrentFocus(), nullptr);
    delete top;
    EXPECT_EQ(window->CountChildren(), 0);
    quit_window(window);
}

TEST(Window, FocusFollowsMakeFocusAndLeavesWithItsView) {
    RecordingWindow *window = new RecordingWindow();
    BView *group = new BView("group");
    BView *first = new BView("first");
    BView *second = new BView("second");
    group->AddChild(first);
    group->AddChild(second);
    window->AddChild(group);

    BView orphan("orphan");
    orphan.MakeFocus();
    EXPECT_FALSE(orphan.IsFocus());
    EXPECT_EQ(window->CurrentFocus(), nullptr);

    first->MakeFocus();
    EXPECT_TRUE(first->IsFocus());
    second->MakeFocus(true);
    EXPECT_FALSE(first->IsFocus());
    EXPECT_EQ(window->CurrentFocus(), second);
    first->MakeFocus(false);  // not the focus: changes nothing
    EXPECT_EQ(window->CurrentFocus(), second);

    window->RemoveChild(group);
    EXPECT_EQ(window->CurrentFocus(), nullptr);
    EXPECT_EQ(second->Window(), nullptr);
    delete group;
    quit_window(window);
}

TEST(Window, DefaultButtonIsOneOfItsOwnAndLeavesWithIt) {
    auto hook = std::make_shared<RecordingHook>();
    ScopedHook installed(hook);
    RecordingWindow *window = new RecordingWindow();
    BView *group = new BView("group");
    BButton *save = new BButton("Save");
    group->AddChild(save);
    window->AddChild(group);
    BButton stranger("Elsewhere");

    EXPECT_EQ(window->DefaultButton(), nullptr);
    window->SetDefaultButton(&stranger);  // not in this window: refused
    EXPECT_EQ(window->DefaultButton(), nullptr);
    window->SetDefaultButton(save);
    EXPECT_EQ(window->DefaultButton(), save);
    const auto told = hook->EntriesOfKind(B_WINDOW_DEFAULT_BUTTON_CHANGED);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].change.view, save);

    window->RemoveChild(group);
    EXPECT_EQ(window->DefaultButton(), nullptr);
    delete group;
    quit_window(window);
}

TEST(WindowList, ListsWindowsUntilTheyQuit) {
    const int32 before = count_windows();
    RecordingWindow *first = new RecordingWindow("First");
    RecordingWindow *second = new RecordingWindow("Second");
    EXPECT_EQ(count_windows(), before + 2);
    EXPECT_EQ(window_at(before), first);
    EXPECT_EQ(window_at(before + 1), second);
    EXPECT_EQ(window_at(-1), nullptr);

    std::vector<BString> titles;
    for_each_window([&](BWindow *window) {
        titles.push_back(window->TitleCopy());
        return true;
    });
    ASSERT_GE(titles.size(), 2u);
    EXPECT_EQ(titles[titles.size() - 2], "First");
    EXPECT_EQ(titles.back(), "Second");

    int visited = 0;
    for_each_window([&](BWindow *) { return ++visited < 1; });
    EXPECT_EQ(visited, 1);

    first->Show();
    quit_window(first);
    EXPECT_EQ(count_windows(), before + 1);
    EXPECT_FALSE(is_window_alive(first));
    EXPECT_TRUE(is_window_alive(second));
    quit_window(second);  // never shown: deleted at once
    EXPECT_EQ(count_windows(), before);
}

TEST(WindowList, WalkingTheListIsSafeWhileWindowsComeAndGo) {
    const int32 before = count_windows();
    std::atomic<bool> stop{false};
    std::thread churn([&] {
        for (int i = 0; i < 150; i++) {
            RecordingWindow *window = new RecordingWindow("Churn");
            window->AddChild(new BView("content"));
            if (i % 2 == 0)
                window->Show();
            quit_window(window);
        }
        stop = true;
    });
    bool sawOnlyLiveWindows = true;
    while (!stop) {
        for_each_window([&](BWindow *window) {
            // What a display does with a window it finds: read its state and its views.
            // A window being destroyed here would show up under ASan or TSan.
            BString title = window->TitleCopy();
            BView *content = window->ChildAt(0);
            // (A view is published in the tree just before it learns its window: read that
            // once, as it may change between two reads.)
            BWindow *itsWindow = content != nullptr ? content->Window() : nullptr;
            if (itsWindow != window && itsWindow != nullptr)
                sawOnlyLiveWindows = false;
            window->Frame();
            return true;
        });
    }
    churn.join();
    EXPECT_TRUE(sawOnlyLiveWindows);
    EXPECT_EQ(count_windows(), before);
}
