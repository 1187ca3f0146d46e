// The front end in this process, on Qt's offscreen platform: a real window model built
// with the layout library, its own looper thread making changes, and the widgets that
// mirror it driven as a person would.
#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <DivideSame.h>
#include <HGroup.h>
#include <MButton.h>
#include <MPopup.h>
#include <MStringView.h>
#include <MTextControl.h>
#include <MWindow.h>
#include <Menu.h>
#include <MenuItem.h>
#include <Message.h>
#include <VGroup.h>
#include <WindowList.h>

#include "DisplayTestSupport.h"
#include "Player.h"
#include "QtDisplay.h"
#include "WindowMirror.h"

namespace {

const uint32 kPicked = 'pick';
const uint32 kSaved = 'save';
const uint32 kSetTitle = 'sett';
const uint32 kSetStatus = 'stat';

// How many windows agreed to close (a window that closed is gone: it cannot be asked).
std::atomic<int> gQuitRequests{0};

// A form like the add-on's: two text fields and a pop-up sharing one divider, a button
// and a status line. It records the codes it receives; 'sett' and 'stat' set the title
// and the status from its own thread.
class FormWindow : public MWindow {
public:
    FormWindow() : MWindow(BRect(40, 40, 0, 0), "Form", B_TITLED_WINDOW, 0) {
        title = new MTextControl("Title:", "first");
        artist = new MTextControl("Performing Artist:", "");
        popup = new MPopup("Pick:", {"one", "two", "three"}, new BMessage(kPicked), this);
        save = new MButton("Save", new BMessage(kSaved));
        status = new MStringView("status", "ready");
        AddChild(new VGroup({title, artist, new HGroup({popup, save}), status}));
        DivideSame({title, artist, popup});
        popup->SetActive(0, false);
    }

    void MessageReceived(BMessage *message) override {
        if (message->what == kSetTitle || message->what == kSetStatus) {
            const char *text = nullptr;
            message->FindString("text", &text);
            if (message->what == kSetTitle)
                title->SetText(text);
            else
                status->SetText(text);
            return;
        }
        std::lock_guard<std::mutex> lock(fLock);
        fReceived.push_back(message->what);
    }

    bool QuitRequested() override {
        gQuitRequests++;
        return true;
    }

    std::vector<uint32> Received() {
        std::lock_guard<std::mutex> lock(fLock);
        return fReceived;
    }

    MTextControl *title;
    MTextControl *artist;
    MPopup *popup;
    MButton *save;
    MStringView *status;

private:
    std::mutex fLock;
    std::vector<uint32> fReceived;
};

class MirrorTest : public ::testing::Test {
protected:
    void SetUp() override {
        display_test::application();
        display = std::make_unique<QtDisplay>(player);
        window = new FormWindow;
        window->Show();
        ASSERT_TRUE(display_test::pump_until([&] { return Mirror() != nullptr; }));
    }

    void TearDown() override {
        if (window != nullptr && is_window_alive(window) && window->Lock())
            window->Quit();
        display.reset();
    }

    WindowMirror *Mirror() {
        display->RefreshNow();
        for (WindowMirror *mirror : display->ShownMirrors()) {
            if (mirror->Model() == window)
                return mirror;
        }
        return nullptr;
    }

    bool PumpUntil(const std::function<bool()> &done) {
        return display_test::pump_until([&] {
            display->RefreshNow();
            return done();
        });
    }

    Player player;
    std::unique_ptr<QtDisplay> display;
    FormWindow *window = nullptr;
};

TEST_F(MirrorTest, WidgetsShowTheModelsTitleTextsAndMarkedItem) {
    WindowMirror *mirror = Mirror();
    EXPECT_EQ(mirror->windowTitle(), "Form");
    EXPECT_EQ(mirror->LineEdit("Title:")->text(), "first");
    EXPECT_EQ(mirror->ComboBox("Pick:")->count(), 3);
    EXPECT_EQ(mirror->ComboBox("Pick:")->currentText(), "one");
    EXPECT_EQ(mirror->Button("Save")->text(), "Save");
    EXPECT_EQ(mirror->StringLabel("status")->text(), "ready");
}

TEST_F(MirrorTest, ChangesMadeOnTheWindowThreadReachTheWidgets) {
    BMessage set(kSetTitle);
    set.AddString("text", "from the looper");
    ASSERT_EQ(window->PostMessage(&set), B_OK);
    BMessage status(kSetStatus);
    status.AddString("text", "song.mp3 \u2014 saved");
    ASSERT_EQ(window->PostMessage(&status), B_OK);
    window->SetTitle("Renamed");
    window->popup->SetActive(2, false);
    EXPECT_TRUE(PumpUntil([&] {
        WindowMirror *mirror = Mirror();
        return mirror->LineEdit("Title:")->text() == "from the looper" &&
               mirror->windowTitle() == "Renamed" &&
               mirror->ComboBox("Pick:")->currentText() == "three" &&
               mirror->StringLabel("status")->text() == QString::fromUtf8("song.mp3 \u2014 saved");
    }));
}

TEST_F(MirrorTest, TheHookAloneKeepsTheWidgetsCurrent) {
    // Only Qt's event loop runs here: every change must queue its own refresh, batch
    // after batch, with nobody asking for one.
    WindowMirror *mirror = Mirror();
    for (const char *text : {"one", "two", "three"}) {
        BMessage set(kSetTitle);
        set.AddString("text", text);
        ASSERT_EQ(window->PostMessage(&set), B_OK);
        EXPECT_TRUE(display_test::pump_until([&] {
            return mirror->LineEdit("Title:")->text() == QString(text);
        })) << text;
    }
}

TEST_F(MirrorTest, TypingReachesTheTextModel) {
    QLineEdit *edit = Mirror()->LineEdit("Title:");
    edit->setText("typed");
    emit edit->textEdited("typed");
    EXPECT_TRUE(PumpUntil([&] { return window->title->TextCopy() == "typed"; }));
}

TEST_F(MirrorTest, ChoosingAnItemMarksItAndSendsItsMessage) {
    QComboBox *combo = Mirror()->ComboBox("Pick:");
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    EXPECT_TRUE(window->popup->Menu()->ItemAt(1)->IsMarked());
    EXPECT_FALSE(window->popup->Menu()->ItemAt(0)->IsMarked());
    EXPECT_TRUE(PumpUntil([&] { return window->Received() == std::vector<uint32>{kPicked}; }));
}

TEST_F(MirrorTest, ChoosingADisabledItemShowsTheMarkedOneAgain) {
    window->popup->Menu()->ItemAt(2)->SetEnabled(false);
    display->RefreshNow();
    QComboBox *combo = Mirror()->ComboBox("Pick:");
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    EXPECT_EQ(combo->currentText(), "one");
    EXPECT_TRUE(window->popup->Menu()->ItemAt(0)->IsMarked());
}

TEST_F(MirrorTest, PressingTheButtonSendsItsMessage) {
    Mirror()->Button("Save")->click();
    EXPECT_TRUE(PumpUntil([&] { return window->Received() == std::vector<uint32>{kSaved}; }));
}

TEST_F(MirrorTest, LabelsSharingADividerLineUp) {
    WindowMirror *mirror = Mirror();
    auto labelOf = [](QWidget *field) { return field->parentWidget()->findChild<QLabel *>(); };
    QLabel *title = labelOf(mirror->LineEdit("Title:"));
    QLabel *artist = labelOf(mirror->LineEdit("Performing Artist:"));
    QLabel *pick = labelOf(mirror->ComboBox("Pick:"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->width(), artist->width());
    EXPECT_EQ(title->width(), pick->width());
    // Wide enough for the widest label, and never narrower than the model's divider.
    EXPECT_GE(title->width(), artist->sizeHint().width());
    EXPECT_GE(title->width(), static_cast<int>(window->title->Divider()));
}

TEST_F(MirrorTest, WindowIsAtLeastAsLargeAsTheModelsMinimum) {
    float minWidth, maxWidth, minHeight, maxHeight;
    window->GetSizeLimits(&minWidth, &maxWidth, &minHeight, &maxHeight);
    WindowMirror *mirror = Mirror();
    EXPECT_GE(mirror->width(), static_cast<int>(minWidth));
    EXPECT_LE(mirror->width(), static_cast<int>(maxWidth) + 1);
}

TEST_F(MirrorTest, SizeLimitsLeaveRoomForTheAlignedLabels) {
    // The pop-up's label is as wide as "Performing Artist:", the column it shares: its
    // row, and the group around the row, must not be allowed narrower than that needs.
    WindowMirror *mirror = Mirror();
    QWidget *row = mirror->ComboBox("Pick:")->parentWidget();
    for (QWidget *box : {row, row->parentWidget()})
        EXPECT_GE(box->minimumWidth(), box->minimumSizeHint().width());
    const QRect save(mirror->Button("Save")->mapTo(mirror, QPoint(0, 0)),
                     mirror->Button("Save")->size());
    EXPECT_TRUE(mirror->rect().contains(save));
}

TEST_F(MirrorTest, HidingAndShowingTheModelHidesAndShowsTheWindow) {
    window->Hide();
    EXPECT_TRUE(PumpUntil([&] { return Mirror() == nullptr; }));
    window->Show();
    EXPECT_TRUE(PumpUntil([&] { return Mirror() != nullptr; }));
}

TEST_F(MirrorTest, CloseBoxAsksTheLooperAndTheWindowGoesWithTheModel) {
    const int before = gQuitRequests.load();
    Mirror()->close();
    EXPECT_TRUE(PumpUntil([&] { return !is_window_alive(window); }));
    EXPECT_EQ(gQuitRequests.load(), before + 1);
    EXPECT_TRUE(PumpUntil([&] { return display->ShownMirrors().empty(); }));
    window = nullptr;
}

TEST_F(MirrorTest, ManyChangesFromTheLooperEndShowingTheLast) {
    const int kChanges = 2000;
    for (int i = 1; i <= kChanges; i++) {
        BMessage set(kSetTitle);
        set.AddString("text", ("change " + std::to_string(i)).c_str());
        ASSERT_EQ(window->PostMessage(&set), B_OK);
        if (i % 100 == 0)
            display_test::pump_once();  // the GUI thread refreshes meanwhile
    }
    const QString last = QString::fromStdString("change " + std::to_string(kChanges));
    EXPECT_TRUE(PumpUntil([&] { return Mirror()->LineEdit("Title:")->text() == last; }));
}

// Presses `key` (with `modifiers`) in `widget`, as the keyboard would.
void press_key(QWidget *widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    widget->setFocus(Qt::TabFocusReason);
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(widget, &press);
    QCoreApplication::sendEvent(widget, &release);
}

TEST_F(MirrorTest, EnterReturnAndCtrlSPressTheDefaultButtonAndCtrlWAsksToClose) {
    WindowMirror *mirror = Mirror();
    ASSERT_EQ(window->DefaultButton(), window->save);  // the form's only button
    press_key(mirror->LineEdit("Title:"), Qt::Key_Return);
    press_key(mirror->Button("Save"), Qt::Key_Return);
    press_key(mirror->ComboBox("Pick:"), Qt::Key_S, Qt::ControlModifier);
    press_key(mirror->LineEdit("Title:"), Qt::Key_Enter, Qt::KeypadModifier);
    press_key(mirror->LineEdit("Title:"), Qt::Key_X);  // typing: no press
    EXPECT_TRUE(PumpUntil([&] { return window->Received().size() == 4; }));
    EXPECT_EQ(window->Received(), std::vector<uint32>(4, kSaved));

    const int before = gQuitRequests.load();
    press_key(mirror->LineEdit("Title:"), Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(PumpUntil([&] { return !is_window_alive(window); }));
    EXPECT_EQ(gQuitRequests.load(), before + 1);
    window = nullptr;
}

TEST_F(MirrorTest, AButtonAndAPopUpDrawTheirFocus) {
    WindowMirror *mirror = Mirror();
    mirror->activateWindow();
    ASSERT_TRUE(PumpUntil([&] { return mirror->isActiveWindow(); }));
    for (QWidget *widget : {static_cast<QWidget *>(mirror->Button("Save")),
                            static_cast<QWidget *>(mirror->ComboBox("Pick:"))}) {
        mirror->LineEdit("Title:")->setFocus(Qt::MouseFocusReason);
        const QImage unfocused = widget->grab().toImage();
        // Clicked into, not tabbed to: the focus must show all the same.
        widget->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(widget->hasFocus());
        EXPECT_NE(widget->grab().toImage(), unfocused) << widget->metaObject()->className();
    }
}

TEST_F(MirrorTest, ALoadedTextIsShownFromItsStart) {
    const std::string text(300, 'x');
    BMessage set(kSetTitle);
    set.AddString("text", (text + " end").c_str());
    ASSERT_EQ(window->PostMessage(&set), B_OK);
    QLineEdit *edit = Mirror()->LineEdit("Title:");
    EXPECT_TRUE(PumpUntil([&] { return edit->text().endsWith(" end"); }));
    EXPECT_EQ(edit->cursorPosition(), 0);
}

}  // namespace
