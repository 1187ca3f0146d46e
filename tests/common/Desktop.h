// A real X desktop for the drawn player: Xvfb on a display number of its own (it picks a
// free one), openbox as the window manager with a settings folder of its own, xdotool as
// the person's hands and xwininfo as the eye. A test that needs it fails, never skips,
// when one of them is missing (scripts/install-deps installs them). Nothing waits a fixed
// time: states are polled with a time limit.
#ifndef BRINDLE_TESTS_COMMON_DESKTOP_H
#define BRINDLE_TESTS_COMMON_DESKTOP_H

#include <memory>
#include <string>
#include <vector>

#include "AddonHarness.h"

namespace desktop_test {

// A top-level window as xwininfo sees it: its own area on the screen (without the window
// manager's decoration) and whether it is mapped and viewable.
struct WindowState {
    bool exists = false;
    bool viewable = false;
    int x = 0, y = 0, width = 0, height = 0;
};

class Desktop {
public:
    Desktop();
    // Ends the window manager, then the server.
    ~Desktop();
    Desktop(const Desktop &) = delete;
    Desktop &operator=(const Desktop &) = delete;

    // What a program needs to draw on this desktop with Qt: DISPLAY and the X11 platform.
    addon_test::SpawnOptions Options() const;

    // The id of the viewable window titled exactly `title`, or "" when there is none.
    std::string FindWindow(const std::string &title) const;
    // Polls for it; "" when none came within the time limit.
    std::string WaitForWindow(const std::string &title) const;
    WindowState Inspect(const std::string &window) const;

    // The pointer to (x, y) inside `window`, then a click of the first button there.
    void Click(const std::string &window, int x, int y) const;
    // Types `text` into whatever has the keyboard focus, as one key press per character.
    void Type(const std::string &text) const;
    // Presses a key combination ("Escape", "ctrl+w") where the focus is.
    void Key(const std::string &keys) const;
    // Gives `window` the focus through the window manager.
    void Activate(const std::string &window) const;

private:
    // Starts the server and the window manager; "" or what went wrong.
    std::string _Start();
    void _Stop();
    // Runs an X tool on this display; its standard output.
    std::string _Run(const std::vector<std::string> &argv) const;

    addon_test::TempDir fDir;
    std::string fDisplay;
    std::unique_ptr<test_support::ChildProcess> fServer;
    std::unique_ptr<test_support::ChildProcess> fManager;
};

// The player with the add-on drawn on `desktop`, settings in `dir`'s config folder,
// commands from a pipe; `options` go before the files.
std::unique_ptr<addon_test::CommandedPlayer> drawn_player(
    const Desktop &desktop, const addon_test::TempDir &dir, const std::vector<std::string> &files,
    const std::vector<std::string> &options = {});

// Enables the Brindle window in `player` and waits until the window manager shows it;
// its window id, or "" when it never came.
std::string open_brindle(const Desktop &desktop, addon_test::CommandedPlayer &player);
// Clicks into the middle of the control labelled `label` ("Title:", "Save") of the newest
// add-on window `window`, where the player's widget-geometry says it is; false when it
// has no such control.
bool click_into(const Desktop &desktop, addon_test::CommandedPlayer &player,
                const std::string &window, const std::string &label);

}  // namespace desktop_test

#endif  // BRINDLE_TESTS_COMMON_DESKTOP_H
