// The labels a person sees on the Brindle form, by the names the player's commands use
// ("title", "genre", …). The player finds controls by these labels; it never links the
// add-on's code.
#ifndef BRINDLE_PLAYER_FORM_LABELS_H
#define BRINDLE_PLAYER_FORM_LABELS_H

#include <string>

inline const char *text_field_label(const std::string &name) {
    if (name == "title")
        return "Title:";
    if (name == "album")
        return "Album:";
    if (name == "artist")
        return "Artist:";
    return nullptr;
}

inline const char *menu_label(const std::string &name) {
    if (name == "genre")
        return "Genre:";
    if (name == "rating")
        return "Rating:";
    if (name == "volume")
        return "Vol. Adjust:";
    return nullptr;
}

#endif  // BRINDLE_PLAYER_FORM_LABELS_H
