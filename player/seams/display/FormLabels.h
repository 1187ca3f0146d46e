// The fields a person sees on the Brindle form, by the names the player's commands use
// ("title", "genre", …) and the labels the player finds their controls by. The player
// never links the add-on's code; this one table is all it knows of the form.
#ifndef BRINDLE_PLAYER_SEAMS_FORM_LABELS_H
#define BRINDLE_PLAYER_SEAMS_FORM_LABELS_H

#include <string>

struct FormLabel {
    const char *name;   // as the commands say it
    const char *label;  // as the window shows it
    bool text;          // a text field; otherwise a pop-up menu
};

// In the order the form command answers them.
constexpr FormLabel kFormLabels[] = {
    {"title", "Title:", true},  {"album", "Album:", true},    {"artist", "Artist:", true},
    {"genre", "Genre:", false}, {"rating", "Rating:", false}, {"volume", "Vol. Adjust:", false},
};

// The label of the field called `name` of that kind; null when there is none.
inline const char *form_label(const std::string &name, bool text) {
    for (const FormLabel &entry : kFormLabels) {
        if (entry.text == text && name == entry.name)
            return entry.label;
    }
    return nullptr;
}

inline const char *text_field_label(const std::string &name) {
    return form_label(name, true);
}

inline const char *menu_label(const std::string &name) {
    return form_label(name, false);
}

#endif  // BRINDLE_PLAYER_SEAMS_FORM_LABELS_H
