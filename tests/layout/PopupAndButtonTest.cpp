// What layout controls send: pop-ups on SetActive and on a user's choice, buttons when
// pressed.
#include <gtest/gtest.h>

#include <Looper.h>
#include <MenuItem.h>
#include <layout.h>

#include "InterfaceTestSupport.h"

using namespace interface_test;

namespace {

using RecordingMWindow = BasicRecordingWindow<MWindow>;

enum : uint32 { kAdjust = 'AiVa', kLater = 'late' };

}  // namespace

TEST(Popup, SetActiveWithoutNotifySendsNothingAndWithNotifySendsTheItemsMessage) {
    RecordingMWindow *window = new RecordingMWindow();
    MPopup *popup = new MPopup("Vol. Adjust:", {"-1", "0", "1"}, new BMessage(kAdjust), window);
    window->AddChild(new VGroup({popup}));
    window->Show();

    popup->SetActive(0, false);
    ASSERT_TRUE(wait_until_idle(window));
    EXPECT_TRUE(window->HandledWithCode(kAdjust).empty());
    EXPECT_STREQ(popup->MenuItem()->Label(), "-1");

    popup->SetActive(2, true);
    EXPECT_STREQ(popup->MenuItem()->Label(), "1");
    EXPECT_FALSE(popup->Menu()->ItemAt(0)->IsMarked());
    ASSERT_TRUE(wait_until_idle(window));
    std::vector<HandledMessage> sent = window->HandledWithCode(kAdjust);
    ASSERT_EQ(sent.size(), 1u);
    int32 index = -1;
    EXPECT_EQ(sent[0].message.FindInt32("index", &index), B_OK);
    EXPECT_EQ(index, 2);
    // By the time the window handles it, the item is marked: the handler reads the
    // label of the current item.
    EXPECT_NE(sent[0].thread, std::this_thread::get_id());

    // Out of range: nothing changes, nothing is sent.
    popup->SetActive(3, true);
    popup->SetActive(-1, true);
    ASSERT_TRUE(wait_until_idle(window));
    EXPECT_STREQ(popup->MenuItem()->Label(), "1");
    EXPECT_EQ(window->HandledWithCode(kAdjust).size(), 1u);
    quit_window(window);
}

TEST(Popup, EachItemCarriesItsOwnCopyOfTheMessage) {
    MPopup popup("Rating:", {"1", "2"}, new BMessage(kAdjust));
    BMessage *first = popup.Menu()->ItemAt(0)->Message();
    BMessage *second = popup.Menu()->ItemAt(1)->Message();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->what, kAdjust);
    EXPECT_EQ(second->what, kAdjust);

    MPopup silent("Rating:", {"1"});
    EXPECT_EQ(silent.Menu()->ItemAt(0)->Message(), nullptr);
    EXPECT_EQ(silent.MenuItem(), nullptr);
}

TEST(Popup, ItemsAddedLaterGoToTheWindowByDefault) {
    RecordingMWindow *window = new RecordingMWindow();
    MPopup *popup = new MPopup("Genre:");
    window->AddChild(new VGroup({popup}));
    popup->Menu()->AddItem(new BMenuItem("Blues", new BMessage(kLater)));
    window->Show();

    EXPECT_EQ(popup->Menu()->ItemAt(0)->Choose(), B_OK);
    ASSERT_TRUE(wait_until_idle(window));
    EXPECT_EQ(window->HandledWithCode(kLater).size(), 1u);
    EXPECT_EQ(popup->MenuItem(), popup->Menu()->ItemAt(0));
    quit_window(window);
}

TEST(Popup, ItemsAddedLaterGoToThePopupsTarget) {
    auto *other = new looper_test::RecordingLooper("other");
    other->Run();
    RecordingMWindow *window = new RecordingMWindow();
    MPopup *popup = new MPopup("Genre:", {"Rock"}, new BMessage(kAdjust), other);
    window->AddChild(new VGroup({popup}));
    popup->Menu()->AddItem(new BMenuItem("Blues", new BMessage(kLater)));
    window->Show();

    popup->SetActive(0, true);
    popup->SetActive(1, true);
    ASSERT_TRUE(wait_until_idle(other));
    ASSERT_TRUE(wait_until_idle(window));
    std::vector<BMessage> handled = other->Handled();
    ASSERT_EQ(handled.size(), 2u);
    EXPECT_EQ(handled[0].what, kAdjust);
    EXPECT_EQ(handled[1].what, kLater);
    EXPECT_TRUE(window->Handled().empty());
    quit_window(window);
    if (other->Lock())
        other->Quit();
}

TEST(LayoutButton, PressSendsButtonSelectedWithItsIdToTheWindow) {
    RecordingMWindow *window = new RecordingMWindow();
    MButton *save = new MButton("Save", 4);
    window->AddChild(new HGroup({new Space(), save}));
    window->Show();

    EXPECT_EQ(save->Press(), B_OK);
    ASSERT_TRUE(wait_until_idle(window));
    std::vector<HandledMessage> pressed = window->HandledWithCode('!but');
    ASSERT_EQ(pressed.size(), 1u);
    EXPECT_EQ(M_BUTTON_SELECTED, 0x21627574u);
    int32 id = 0;
    EXPECT_EQ(pressed[0].message.FindInt32("id", &id), B_OK);
    EXPECT_EQ(id, 4);
    quit_window(window);
}

TEST(LayoutButton, ButtonWithItsOwnMessageGoesToItsTarget) {
    auto *other = new looper_test::RecordingLooper("other");
    other->Run();
    RecordingMWindow *window = new RecordingMWindow();
    MButton *button = new MButton("Go", new BMessage(kLater), other);
    window->AddChild(new VGroup({button}));
    window->Show();
    EXPECT_EQ(button->Press(), B_OK);
    ASSERT_TRUE(wait_until_idle(other));
    ASSERT_EQ(other->Handled().size(), 1u);
    EXPECT_EQ(other->Handled()[0].what, kLater);
    quit_window(window);
    if (other->Lock())
        other->Quit();
}

TEST(LayoutButton, AskedMinimumsWinOverSmallerContentAndNegativeOnesMeanContent) {
    MButton natural("OK", 1);
    MButton large("OK", 1, minimax(300, 90, 1e6, 1e6, 1));
    minimax n = natural.layoutprefs();
    minimax l = large.layoutprefs();
    EXPECT_GT(n.mini.x, 0);
    EXPECT_LT(n.mini.x, 300);
    EXPECT_EQ(l.mini.x, 300);
    EXPECT_EQ(l.mini.y, 90);
    MButton capped("OK", 1, minimax(-1, -1, 10, 10, 1));
    minimax c = capped.layoutprefs();
    EXPECT_EQ(c.maxi.x, c.mini.x);  // a maximum below the content's minimum is the minimum
}
