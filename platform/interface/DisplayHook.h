// The one change-notification hook for a display front end.
//
// Windows and controls are models; a display front end (optional) mirrors them. It
// installs one BDisplayHook for the whole process and is told about every change to a
// window or control:
//
// - The hook is called on whichever thread made the change (a window's thread, the
//   player's thread, the display's own thread), AFTER the model's lock is released, so
//   it may read the model's state through its thread-safe accessors.
// - It must not block and must not wait for a window's thread: queue the work to the
//   GUI thread and return. Never call Lock() on a looper from the hook.
// - Pointers in a display_change are identities. By the time queued work runs, the
//   window may be gone: look the window up with for_each_window() (WindowList.h) and
//   touch its views only inside that call. B_WINDOW_DESTROYED is sent once a window
//   has left the window list; after it, the pointer must never be dereferenced.
// - B_WINDOW_CREATED is sent from the base constructor: the object is not fully built
//   yet, so only record it.
//
// The reverse path: what a user does, a display (or the player's commands) does through
// these entry points, safe from any thread while the window is alive:
//   BTextControl::TypeText(text)  typing (handed to the window's thread)
//   BMenuItem::Choose()           choosing a menu item (marks it, sends its message)
//   BButton::Press()              pressing a button (sends its message)
//   BWindow::PressCloseBox()      the close box (B_QUIT_REQUESTED to the window)
//   BWindow::MoveTo(), ResizeTo() moving or resizing the window
// Controls are found by walking a window's views (BWindow::ChildAt, BView::ChildAt) or
// by name (BWindow::FindView; the layout library names each control after its label,
// a line of text by the name it is given), and told apart with dynamic_cast
// (BTextControl, BMenuField, BButton, BStringView).
#ifndef BRINDLE_INTERFACE_DISPLAY_HOOK_H
#define BRINDLE_INTERFACE_DISPLAY_HOOK_H

#include <memory>

#include <SupportDefs.h>

class BMenu;
class BMenuItem;
class BView;
class BWindow;

enum display_change_kind {
    B_WINDOW_CREATED,              // window
    B_WINDOW_SHOWN,                // window
    B_WINDOW_HIDDEN,               // window
    B_WINDOW_FRAME_CHANGED,        // window (moved or resized; read Frame())
    B_WINDOW_SIZE_LIMITS_CHANGED,  // window (read GetSizeLimits())
    B_WINDOW_TITLE_CHANGED,        // window (read TitleCopy())
    B_WINDOW_DESTROYED,            // window (identity only)
    B_VIEW_ADDED,                  // window (may be null), view and its subtree, parent
    B_VIEW_REMOVED,                // window, view, parent
    B_VIEW_FRAME_CHANGED,          // window, view (read Frame())
    B_VIEW_FOCUS_CHANGED,          // window, view (the new focus, or null), previous
    B_CONTROL_TEXT_CHANGED,        // window, view (a BTextControl)
    B_CONTROL_LABEL_CHANGED,       // window, view (a BControl or BMenuField)
    B_CONTROL_ENABLED_CHANGED,     // window, view
    B_CONTROL_VALUE_CHANGED,       // window, view (a BControl)
    B_CONTROL_DIVIDER_CHANGED,     // window, view (a BTextControl or BMenuField)
    B_MENU_ITEM_ADDED,    // window, view (the menu's field, may be null), menu, item, index
    B_MENU_ITEM_REMOVED,  // window, view, menu, item (identity only), index
    B_MENU_ITEM_MARKED,   // window, view, menu, item; read IsMarked()
    B_MENU_ITEM_CHANGED,  // window, view, menu, item (label or enabled changed)
    B_WINDOW_DEFAULT_BUTTON_CHANGED,  // window, view (the new default, or null), previous
    B_VIEW_TOOL_TIP_CHANGED           // window, view (read ToolTipText())
};

struct display_change {
    display_change_kind kind;
    BWindow *window = nullptr;
    BView *view = nullptr;
    // B_VIEW_ADDED/REMOVED: the parent (null for a window's top-level view);
    // B_VIEW_FOCUS_CHANGED: the previous focus.
    BView *other = nullptr;
    BMenu *menu = nullptr;
    BMenuItem *item = nullptr;
    int32 index = -1;
};

class BDisplayHook {
public:
    virtual ~BDisplayHook() = default;
    // See the rules at the top of this file.
    virtual void DisplayChanged(const display_change &change) = 0;
};

// Installs `hook` for the whole process (null removes it) and returns the previous one.
// A call in progress on another thread keeps its hook alive until it returns.
std::shared_ptr<BDisplayHook> set_display_hook(std::shared_ptr<BDisplayHook> hook);

// Tells the installed hook, if any. Used by the kit and the layout library; calls
// from inside a model's lock are a bug.
void notify_display(const display_change &change);

#endif  // BRINDLE_INTERFACE_DISPLAY_HOOK_H
