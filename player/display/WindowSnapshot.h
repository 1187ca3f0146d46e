// A plain copy of one window model and its controls, taken on the GUI thread inside
// for_each_window() (where the window and its views cannot go away) and applied to the
// widgets afterwards, with no kit lock held. Pointers are identities only: they are
// dereferenced again only inside a later for_each_window() that finds them alive.
#ifndef BRINDLE_PLAYER_DISPLAY_WINDOW_SNAPSHOT_H
#define BRINDLE_PLAYER_DISPLAY_WINDOW_SNAPSHOT_H

#include <string>
#include <vector>

#include <Rect.h>
#include <View.h>

class BMenuItem;
class BWindow;

struct ViewSnapshot {
    enum Kind { kGroup, kText, kPopup, kButton, kString, kOther };

    const BView *id = nullptr;
    Kind kind = kOther;
    std::string label;               // kString: the view's name
    std::string text;                // kText, kString
    std::string toolTip;             // shown when the pointer rests on it
    std::vector<std::string> items;  // kPopup: the labels, in order
    std::vector<const BMenuItem *> itemIds;
    std::vector<bool> itemEnabled;
    int marked = -1;  // kPopup: the marked item's index
    bool enabled = true;
    float divider = 0;  // kText, kPopup: where the label ends
    view_layout_info layout;
    BRect frame;
    std::vector<ViewSnapshot> children;
};

struct WindowSnapshot {
    const BWindow *id = nullptr;
    std::string title;
    BRect frame;
    bool hidden = true;
    bool closable = true;
    float minWidth = 0, maxWidth = 32768, minHeight = 0, maxHeight = 32768;
    const BView *defaultButton = nullptr;  // what Enter presses, if anything
    std::vector<ViewSnapshot> views;
};

// Copies `window` (call inside for_each_window()).
WindowSnapshot snapshot_window(BWindow *window);

// True when both have the same views and menu items in the same places, so the widgets
// made for one can show the other by changing values only.
bool same_shape(const WindowSnapshot &a, const WindowSnapshot &b);

// Inside for_each_window(): whether `view` is still in `window`'s tree, and whether
// `item` is still in the menu of a field there. Guards every user action.
bool window_has_view(BWindow *window, const BView *view);
BMenuItem *window_menu_item(BWindow *window, const BMenuItem *item);

#endif  // BRINDLE_PLAYER_DISPLAY_WINDOW_SNAPSHOT_H
