// Controls as a user meets them: choosing menu items, pressing buttons, typing text,
// from threads other than the window's.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>

#include <Button.h>
#include <Looper.h>
#include <Menu.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <PopUpMenu.h>
#include <TextControl.h>

#include "InterfaceTestSupport.h"

using namespace interface_test;

namespace {

enum : uint32 { kPicked = 'pick', kPressed = 'pres', kRead = 'read' };

BMenuField *make_field(const char *label, std::initializer_list<const char *> labels,
                       bool withMessages) {
    BPopUpMenu *menu = new BPopUpMenu(label);
    for (const char *item : labels)
        menu->AddItem(new BMenuItem(item, withMessages ? new BMessage(kPicked) : nullptr));
    return new BMenuField(label, label, menu);
}

std::vector<bool> marks(BMenu *menu) {
    std::vector<bool> result;
    for (int32 i = 0; i < menu->CountItems(); i++)
        result.push_back(menu->ItemAt(i)->IsMarked());
    return result;
}

}  // namespace

TEST(Menu, ChoosingAnItemMarksItUnmarksTheOthersAndSendsItsMessageToTheWindow) {
    RecordingWindow *window = new RecordingWindow();
    BMenuField *field = make_field("Genre:", {"Blues", "Rock", "Jazz"}, true);
    window->AddChild(field);
    BMenu *menu = field->Menu();
    menu->ItemAt(0)->SetMarked(true);
    window->Show();

    std::thread user([menu] { EXPECT_EQ(menu->ItemAt(2)->Choose(), B_OK); });
    user.join();
    EXPECT_EQ(marks(menu), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(menu->FindMarked(), menu->ItemAt(2));
    EXPECT_EQ(menu->FindMarkedIndex(), 2);

    ASSERT_TRUE(wait_until_idle(window));
    std::vector<HandledMessage> picked = window->HandledWithCode(kPicked);
    ASSERT_EQ(picked.size(), 1u);
    int32 index = -1;
    EXPECT_EQ(picked[0].message.FindInt32("index", &index), B_OK);
    EXPECT_EQ(index, 2);
    void *source = nullptr;
    EXPECT_EQ(picked[0].message.FindPointer("source", &source), B_OK);
    EXPECT_EQ(source, menu->ItemAt(2));
    EXPECT_NE(picked[0].thread, std::this_thread::get_id());
    quit_window(window);
}

TEST(Menu, MarkingWithoutChoosingSendsNothing) {
    RecordingWindow *window = new RecordingWindow();
    BMenuField *field = make_field("Rating:", {"1", "2", "3"}, true);
    window->AddChild(field);
    window->Show();
    field->Menu()->ItemAt(1)->SetMarked(true);
    field->Menu()->ItemAt(0)->SetMarked(true);
    EXPECT_EQ(marks(field->Menu()), (std::vector<bool>{true, false, false}));
    ASSERT_TRUE(wait_until_idle(window));
    EXPECT_TRUE(window->HandledWithCode(kPicked).empty());
    quit_window(window);
}

TEST(Menu, ItemsWithoutMessageOnlyMarkAndDisabledItemsDoNothing) {
    RecordingWindow *window = new RecordingWindow();
    BMenuField *field = make_field("Rating:", {"1", "2", "3"}, false);
    window->AddChild(field);
    window->Show();
    BMenu *menu = field->Menu();
    EXPECT_EQ(menu->ItemAt(1)->Choose(), B_OK);
    menu->ItemAt(2)->SetEnabled(false);
    EXPECT_EQ(menu->ItemAt(2)->Choose(), B_NOT_ALLOWED);
    EXPECT_EQ(marks(menu), (std::vector<bool>{false, true, false}));
    ASSERT_TRUE(wait_until_idle(window));
    EXPECT_TRUE(window->Handled().empty());
    quit_window(window);
}

TEST(Menu, NonRadioMenusKeepSeveralMarks) {
    BMenu menu("checks");
    menu.AddItem(new BMenuItem("a", nullptr));
    menu.AddItem(new BMenuItem("b", nullptr));
    menu.ItemAt(0)->SetMarked(true);
    menu.ItemAt(1)->SetMarked(true);
    EXPECT_EQ(marks(&menu), (std::vector<bool>{true, true}));
    menu.SetRadioMode(true);
    menu.ItemAt(1)->SetMarked(true);
    EXPECT_EQ(marks(&menu), (std::vector<bool>{false, true}));
}

// In radio mode the one mark moves from item to item, through picks, an item that joins
// marked, and the marked item leaving.
TEST(Menu, FindsTheOneMarkInRadioModeAsItMovesAndItemsComeAndGo) {
    BPopUpMenu menu("m");
    for (const char *label : {"a", "b", "c", "d"})
        menu.AddItem(new BMenuItem(label, nullptr));
    EXPECT_EQ(menu.FindMarked(), nullptr);
    menu.ItemAt(3)->SetMarked(true);
    menu.ItemAt(1)->SetMarked(true);
    EXPECT_EQ(marks(&menu), (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(menu.FindMarked(), menu.ItemAt(1));
    BMenuItem *joining = new BMenuItem("e", nullptr);
    joining->SetMarked(true);
    menu.AddItem(joining, 0);
    EXPECT_EQ(marks(&menu), (std::vector<bool>{true, false, false, false, false}));
    EXPECT_EQ(menu.FindMarkedIndex(), 0);
    menu.ItemAt(4)->SetMarked(true);
    EXPECT_EQ(menu.FindMarked(), menu.ItemAt(4));
    delete menu.ItemAt(4);
    EXPECT_EQ(menu.FindMarked(), nullptr);
    menu.ItemAt(2)->SetMarked(true);
    menu.ItemAt(2)->SetMarked(false);
    EXPECT_EQ(menu.FindMarkedIndex(), -1);
    menu.ItemAt(0)->SetMarked(true);
    EXPECT_EQ(marks(&menu), (std::vector<bool>{true, false, false, false}));
}

// The label lookup keeps up with every change: the first of equal labels, a relabelled
// item, items inserted before and removed.
TEST(Menu, FindsTheFirstItemWithALabelAfterEveryChange) {
    BPopUpMenu menu("m");
    BMenuItem *first = new BMenuItem("Rock", nullptr);
    BMenuItem *second = new BMenuItem("Rock", nullptr);
    menu.AddItem(first);
    menu.AddItem(second);
    EXPECT_EQ(menu.FindItem("Rock"), first);
    menu.AddItem(new BMenuItem("Pop", nullptr), 0);
    EXPECT_EQ(menu.FindItem("Rock"), first);
    EXPECT_EQ(menu.FindItem("Pop"), menu.ItemAt(0));
    first->SetLabel("Jazz");
    EXPECT_EQ(menu.FindItem("Rock"), second);
    EXPECT_EQ(menu.FindItem("Jazz"), first);
    EXPECT_TRUE(menu.RemoveItem(first));
    EXPECT_EQ(menu.FindItem("Jazz"), nullptr);
    EXPECT_EQ(menu.FindItem("Rock"), second);
    delete first;
}

TEST(Menu, KeepsOrderAndFindsItemsByLabelAndIndex) {
    BPopUpMenu menu("m");
    BMenuItem *b = new BMenuItem("b", nullptr);
    EXPECT_TRUE(menu.AddItem(b));
    EXPECT_TRUE(menu.AddItem(new BMenuItem("a", nullptr), 0));
    EXPECT_TRUE(menu.AddItem(new BMenuItem("c", nullptr), 99));
    EXPECT_FALSE(menu.AddItem(b));  // already in the menu
    EXPECT_FALSE(menu.AddItem(nullptr));
    ASSERT_EQ(menu.CountItems(), 3);
    EXPECT_STREQ(menu.ItemAt(0)->Label(), "a");
    EXPECT_EQ(menu.IndexOf(b), 1);
    EXPECT_EQ(menu.FindItem("c"), menu.ItemAt(2));
    EXPECT_EQ(menu.FindItem("z"), nullptr);
    EXPECT_EQ(menu.FindMarked(), nullptr);
    EXPECT_EQ(b->Menu(), &menu);

    EXPECT_EQ(menu.RemoveItem(1), b);
    EXPECT_EQ(b->Menu(), nullptr);
    EXPECT_EQ(menu.CountItems(), 2);
    EXPECT_EQ(menu.RemoveItem(5), nullptr);
    delete b;

    // An item deleted while still in the menu leaves it.
    delete menu.ItemAt(0);
    ASSERT_EQ(menu.CountItems(), 1);
    EXPECT_STREQ(menu.ItemAt(0)->Label(), "c");
}

TEST(Menu, ItemsGoToTheMenusTargetWhenItHasOne) {
    auto *other = new looper_test::RecordingLooper("recorder");
    other->Run();
    RecordingWindow *window = new RecordingWindow();
    BMenuField *field = make_field("Vol:", {"0"}, true);
    field->Menu()->SetTargetForItems(other);
    window->AddChild(field);
    // Added after the target was set, and after the field joined the window.
    field->Menu()->AddItem(new BMenuItem("1", new BMessage(kPicked)));
    window->Show();

    field->Menu()->ItemAt(0)->Choose();
    field->Menu()->ItemAt(1)->Choose();
    ASSERT_TRUE(wait_until_idle(other));
    ASSERT_TRUE(wait_until_idle(window));
    EXPECT_EQ(other->Handled().size(), 2u);
    EXPECT_TRUE(window->Handled().empty());
    quit_window(window);
    if (other->Lock())
        other->Quit();
}

TEST(Button, PressingSendsItsMessageToItsWindow) {
    RecordingWindow *window = new RecordingWindow();
    BButton *button = new BButton("save", "Save", new BMessage(kPressed));
    window->AddChild(button);
    window->Show();

    std::thread user([button] { EXPECT_EQ(button->Press(), B_OK); });
    user.join();
    ASSERT_TRUE(wait_until_idle(window));
    std::vector<HandledMessage> pressed = window->HandledWithCode(kPressed);
    ASSERT_EQ(pressed.size(), 1u);
    void *source = nullptr;
    EXPECT_EQ(pressed[0].message.FindPointer("source", &source), B_OK);
    EXPECT_EQ(source, static_cast<BView *>(button));

    button->SetEnabled(false);
    EXPECT_EQ(button->Press(), B_NOT_ALLOWED);
    ASSERT_TRUE(wait_until_idle(window));
    EXPECT_EQ(window->HandledWithCode(kPressed).size(), 1u);
    quit_window(window);
}

TEST(Button, PressingWithoutAMessageSendsNothing) {
    RecordingWindow *window = new RecordingWindow();
    BButton *button = new BButton("Nothing");
    window->AddChild(button);
    window->Show();
    EXPECT_EQ(button->Press(), B_BAD_VALUE);
    ASSERT_TRUE(wait_until_idle(window));
    EXPECT_TRUE(window->Handled().empty());
    quit_window(window);
}

TEST(Button, PressingWhenTheTargetIsGoneFailsCleanly) {
    auto *target = new looper_test::RecordingLooper("recorder");
    target->Run();
    RecordingWindow *window = new RecordingWindow();
    BButton *button = new BButton("b", "B", new BMessage(kPressed));
    button->SetTarget(target);
    window->AddChild(button);
    window->Show();
    EXPECT_EQ(button->Press(), B_OK);
    ASSERT_TRUE(wait_until_idle(target));
    ASSERT_EQ(target->Handled().size(), 1u);

    if (target->Lock())
        target->Quit();
    // The target looper is deleted; the button holds only a messenger to it.
    EXPECT_NE(button->Press(), B_OK);
    ASSERT_TRUE(wait_until_idle(window));
    EXPECT_TRUE(window->Handled().empty());
    quit_window(window);
}

TEST(TextControl, KeepsTextAndDividerAndCopiesForOtherThreads) {
    BTextControl control("title", "Title:", nullptr, nullptr);
    EXPECT_STREQ(control.Text(), "");
    EXPECT_STREQ(control.Label(), "Title:");
    control.SetText("Abc");
    EXPECT_EQ(control.TextCopy(), "Abc");
    EXPECT_EQ(control.TextLength(), 3);
    control.SetDivider(55);
    EXPECT_EQ(control.Divider(), 55);
    EXPECT_EQ(control.TypeText("typed"), B_OK);  // not in a window: at once
    EXPECT_STREQ(control.Text(), "typed");
}

TEST(TextControl, TextTypedFromAnotherThreadReachesTheWindowThreadInOrder) {
    RecordingWindow *window = new RecordingWindow();
    BTextControl *control = new BTextControl("title", "Title:", "", nullptr);
    window->AddChild(control);
    window->Show();

    // The window's thread keeps reading the text (as a save does) while a user types.
    std::mutex seenLock;
    std::set<std::string> seen;
    std::atomic<bool> typing{true};
    std::thread reader([&] {
        while (typing) {
            window->RunOnWindowThread([&] {
                const char *text = control->Text();
                std::string copy(text);
                std::lock_guard<std::mutex> lock(seenLock);
                seen.insert(copy);
            });
            std::this_thread::yield();
        }
    });
    std::thread user([&] {
        for (int i = 0; i < 500; i++)
            EXPECT_EQ(control->TypeText(("text " + std::to_string(i)).c_str()), B_OK);
    });
    user.join();
    typing = false;
    reader.join();
    ASSERT_TRUE(wait_until_idle(window));

    EXPECT_EQ(control->TextCopy(), "text 499");
    quit_window(window);
    for (const std::string &text : seen)
        EXPECT_TRUE(text.empty() || text.rfind("text ", 0) == 0) << text;
}

TEST(TextControl, TypingIntoAControlThatLeftTheWindowIsDropped) {
    RecordingWindow *window = new RecordingWindow();
    BTextControl *control = new BTextControl("title", "Title:", "kept", nullptr);
    window->AddChild(control);
    window->Show();
    Latch entered;
    Latch release;
    window->RunOnWindowThread([&] {
        entered.Open();
        release.Wait();
    });
    ASSERT_TRUE(entered.Wait());
    // Queued behind the message in progress, then the control goes away.
    ASSERT_EQ(control->TypeText("lost"), B_OK);
    window->RemoveChild(control);
    delete control;
    release.Open();
    ASSERT_TRUE(wait_until_idle(window));
    EXPECT_EQ(window->CountChildren(), 0);
    quit_window(window);
}
