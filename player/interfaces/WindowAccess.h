// Reaching add-on windows from the player's thread through the platform's window list,
// by token: a window is used only inside for_each_window(), where it cannot go away.
#ifndef BRINDLE_PLAYER_WINDOW_ACCESS_H
#define BRINDLE_PLAYER_WINDOW_ACCESS_H

#include <functional>
#include <vector>

#include <SupportDefs.h>

class BWindow;

// Tokens of every window alive now, in creation order.
std::vector<int32> live_window_tokens();

// Calls `visit` with the first live window whose token is in `tokens`, under the window
// list's lock (see WindowList.h for what `visit` may do). False when none is alive.
bool with_window(const std::vector<int32> &tokens, const std::function<void(BWindow *)> &visit);

// Waits until every live window has handled all that was sent to it before the call.
void wait_for_windows_idle();

#endif  // BRINDLE_PLAYER_WINDOW_ACCESS_H
