#include "FrontEndCommands.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <type_traits>

#include <QAction>
#include <QComboBox>
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
// error go. Widgets are touched only inside RunOnGui.
struct Call {
    QtDisplay &display;
    Arguments &arguments;
    std::string answer;
    std::string error;

    bool Fail(const std::string &reason) {
        error = reason;
        return false;
    }
    // False (with the error set) when words are left over.
    bool NoMore() {
        return arguments.AtEnd() || Fail("unexpected argument \"" + arguments.Rest() + "\"");
    }
    // Runs `work` on the GUI thread; false when it failed (it calls Fail).
    bool OnGui(const std::function<void()> &work) {
        display.RunOnGui(work);
        return error.empty();
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

bool widget_type(Call &call) {
    return on_form_widget<QLineEdit>(call, true,
                                     [](QLineEdit *edit, const char *, const std::string &text) {
                                         const QString typed = QString::fromStdString(text);
                                         edit->setText(typed);
                                         // What a keystroke emits; setText() alone does not.
                                         emit edit->textEdited(typed);
                                     });
}

bool widget_pick(Call &call) {
    return on_form_widget<QComboBox>(
        call, false, [&call](QComboBox *combo, const char *label, const std::string &text) {
            const int index = combo->findText(QString::fromStdString(text));
            if (index < 0) {
                call.Fail("no item \"" + text + "\" in \"" + label + "\"");
                return;
            }
            combo->setCurrentIndex(index);
            emit combo->activated(index);
        });
}

bool widget_press(Call &call) {
    const std::string label = call.arguments.Rest();
    return call.OnGui([&] {
        WindowMirror *mirror = call.Newest();
        QPushButton *button = mirror != nullptr ? mirror->Button(label) : nullptr;
        if (button == nullptr) {
            call.Fail("no button \"" + label + "\"");
            return;
        }
        button->click();
    });
}

bool widget_close(Call &call) {
    return call.NoMore() && call.OnGui([&] {
        if (WindowMirror *mirror = call.Newest())
            mirror->close();
    });
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

bool widget_state(Call &call) {
    return call.NoMore() && call.OnGui([&] {
        for (WindowMirror *mirror : call.display.ShownMirrors()) {
            call.answer += "= window " + mirror->windowTitle().toStdString() + "\n";
            describe_views(mirror, mirror->Shown().views, &call.answer);
        }
        QListWidget *list = call.Player()->Playlist();
        call.answer += "= playlist " + std::to_string(list->count()) + " " +
                       std::to_string(list->currentRow()) + "\n";
    });
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

bool widget_next(Call &call) {
    return click_player_button(call, "Next");
}

bool widget_prev(Call &call) {
    return click_player_button(call, "Previous");
}

bool widget_goto(Call &call) {
    std::string word;
    int32 index;
    if (!call.arguments.Next(&word) || !parse_int32(word, &index))
        return call.Fail("\"" + word + "\" is not an item number");
    return call.NoMore() && call.OnGui([&] {
        QListWidget *list = call.Player()->Playlist();
        QListWidgetItem *item = list->item(index);
        if (item == nullptr) {
            call.Fail("no item " + word + " in the playlist");
            return;
        }
        emit list->itemDoubleClicked(item);
    });
}

bool widget_volume(Call &call) {
    std::string word;
    float volume;
    if (!call.arguments.Next(&word) || !parse_float(word, &volume) || volume < 0 || volume > 2)
        return call.Fail("\"" + word + "\" is not a volume from 0 to 2");
    return call.NoMore() && call.OnGui([&] {
        QSlider *slider = call.Player()->VolumeSlider();
        if (!slider->isEnabled()) {
            call.Fail("no playlist is open");
            return;
        }
        slider->setValue(static_cast<int>(std::lround(volume * 100)));
    });
}

bool widget_interface(Call &call) {
    const std::string id = call.arguments.Rest();
    return call.OnGui([&] {
        QAction *action = call.Player()->InterfaceAction(id);
        if (action == nullptr) {
            call.Fail("no interface \"" + id + "\" in the Interfaces menu");
            return;
        }
        action->trigger();
    });
}

bool slider(Call &call) {
    return call.NoMore() && call.OnGui([&] {
        char text[64];
        snprintf(text, sizeof text, "= slider %g\n", call.Player()->SliderVolume());
        call.answer = text;
    });
}

struct FrontEndCommand {
    const char *name;
    bool (*run)(Call &call);
};

const FrontEndCommand kFrontEndCommands[] = {
    {"widget-type", widget_type},
    {"widget-pick", widget_pick},
    {"widget-press", widget_press},
    {"widget-close", widget_close},
    {"widget-state", widget_state},
    {"widget-next", widget_next},
    {"widget-prev", widget_prev},
    {"widget-goto", widget_goto},
    {"widget-volume", widget_volume},
    {"widget-interface", widget_interface},
    {"slider", slider},
};

const FrontEndCommand *find_command(const std::string &name) {
    for (const FrontEndCommand &command : kFrontEndCommands) {
        if (name == command.name)
            return &command;
    }
    return nullptr;
}

}  // namespace

bool is_front_end_command(const std::string &name) {
    return find_command(name) != nullptr;
}

bool run_front_end_command(QtDisplay &display, const std::string &name, Arguments &arguments,
                           std::string *error) {
    const FrontEndCommand *command = find_command(name);
    if (command == nullptr) {
        *error = "unknown command \"" + name + "\"";
        return false;
    }
    Call call{display, arguments, {}, {}};
    if (!command->run(call)) {
        *error = call.error;
        return false;
    }
    fputs(call.answer.c_str(), stdout);
    fflush(stdout);
    return true;
}
