// What a screen reader gets from the drawn windows, read through Qt's accessibility
// (what AT-SPI serves on Linux): the real Brindle add-on loaded into a player in this
// process, its window and the player's window drawn on Qt's offscreen platform.
#include <QAccessible>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "AddonHarness.h"
#include "DisplayTestSupport.h"
#include "Player.h"
#include "PlayerWindow.h"
#include "QtDisplay.h"
#include "WindowMirror.h"

namespace {

// One control as a screen reader meets it: its role, its name, the text that labels it
// (AT-SPI's labelled-by: on Linux a pop-up's name is its chosen item, and a reader says
// the label before it), and whether it has a description.
struct Spoken {
    QAccessible::Role role;
    std::string name;
    std::string label;
    bool described;

    bool operator==(const Spoken &other) const {
        return role == other.role && name == other.name && label == other.label &&
               described == other.described;
    }
};

void PrintTo(const Spoken &spoken, std::ostream *out) {
    *out << "{" << qAccessibleRoleString(spoken.role) << " \"" << spoken.name << "\" label \""
         << spoken.label << "\"" << (spoken.described ? " described" : "") << "}";
}

std::string text_of(QAccessibleInterface *node, QAccessible::Text text) {
    return node->text(text).toStdString();
}

Spoken spoken(QAccessibleInterface *control) {
    const auto labels = control->relations(QAccessible::Label);
    return {control->role(), text_of(control, QAccessible::Name),
            labels.isEmpty() ? "" : text_of(labels.first().first, QAccessible::Name),
            !control->text(QAccessible::Description).isEmpty()};
}

// The controls under `node`, in the accessible tree's order, and the texts that label no
// control; a control's own parts (a pop-up's list, a slider's handle) are not walked into.
void collect_controls(QAccessibleInterface *node, std::vector<Spoken> *controls) {
    static const QAccessible::Role kControls[] = {
        QAccessible::EditableText, QAccessible::ComboBox,   QAccessible::PushButton,
        QAccessible::Slider,       QAccessible::List,       QAccessible::StatusBar,
        QAccessible::MenuItem,     QAccessible::StaticText,
    };
    for (int i = 0; i < node->childCount(); i++) {
        QAccessibleInterface *child = node->child(i);
        if (child == nullptr)
            continue;
        const bool isControl = std::find(std::begin(kControls), std::end(kControls),
                                         child->role()) != std::end(kControls);
        if (!isControl)
            collect_controls(child, controls);
        else if (child->relations(QAccessible::Labelled).isEmpty())
            controls->push_back(spoken(child));
    }
}

std::vector<Spoken> controls_of(QWidget *window) {
    std::vector<Spoken> controls;
    collect_controls(QAccessible::queryAccessibleInterface(window), &controls);
    return controls;
}

// The name-change events Qt sends, as (object, its name then).
std::vector<std::pair<QObject *, QString>> gNameChanges;

void record_update(QAccessibleEvent *event) {
    if (event->type() == QAccessible::NameChanged && event->accessibleInterface() != nullptr)
        gNameChanges.emplace_back(event->object(),
                                  event->accessibleInterface()->text(QAccessible::Name));
}

class Accessibility : public ::testing::Test {
protected:
    void SetUp() override {
        display_test::application();
        display_test::set_accessibility_active(true);
        QAccessible::installUpdateHandler(record_update);
        gNameChanges.clear();

        setenv("XDG_RUNTIME_DIR", addon_test::runtime_dir(dir).c_str(), 1);
        setenv("XDG_CONFIG_HOME", addon_test::config_dir(dir).c_str(), 1);
        song = dir / "song.mp3";
        addon_test::make_mp3(song);
        player = std::make_unique<Player>();
        ASSERT_TRUE(player->AddOns().Load(addon_test::addon_path()).IsOK());
        player->OpenStartPlaylist({song});
        display = std::make_unique<QtDisplay>(*player);
        player->EnableAll();
        ASSERT_TRUE(PumpUntil([&] { return Status() == "song.mp3"; })) << Status().toStdString();
    }

    void TearDown() override {
        if (player != nullptr)
            player->Shutdown();
        display.reset();
        player.reset();
        QAccessible::installUpdateHandler(nullptr);
        display_test::set_accessibility_active(false);
    }

    bool PumpUntil(const std::function<bool()> &done) {
        return display_test::pump_until([&] {
            display->RefreshNow();
            return done();
        });
    }

    WindowMirror *Form() {
        std::vector<WindowMirror *> shown = display->ShownMirrors();
        return shown.empty() ? nullptr : shown.back();
    }

    // Whether Qt announced `name` as the new name of `object`.
    static bool Heard(QObject *object, const QString &name) {
        return std::find(gNameChanges.begin(), gNameChanges.end(), std::make_pair(object, name)) !=
               gNameChanges.end();
    }

    QString Status() {
        WindowMirror *form = Form();
        QLabel *status = form != nullptr ? form->StringLabel("status") : nullptr;
        return status != nullptr ? status->text() : QString();
    }

    addon_test::TempDir dir;
    std::string song;
    std::unique_ptr<Player> player;
    std::unique_ptr<QtDisplay> display;
};

TEST_F(Accessibility, EveryControlOfBothWindowsHasANameFromItsLabelAndItsRole) {
    using A = QAccessible;
    // A file with nothing set: the pop-ups show their first choices.
    const std::vector<Spoken> form = {
        {A::EditableText, "Title", "Title:", false},
        {A::EditableText, "Album", "Album:", false},
        {A::EditableText, "Artist", "Artist:", false},
        {A::ComboBox, "unknown", "Genre:", false},
        {A::ComboBox, "1", "Rating:", true},
        {A::ComboBox, "0", "Vol. Adjust:", true},
        {A::PushButton, "Save", "", true},
        {A::StaticText, "song.mp3", "", true},
    };
    EXPECT_EQ(controls_of(Form()), form);
    const std::vector<Spoken> playerWindow = {
        {A::MenuItem, "Interfaces", "", false},  {A::List, "Playlist", "", true},
        {A::PushButton, "Previous", "", true},   {A::PushButton, "Next", "", true},
        {A::PushButton, "Add Files…", "", true}, {A::Slider, "Volume", "Volume:", true},
        {A::StaticText, "1", "", true},          {A::StatusBar, "", "", true},
    };
    EXPECT_EQ(controls_of(display->GetPlayerWindow()), playerWindow);
}

// What a reader calls each widget Tab reaches from `first` (its label, or else its
// name), until the focus comes back.
std::vector<std::string> tab_chain(QWidget *first) {
    std::vector<std::string> names;
    first->activateWindow();
    display_test::pump_until([&] { return first->isActiveWindow(); });
    first->setFocus(Qt::TabFocusReason);
    QWidget *focused = first;
    do {
        const Spoken control = spoken(QAccessible::queryAccessibleInterface(focused));
        names.push_back(control.label.empty() ? control.name : control.label);
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(focused, &tab);
        focused = first->window()->focusWidget();
    } while (focused != nullptr && focused != first && names.size() < 20);
    return names;
}

TEST_F(Accessibility, TabGoesThroughTheControlsInTheOrderTheyAreSeen) {
    EXPECT_EQ(tab_chain(Form()->LineEdit("Title:")),
              (std::vector<std::string>{
                  "Title:", "Album:", "Artist:", "Genre:", "Rating:", "Vol. Adjust:", "Save"}));
    EXPECT_EQ(tab_chain(display->GetPlayerWindow()->Playlist()),
              (std::vector<std::string>{"Playlist", "Previous", "Next", "Add Files…", "Volume:"}));
}

TEST_F(Accessibility, ANewStatusIsAnnouncedAsANameChangeOfTheStatusLine) {
    QLabel *status = Form()->StringLabel("status");
    gNameChanges.clear();
    Form()->Button("Save")->click();
    ASSERT_TRUE(PumpUntil([&] { return Status() == "song.mp3 \u2014 saved"; }));
    EXPECT_TRUE(Heard(status, Status()));

    PlayerWindow *window = display->GetPlayerWindow();
    QStatusBar *bar = window->findChild<QStatusBar *>();
    window->SetNotice("cannot keep the window's place");
    EXPECT_TRUE(Heard(bar, "cannot keep the window's place"));
}

}  // namespace
