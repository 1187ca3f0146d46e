#include "FrontEndCommands.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>

#include "../FormLabels.h"
#include "PlayerWindow.h"
#include "QtDisplay.h"
#include "WindowMirror.h"

namespace {

// Splits "NAME REST": the first word, then the rest of the line after one run of
// spaces (kept as is, as the command language does for texts).
void split(const std::string &text, std::string *first, std::string *rest) {
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) {
        first->clear();
        rest->clear();
        return;
    }
    size_t end = text.find_first_of(" \t", start);
    if (end == std::string::npos)
        end = text.size();
    *first = text.substr(start, end - start);
    const size_t restStart = text.find_first_not_of(" \t", end);
    *rest = restStart == std::string::npos ? "" : text.substr(restStart);
}

bool parse_number(const std::string &text, double *value) {
    if (text.empty())
        return false;
    char *end = nullptr;
    *value = strtod(text.c_str(), &end);
    return end != nullptr && *end == '\0' && std::isfinite(*value);
}

}  // namespace

bool is_front_end_command(const std::string &line) {
    std::string name, rest;
    split(line, &name, &rest);
    return name.compare(0, 7, "widget-") == 0 || name == "slider";
}

bool run_front_end_command(QtDisplay &display, const std::string &line, std::string *error) {
    std::string name, rest;
    split(line, &name, &rest);
    std::string answer;
    bool ok = true;
    auto fail = [&](const std::string &reason) {
        *error = reason;
        ok = false;
    };
    // The newest shown add-on window, where the form's widgets are.
    auto newest = [&]() -> WindowMirror * {
        std::vector<WindowMirror *> shown = display.ShownMirrors();
        return shown.empty() ? nullptr : shown.back();
    };
    auto noArguments = [&] {
        if (!rest.empty())
            fail("unexpected argument \"" + rest + "\"");
        return rest.empty();
    };

    if (name == "widget-type" || name == "widget-pick") {
        std::string field, text;
        split(rest, &field, &text);
        const bool typing = name == "widget-type";
        const char *label = typing ? text_field_label(field) : menu_label(field);
        if (label == nullptr) {
            *error = "unknown field \"" + field + "\"";
            return false;
        }
        display.RunOnGui([&] {
            WindowMirror *mirror = newest();
            if (mirror == nullptr)
                return fail("no add-on window is shown");
            if (typing) {
                QLineEdit *edit = mirror->LineEdit(label);
                if (edit == nullptr)
                    return fail(std::string("no line edit \"") + label + "\"");
                const QString typed = QString::fromStdString(text);
                edit->setText(typed);
                // What a keystroke emits; setText() alone does not.
                emit edit->textEdited(typed);
                return;
            }
            QComboBox *combo = mirror->ComboBox(label);
            if (combo == nullptr)
                return fail(std::string("no pop-up \"") + label + "\"");
            const int index = combo->findText(QString::fromStdString(text));
            if (index < 0)
                return fail("no item \"" + text + "\" in \"" + label + "\"");
            combo->setCurrentIndex(index);
            emit combo->activated(index);
        });
    } else if (name == "widget-press") {
        display.RunOnGui([&] {
            WindowMirror *mirror = newest();
            QPushButton *button = mirror != nullptr ? mirror->Button(rest) : nullptr;
            if (button == nullptr)
                return fail("no button \"" + rest + "\"");
            button->click();
        });
    } else if (name == "widget-close") {
        if (!noArguments())
            return false;
        display.RunOnGui([&] {
            WindowMirror *mirror = newest();
            if (mirror == nullptr)
                return fail("no add-on window is shown");
            mirror->close();
        });
    } else if (name == "widget-state") {
        if (!noArguments())
            return false;
        display.RunOnGui([&] {
            for (WindowMirror *mirror : display.ShownMirrors()) {
                answer += "= window " + mirror->windowTitle().toStdString() + "\n";
                std::function<void(const std::vector<ViewSnapshot> &)> walk =
                    [&](const std::vector<ViewSnapshot> &views) {
                        for (const ViewSnapshot &view : views) {
                            if (view.kind == ViewSnapshot::kText) {
                                QLineEdit *edit = mirror->LineEdit(view.label);
                                answer += "= text " + view.label + " " +
                                          (edit ? edit->text().toStdString() : "") + "\n";
                            } else if (view.kind == ViewSnapshot::kPopup) {
                                QComboBox *combo = mirror->ComboBox(view.label);
                                answer += "= popup " + view.label + " " +
                                          (combo ? combo->currentText().toStdString() : "") + "\n";
                            } else if (view.kind == ViewSnapshot::kButton) {
                                answer += "= button " + view.label + "\n";
                            } else if (view.kind == ViewSnapshot::kString) {
                                QLabel *label = mirror->StringLabel(view.label);
                                answer += "= string " + view.label + " " +
                                          (label ? label->text().toStdString() : "") + "\n";
                            }
                            walk(view.children);
                        }
                    };
                walk(mirror->Shown().views);
            }
            QListWidget *list = display.GetPlayerWindow()->Playlist();
            answer += "= playlist " + std::to_string(list->count()) + " " +
                      std::to_string(list->currentRow()) + "\n";
        });
    } else if (name == "widget-next" || name == "widget-prev") {
        if (!noArguments())
            return false;
        const bool next = name == "widget-next";
        display.RunOnGui([&] {
            for (QPushButton *button : display.GetPlayerWindow()->findChildren<QPushButton *>()) {
                if (button->text() == (next ? "Next" : "Previous")) {
                    button->click();
                    return;
                }
            }
            fail("no such button");
        });
    } else if (name == "widget-goto") {
        double index;
        if (!parse_number(rest, &index) || index != std::floor(index)) {
            *error = "\"" + rest + "\" is not an item number";
            return false;
        }
        display.RunOnGui([&] {
            QListWidget *list = display.GetPlayerWindow()->Playlist();
            QListWidgetItem *item = list->item(static_cast<int>(index));
            if (item == nullptr)
                return fail("no item " + rest + " in the playlist");
            emit list->itemDoubleClicked(item);
        });
    } else if (name == "widget-volume") {
        double volume;
        if (!parse_number(rest, &volume) || volume < 0 || volume > 2) {
            *error = "\"" + rest + "\" is not a volume from 0 to 2";
            return false;
        }
        display.RunOnGui([&] {
            QSlider *slider = display.GetPlayerWindow()->VolumeSlider();
            if (!slider->isEnabled())
                return fail("no playlist is open");
            slider->setValue(static_cast<int>(std::lround(volume * 100)));
        });
    } else if (name == "widget-interface") {
        display.RunOnGui([&] {
            QAction *action = display.GetPlayerWindow()->InterfaceAction(rest);
            if (action == nullptr)
                return fail("no interface \"" + rest + "\" in the Interfaces menu");
            action->trigger();
        });
    } else if (name == "slider") {
        if (!noArguments())
            return false;
        display.RunOnGui([&] {
            char text[64];
            snprintf(text, sizeof text, "= slider %g\n", display.GetPlayerWindow()->SliderVolume());
            answer = text;
        });
    } else {
        *error = "unknown command \"" + name + "\"";
        return false;
    }
    if (ok && !answer.empty()) {
        fputs(answer.c_str(), stdout);
        fflush(stdout);
    }
    return ok;
}
