#include "FrontEndCommands.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <type_traits>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>

#include "CommandArguments.h"
#include "FormLabels.h"
#include "PlayerWindow.h"
#include "QtDisplay.h"
#include "WindowMirror.h"

namespace {

// What one command has: the display, its words, and where its answer lines and its
// failure go. Widgets are touched only inside RunOnGui.
struct Call {
    QtDisplay &display;
    Arguments &arguments;
    std::string answer;
    Status failure;

    // Records why the command failed; false, for the helpers that return whether they did.
    bool Fail(const std::string &reason) {
        failure = Status(B_BAD_VALUE, reason);
        return false;
    }
    // The same, for a handler to return.
    Status Failed(const std::string &reason) {
        Fail(reason);
        return failure;
    }
    // What a handler returns: OK when `done`, else the failure recorded.
    Status Outcome(bool done) const { return done ? Status() : failure; }
    // False (with the error set) when words are left over.
    bool NoMore() {
        return arguments.AtEnd() || Fail("unexpected argument \"" + arguments.Rest() + "\"");
    }
    // Runs `work` on the GUI thread; false when it failed (it calls Fail).
    bool OnGui(const std::function<void()> &work) {
        display.RunOnGui(work);
        return failure.IsOK();
    }
    // The newest shown add-on window, where the form's widgets are. GUI thread.
    WindowMirror *Newest() {
        std::vector<WindowMirror *> shown = display.ShownMirrors();
        if (shown.empty())
            Fail("no add-on window is shown");
        return shown.empty() ? nullptr : shown.back();
    }
    PlayerWindow *Player() { return display.GetPlayerWindow(); }
};

// Acts on the newest window's widget for form field FIELD (the first word), with the rest
// of the line as its text.
template <typename Widget>
bool on_form_widget(
    Call &call, bool textField,
    const std::function<void(Widget *, const char *label, const std::string &)> &act) {
    std::string field;
    call.arguments.Next(&field);
    const std::string text = call.arguments.Rest();
    const char *label = form_label(field, textField);
    if (label == nullptr)
        return call.Fail("unknown field \"" + field + "\"");
    return call.OnGui([&] {
        WindowMirror *mirror = call.Newest();
        if (mirror == nullptr)
            return;
        Widget *widget;
        if constexpr (std::is_same_v<Widget, QLineEdit>)
            widget = mirror->LineEdit(label);
        else
            widget = mirror->ComboBox(label);
        if (widget == nullptr) {
            call.Fail(std::string(textField ? "no line edit \"" : "no pop-up \"") + label + "\"");
            return;
        }
        act(widget, label, text);
    });
}

Status widget_type(Call &call) {
    return call.Outcome(on_form_widget<QLineEdit>(
        call, true, [](QLineEdit *edit, const char *, const std::string &text) {
            const QString typed = QString::fromStdString(text);
            edit->setText(typed);
            // What a keystroke emits; setText() alone does not.
            emit edit->textEdited(typed);
        }));
}

Status widget_pick(Call &call) {
    return call.Outcome(on_form_widget<QComboBox>(
        call, false, [&call](QComboBox *combo, const char *label, const std::string &text) {
            const int index = combo->findText(QString::fromStdString(text));
            if (index < 0) {
                call.Fail("no item \"" + text + "\" in \"" + label + "\"");
                return;
            }
            combo->setCurrentIndex(index);
            emit combo->activated(index);
        }));
}

Status widget_press(Call &call) {
    const std::string label = call.arguments.Rest();
    return call.Outcome(call.OnGui([&] {
        WindowMirror *mirror = call.Newest();
        QPushButton *button = mirror != nullptr ? mirror->Button(label) : nullptr;
        if (button == nullptr) {
            call.Fail("no button \"" + label + "\"");
            return;
        }
        button->click();
    }));
}

Status widget_close(Call &call) {
    return call.Outcome(call.NoMore() && call.OnGui([&] {
        if (WindowMirror *mirror = call.Newest())
            mirror->close();
    }));
}

void describe_views(WindowMirror *mirror, const std::vector<ViewSnapshot> &views,
                    std::string *answer) {
    for (const ViewSnapshot &view : views) {
        if (view.kind == ViewSnapshot::kText) {
            QLineEdit *edit = mirror->LineEdit(view.label);
            *answer +=
                "= text " + view.label + " " + (edit ? edit->text().toStdString() : "") + "\n";
        } else if (view.kind == ViewSnapshot::kPopup) {
            QComboBox *combo = mirror->ComboBox(view.label);
            *answer += "= popup " + view.label + " " +
                       (combo ? combo->currentText().toStdString() : "") + "\n";
        } else if (view.kind == ViewSnapshot::kButton) {
            *answer += "= button " + view.label + "\n";
        } else if (view.kind == ViewSnapshot::kString) {
            QLabel *label = mirror->StringLabel(view.label);
            *answer +=
                "= string " + view.label + " " + (label ? label->text().toStdString() : "") + "\n";
        }
        describe_views(mirror, view.children, answer);
    }
}

Status widget_state(Call &call) {
    return call.Outcome(call.NoMore() && call.OnGui([&] {
        for (WindowMirror *mirror : call.display.ShownMirrors()) {
            call.answer += "= window " + mirror->windowTitle().toStdString() + "\n";
            describe_views(mirror, mirror->Shown().views, &call.answer);
        }
        QListWidget *list = call.Player()->Playlist();
        call.answer += "= playlist " + std::to_string(list->count()) + " " +
                       std::to_string(list->currentRow()) + "\n";
        call.answer += "= statusbar " + call.Player()->StatusText().toStdString() + "\n";
    }));
}

bool click_player_button(Call &call, const char *text) {
    return call.NoMore() && call.OnGui([&] {
        for (QPushButton *button : call.Player()->findChildren<QPushButton *>()) {
            if (button->text() == text) {
                button->click();
                return;
            }
        }
        call.Fail("no such button");
    });
}

Status widget_next(Call &call) {
    return call.Outcome(click_player_button(call, "Next"));
}

Status widget_prev(Call &call) {
    return call.Outcome(click_player_button(call, "Previous"));
}

Status widget_goto(Call &call) {
    std::string word;
    int32 index;
    if (!call.arguments.Next(&word) || !parse_int32(word, &index))
        return call.Failed("\"" + word + "\" is not an item number");
    return call.Outcome(call.NoMore() && call.OnGui([&] {
        QListWidget *list = call.Player()->Playlist();
        QListWidgetItem *item = list->item(index);
        if (item == nullptr) {
            call.Fail("no item " + word + " in the playlist");
            return;
        }
        emit list->itemDoubleClicked(item);
    }));
}

Status widget_volume(Call &call) {
    std::string word;
    float volume;
    if (!call.arguments.Next(&word) || !parse_float(word, &volume) || volume < 0 || volume > 2)
        return call.Failed("\"" + word + "\" is not a volume from 0 to 2");
    return call.Outcome(call.NoMore() && call.OnGui([&] {
        QSlider *slider = call.Player()->VolumeSlider();
        if (!slider->isEnabled()) {
            call.Fail("no playlist is open");
            return;
        }
        slider->setValue(static_cast<int>(std::lround(volume * 100)));
    }));
}

Status widget_interface(Call &call) {
    const std::string id = call.arguments.Rest();
    return call.Outcome(call.OnGui([&] {
        QAction *action = call.Player()->InterfaceAction(id);
        if (action == nullptr) {
            call.Fail("no interface \"" + id + "\" in the Interfaces menu");
            return;
        }
        action->trigger();
    }));
}

// The widget a form field name (title, genre, …) or a button label names, in `mirror`.
QWidget *named_widget(WindowMirror *mirror, const std::string &name) {
    if (const char *label = text_field_label(name))
        return mirror->LineEdit(label);
    if (const char *label = menu_label(name))
        return mirror->ComboBox(label);
    return mirror->Button(name);
}

Status widget_key(Call &call) {
    std::string target;
    std::string keys;
    call.arguments.Next(&target);
    call.arguments.Next(&keys);
    if (!call.NoMore())
        return call.failure;
    const QKeySequence sequence = QKeySequence::fromString(QString::fromStdString(keys));
    if (sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown)
        return call.Failed("\"" + keys + "\" is not a key (Return, Escape, Ctrl+S, …)");
    const QKeyCombination key = sequence[0];
    return call.Outcome(call.OnGui([&] {
        WindowMirror *mirror = call.Newest();
        if (mirror == nullptr)
            return;
        QWidget *widget = named_widget(mirror, target);
        if (widget == nullptr) {
            call.Fail("no widget \"" + target + "\"");
            return;
        }
        // The focus goes there first, as a user clicking into it would put it.
        widget->setFocus(Qt::MouseFocusReason);
        QKeyEvent press(QEvent::KeyPress, key.key(), key.keyboardModifiers());
        QKeyEvent release(QEvent::KeyRelease, key.key(), key.keyboardModifiers());
        QCoreApplication::sendEvent(widget, &press);
        QCoreApplication::sendEvent(widget, &release);
    }));
}

bool read_two_numbers(Call &call, int32 *first, int32 *second) {
    std::string a;
    std::string b;
    if (!call.arguments.Next(&a) || !call.arguments.Next(&b) || !parse_int32(a, first) ||
        !parse_int32(b, second))
        return call.Fail("takes two whole numbers");
    return call.NoMore();
}

Status widget_resize(Call &call) {
    int32 width;
    int32 height;
    if (!read_two_numbers(call, &width, &height))
        return call.failure;
    return call.Outcome(call.OnGui([&] {
        if (WindowMirror *mirror = call.Newest()) {
            mirror->resize(width, height);
            mirror->UserResized(mirror->size());
        }
    }));
}

Status widget_move(Call &call) {
    int32 x;
    int32 y;
    if (!read_two_numbers(call, &x, &y))
        return call.failure;
    return call.Outcome(call.OnGui([&] {
        if (WindowMirror *mirror = call.Newest()) {
            mirror->setGeometry(QRect(QPoint(x, y), mirror->size()));
            mirror->UserMoved(mirror->geometry().topLeft());
        }
    }));
}

std::string geometry_line(const QRect &rect, const std::string &name) {
    return "= geometry " + std::to_string(rect.x()) + " " + std::to_string(rect.y()) + " " +
           std::to_string(rect.width()) + " " + std::to_string(rect.height()) + " " + name + "\n";
}

void describe_geometry(WindowMirror *mirror, const std::vector<ViewSnapshot> &views,
                       std::string *answer) {
    for (const ViewSnapshot &view : views) {
        QWidget *widget = nullptr;
        if (view.kind == ViewSnapshot::kText)
            widget = mirror->LineEdit(view.label);
        else if (view.kind == ViewSnapshot::kPopup)
            widget = mirror->ComboBox(view.label);
        else if (view.kind == ViewSnapshot::kButton)
            widget = mirror->Button(view.label);
        if (widget != nullptr)
            *answer += geometry_line(QRect(widget->mapTo(mirror, QPoint(0, 0)), widget->size()),
                                     view.label);
        describe_geometry(mirror, view.children, answer);
    }
}

Status widget_geometry(Call &call) {
    return call.Outcome(call.NoMore() && call.OnGui([&] {
        PlayerWindow *player = call.Player();
        call.answer += geometry_line(player->geometry(), "player");
        WindowMirror *mirror = call.Newest();
        if (mirror == nullptr)
            return;
        call.answer += geometry_line(mirror->geometry(), "window");
        describe_geometry(mirror, mirror->Shown().views, &call.answer);
    }));
}

Status slider(Call &call) {
    return call.Outcome(call.NoMore() && call.OnGui([&] {
        char text[64];
        snprintf(text, sizeof text, "= slider %g\n", call.Player()->SliderVolume());
        call.answer = text;
    }));
}

// Every command of the front end, in the shape of the player's table
// (CommandInterpreter.cpp), in the order `help` lists them.
const CommandEntry<Status (*)(Call &)> kFrontEndCommands[] = {
    {{"widget-type", "widget-type title|album|artist TEXT", "type TEXT into that line edit"},
     widget_type},
    {{"widget-pick", "widget-pick genre|rating|volume LABEL", "choose LABEL in that combo box"},
     widget_pick},
    {{"widget-press", "widget-press LABEL", "click the button labelled LABEL"}, widget_press},
    {{"widget-close", "widget-close", "the close box of the newest add-on window"}, widget_close},
    {{"widget-state", "widget-state",
      "what the widgets show: = window, text, popup, button, "
      "playlist, statusbar lines"},
     widget_state},
    {{"widget-next", "widget-next", "click Next in the player's window"}, widget_next},
    {{"widget-prev", "widget-prev", "click Previous in the player's window"}, widget_prev},
    {{"widget-goto", "widget-goto N", "double-click item N of the player's playlist"}, widget_goto},
    {{"widget-volume", "widget-volume V", "drag the volume slider to V (0 to 2)"}, widget_volume},
    {{"widget-interface", "widget-interface ID",
      "choose ID in the Interfaces menu (enable or "
      "disable it)"},
     widget_interface},
    {{"widget-key", "widget-key WIDGET KEY",
      "focus WIDGET (title, genre, Save, ...) and press "
      "KEY (Return, Escape, Ctrl+S, ...)"},
     widget_key},
    {{"widget-resize", "widget-resize W H", "size the newest add-on window as a user would"},
     widget_resize},
    {{"widget-move", "widget-move X Y", "move the newest add-on window as a user would"},
     widget_move},
    {{"widget-geometry", "widget-geometry",
      "where the windows and the newest one's controls "
      "are: = geometry X Y W H NAME"},
     widget_geometry},
    {{"slider", "slider", "the volume slider's value: = slider V"}, slider},
};

}  // namespace

std::vector<CommandHelp> front_end_command_help() {
    return table_help(kFrontEndCommands);
}

bool is_front_end_command(const std::string &name) {
    return find_command(kFrontEndCommands, name) != nullptr;
}

Status run_front_end_command(QtDisplay &display, const std::string &name, Arguments &arguments) {
    const auto *command = find_command(kFrontEndCommands, name);
    if (command == nullptr)
        return Status(B_NAME_NOT_FOUND, "unknown command \"" + name + "\"");
    Call call{display, arguments, {}, {}};
    const Status status = command->handler(call);
    if (!status.IsOK())
        return status;
    fputs(call.answer.c_str(), stdout);
    fflush(stdout);
    return Status();
}
