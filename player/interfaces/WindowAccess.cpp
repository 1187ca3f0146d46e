#include "WindowAccess.h"

#include <algorithm>

#include <Messenger.h>
#include <Window.h>
#include <WindowList.h>

std::vector<int32> live_window_tokens() {
    std::vector<int32> tokens;
    for_each_window([&](BWindow *window) {
        tokens.push_back(window->Token());
        return true;
    });
    return tokens;
}

bool with_window(const std::vector<int32> &tokens, const std::function<void(BWindow *)> &visit) {
    if (tokens.empty())
        return false;
    bool found = false;
    for_each_window([&](BWindow *window) {
        if (std::find(tokens.begin(), tokens.end(), window->Token()) == tokens.end())
            return true;
        visit(window);
        found = true;
        return false;
    });
    return found;
}

void wait_for_windows_idle() {
    // Messengers, not pointers, leave the list's lock: the wait must not hold it (a
    // window that quits takes it to leave the list).
    std::vector<BMessenger> windows;
    for_each_window([&](BWindow *window) {
        windows.emplace_back(window);
        return true;
    });
    for (const BMessenger &messenger : windows) {
        BLooper *looper = nullptr;
        messenger.Target(&looper);
        // WaitForIdle looks the looper up by address before it touches it, and fails
        // for one that went away since; windows of enabled interfaces only go away on
        // this thread, in destroyPluginFunction.
        if (looper != nullptr)
            looper->WaitForIdle();
    }
}
