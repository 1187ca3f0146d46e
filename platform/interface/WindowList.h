// The process-wide list of windows, in order of creation.
//
// A window is in the list from its constructor until it quits (or is destroyed).
// for_each_window() is the safe way to reach windows from another thread: the list is
// locked while `visit` runs, and a window leaves the list (under that lock) before any
// of it is destroyed, so every window `visit` sees, and its views, stay alive until
// `visit` returns. `visit` must be short: it must not create, quit or delete a window,
// must not Lock() a looper and must not wait for a window's thread (which may be
// waiting for this lock to leave the list), nor call any function of this file: the lock
// is not recursive, so the thread would wait for itself. It returns false to stop early.
// Inside `visit`, use only the kit's accessors and user actions, not a subclass's
// virtual functions (a window seen right after its creation may still be under
// construction).
#ifndef BRINDLE_INTERFACE_WINDOW_LIST_H
#define BRINDLE_INTERFACE_WINDOW_LIST_H

#include <functional>

#include <SupportDefs.h>

class BWindow;

void for_each_window(const std::function<bool(BWindow *window)> &visit);

// Snapshot accessors for code that knows no window goes away meanwhile (e.g. a single
// thread that owns all windows). Elsewhere use for_each_window().
int32 count_windows();
BWindow *window_at(int32 index);

// True if `window` is in the list now.
bool is_window_alive(const BWindow *window);

namespace BPrivate {
// Kept by BWindow itself.
void add_window(BWindow *window);
void remove_window(BWindow *window);
}  // namespace BPrivate

#endif  // BRINDLE_INTERFACE_WINDOW_LIST_H
