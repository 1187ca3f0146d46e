// The display hook: told about every change, on the thread that made it, after the
// model's lock is released, with enough identity to find the widget.
#include <gtest/gtest.h>

#include <thread>

#include <Button.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <PopUpMenu.h>
#include <StringView.h>
#include <TextControl.h>
#include <WindowList.h>

#include "InterfaceTestSupport.h"

using namespace interface_test;

namespace {

bool has_change(RecordingHook &hook, display_change_kind kind, const void *view,
                std::thread::id thread) {
    for (const RecordingHook::Entry &entry : hook.EntriesOfKind(kind)) {
        const void *subject = entry.change.item != nullptr
                                  ? static_cast<const void *>(entry.change.item)
                                  : static_cast<const void *>(entry.change.view);
        if (entry.change.kind == B_WINDOW_CREATED || entry.change.kind == B_WINDOW_SHOWN ||
            entry.change.kind == B_WINDOW_HIDDEN || entry.change.kind == B_WINDOW_FRAME_CHANGED ||
            entry.change.kind == B_WINDOW_TITLE_CHANGED || entry.change.kind == B_WINDOW_DESTROYED)
            subject = entry.change.window;
        if (subject == view && entry.thread == thread)
            return true;
    }
    return false;
}

}  // namespace

TEST(DisplayHook, SeesChangesMadeOnOtherThreadsAndCanReadTheModelMeanwhile) {
    auto hook = std::make_shared<RecordingHook>();
    // Reading the model from inside the hook deadlocks (or trips TSan/the mutex checks)
    // if the hook were called with the model's lock held.
    std::vector<BString> textsSeen;
    hook->fInspect = [&textsSeen](const display_change &change) {
        if (change.kind == B_CONTROL_TEXT_CHANGED)
            textsSeen.push_back(static_cast<BTextControl *>(change.view)->TextCopy());
        if (change.kind == B_MENU_ITEM_MARKED)
            change.menu->FindMarked();
        if (change.kind == B_WINDOW_FRAME_CHANGED || change.kind == B_WINDOW_TITLE_CHANGED)
            change.window->TitleCopy(), change.window->Frame();
        if (change.kind == B_VIEW_FOCUS_CHANGED && change.window != nullptr)
            change.window->CurrentFocus();
    };
    ScopedHook installed(hook);

    RecordingWindow *window = new RecordingWindow();
    BTextControl *text = new BTextControl("title", "Title:", "", nullptr);
    BPopUpMenu *menu = new BPopUpMenu("genre");
    BMenuField *field = new BMenuField("genre", "Genre:", menu);
    window->AddChild(text);
    window->AddChild(field);
    window->Show();
    EXPECT_TRUE(has_change(*hook, B_WINDOW_CREATED, window, std::this_thread::get_id()));
    EXPECT_TRUE(has_change(*hook, B_VIEW_ADDED, text, std::this_thread::get_id()));
    EXPECT_TRUE(has_change(*hook, B_WINDOW_SHOWN, window, std::this_thread::get_id()));

    BMenuItem *rock = new BMenuItem("Rock", nullptr);
    std::thread::id changer;
    std::thread other([&] {
        changer = std::this_thread::get_id();
        text->SetText("Hello");
        menu->AddItem(new BMenuItem("Blues", nullptr));
        menu->AddItem(rock);
        rock->SetMarked(true);
        text->MakeFocus();
        window->SetTitle("Renamed");
        window->MoveTo(5, 6);
        window->Hide();
    });
    other.join();

    EXPECT_TRUE(has_change(*hook, B_CONTROL_TEXT_CHANGED, text, changer));
    EXPECT_TRUE(has_change(*hook, B_MENU_ITEM_ADDED, rock, changer));
    EXPECT_TRUE(has_change(*hook, B_MENU_ITEM_MARKED, rock, changer));
    EXPECT_TRUE(has_change(*hook, B_VIEW_FOCUS_CHANGED, text, changer));
    EXPECT_TRUE(has_change(*hook, B_WINDOW_TITLE_CHANGED, window, changer));
    EXPECT_TRUE(has_change(*hook, B_WINDOW_FRAME_CHANGED, window, changer));
    EXPECT_TRUE(has_change(*hook, B_WINDOW_HIDDEN, window, changer));
    ASSERT_EQ(textsSeen.size(), 1u);
    EXPECT_EQ(textsSeen[0], "Hello");

    // Enough identity to find the widget: the menu change names its field and window.
    std::vector<RecordingHook::Entry> added = hook->EntriesOfKind(B_MENU_ITEM_ADDED);
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[1].change.window, window);
    EXPECT_EQ(added[1].change.view, field);
    EXPECT_EQ(added[1].change.menu, menu);
    EXPECT_EQ(added[1].change.index, 1);

    quit_window(window);
    EXPECT_TRUE(has_change(*hook, B_WINDOW_DESTROYED, window, std::this_thread::get_id()));
}

TEST(DisplayHook, TypedTextIsReportedFromTheWindowThread) {
    auto hook = std::make_shared<RecordingHook>();
    ScopedHook installed(hook);
    RecordingWindow *window = new RecordingWindow();
    BTextControl *text = new BTextControl("title", "Title:", "", nullptr);
    window->AddChild(text);
    window->Show();
    std::thread::id windowThread;
    window->RunOnWindowThread([&] { windowThread = std::this_thread::get_id(); });
    ASSERT_TRUE(wait_until_idle(window));

    text->TypeText("typed");
    ASSERT_TRUE(wait_until_idle(window));
    EXPECT_TRUE(has_change(*hook, B_CONTROL_TEXT_CHANGED, text, windowThread));
    quit_window(window);
}

TEST(DisplayHook, AStringViewReportsEachChangeOfItsTextFromTheChangingThread) {
    auto hook = std::make_shared<RecordingHook>();
    ScopedHook installed(hook);
    RecordingWindow *window = new RecordingWindow();
    BStringView *status = new BStringView("status", "ready");
    window->AddChild(status);
    EXPECT_EQ(window->FindView("status"), status);
    std::thread other([&] {
        status->SetText("saved");
        status->SetText("saved");  // the same text: no change, no report
        status->SetText(nullptr);
    });
    other.join();
    std::vector<RecordingHook::Entry> changed = hook->EntriesOfKind(B_CONTROL_TEXT_CHANGED);
    ASSERT_EQ(changed.size(), 2u);
    EXPECT_EQ(changed[0].change.view, status);
    EXPECT_EQ(changed[0].change.window, window);
    EXPECT_NE(changed[0].thread, std::this_thread::get_id());
    EXPECT_EQ(status->TextCopy(), "");
    quit_window(window);
}

TEST(DisplayHook, MarkingReportsEveryItemWhoseMarkChangedAndOnlyThose) {
    auto hook = std::make_shared<RecordingHook>();
    BPopUpMenu menu("m");
    for (const char *label : {"a", "b", "c"})
        menu.AddItem(new BMenuItem(label, nullptr));
    menu.ItemAt(0)->SetMarked(true);
    ScopedHook installed(hook);

    menu.ItemAt(2)->SetMarked(true);
    std::vector<RecordingHook::Entry> marked = hook->EntriesOfKind(B_MENU_ITEM_MARKED);
    ASSERT_EQ(marked.size(), 2u);
    EXPECT_EQ(marked[0].change.item, menu.ItemAt(0));
    EXPECT_FALSE(marked[0].change.item->IsMarked());
    EXPECT_EQ(marked[1].change.item, menu.ItemAt(2));
    EXPECT_EQ(marked[1].change.index, 2);

    menu.ItemAt(2)->SetMarked(true);  // already marked: no change, no report
    EXPECT_EQ(hook->EntriesOfKind(B_MENU_ITEM_MARKED).size(), 2u);
}

TEST(DisplayHook, ReplacingTheHookWhileChangesArriveIsSafe) {
    BTextControl control("t", "T:", "", nullptr);
    set_display_hook(std::make_shared<RecordingHook>());
    std::atomic<bool> done{false};
    std::thread changer([&] {
        for (int i = 0; i < 2000; i++)
            control.SetText(i % 2 ? "odd" : "even");
        done = true;
    });
    while (!done)
        set_display_hook(std::make_shared<RecordingHook>());
    changer.join();
    std::shared_ptr<BDisplayHook> last = set_display_hook(nullptr);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(set_display_hook(nullptr), nullptr);
    EXPECT_EQ(control.TextCopy(), "odd");
}
