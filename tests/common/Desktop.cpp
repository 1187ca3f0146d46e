#include "Desktop.h"

#include <signal.h>

#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "Polling.h"

namespace desktop_test {

namespace {

using addon_test::SpawnOptions;
using test_support::ChildProcess;
using test_support::eventually;
using test_support::required;

// `program` with its standard error (and, with `quiet`, its output) in `log`: a chatty
// server must never fill a pipe nobody reads and stop.
std::vector<std::string> logged(const std::vector<std::string> &program, const std::string &log,
                                bool quiet) {
    std::vector<std::string> argv = {
        "/bin/sh", "-c", std::string("exec \"$@\" 2>>\"$0\"") + (quiet ? " >&2" : ""), log};
    argv.insert(argv.end(), program.begin(), program.end());
    return argv;
}

// The first number after `key` in xwininfo's report.
int number_after(const std::string &report, const std::string &key) {
    const size_t at = report.find(key);
    return at == std::string::npos ? 0 : std::atoi(report.c_str() + at + key.size());
}

}  // namespace

Desktop::Desktop() {
    required("xdotool");
    required("xwininfo");
    // Another program on this machine may take the display number Xvfb picked before its
    // first client connects: start again on another, a few times at most.
    std::string error;
    for (int attempt = 0; attempt < 3; attempt++) {
        error = _Start();
        if (error.empty())
            return;
        _Stop();
    }
    throw std::runtime_error(error);
}

std::string Desktop::_Start() {
    // Xvfb writes its display number to standard output once it takes connections.
    fServer =
        std::make_unique<ChildProcess>(logged({required("Xvfb"), "-displayfd", "1", "-screen", "0",
                                               "1280x1024x24", "-nolisten", "tcp", "-noreset"},
                                              fDir / "xvfb.log", false));
    const std::string number = fServer->WaitForLineStarting("");
    if (number.empty())
        return "Xvfb did not start: " + test_support::read_file(fDir / "xvfb.log");
    fDisplay = ":" + number;
    SpawnOptions manager = Options();
    manager.env["XDG_CONFIG_HOME"] = fDir / "config";
    manager.env["XDG_CACHE_HOME"] = fDir / "cache";
    fManager = std::make_unique<ChildProcess>(
        logged({required("openbox"), "--sm-disable"}, fDir / "openbox.log", true), manager);
    // A window manager announces itself on the root window; one that could not start
    // says so in its log.
    const std::string log = fDir / "openbox.log";
    bool running = false;
    eventually([&] {
        running =
            _Run({required("xprop"), "-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") !=
            std::string::npos;
        return running ||
               test_support::read_file(log).find("Failed to open the display") != std::string::npos;
    });
    if (!running)
        return "openbox did not start on " + fDisplay + ": " +
               test_support::read_file(fDir / "openbox.log");
    return std::string();
}

void Desktop::_Stop() {
    for (auto *process : {&fManager, &fServer}) {
        if (*process) {
            (*process)->Signal(SIGTERM);
            (*process)->Finish();
            process->reset();
        }
    }
}

Desktop::~Desktop() {
    _Stop();
}

SpawnOptions Desktop::Options() const {
    SpawnOptions options;
    options.env["DISPLAY"] = fDisplay;
    options.env["QT_QPA_PLATFORM"] = "xcb";
    options.unset = {"WAYLAND_DISPLAY"};
    return options;
}

std::string Desktop::_Run(const std::vector<std::string> &argv) const {
    ChildProcess tool(argv, Options());
    return tool.Finish().out;
}

std::string Desktop::FindWindow(const std::string &title) const {
    std::istringstream ids(
        _Run({required("xdotool"), "search", "--onlyvisible", "--name", "^" + title + "$"}));
    std::string id;
    ids >> id;
    return id;
}

std::string Desktop::WaitForWindow(const std::string &title) const {
    std::string id;
    eventually([&] {
        id = FindWindow(title);
        return !id.empty();
    });
    return id;
}

WindowState Desktop::Inspect(const std::string &window) const {
    const std::string report = _Run({required("xwininfo"), "-id", window});
    WindowState state;
    state.exists = report.find("Map State:") != std::string::npos;
    state.viewable = report.find("Map State: IsViewable") != std::string::npos;
    state.x = number_after(report, "Absolute upper-left X:");
    state.y = number_after(report, "Absolute upper-left Y:");
    state.width = number_after(report, "Width:");
    state.height = number_after(report, "Height:");
    return state;
}

void Desktop::Click(const std::string &window, int x, int y) const {
    _Run({required("xdotool"), "mousemove", "--sync", "--window", window, std::to_string(x),
          std::to_string(y), "click", "1"});
}

void Desktop::Type(const std::string &text) const {
    _Run({required("xdotool"), "type", "--delay", "0", "--", text});
}

void Desktop::Key(const std::string &keys) const {
    _Run({required("xdotool"), "key", "--clearmodifiers", keys});
}

void Desktop::Activate(const std::string &window) const {
    _Run({required("xdotool"), "windowactivate", "--sync", window});
}

std::unique_ptr<addon_test::CommandedPlayer> drawn_player(const Desktop &desktop,
                                                          const addon_test::TempDir &dir,
                                                          const std::vector<std::string> &files,
                                                          const std::vector<std::string> &options) {
    std::vector<std::string> argv = {addon_test::player_path(), "--add-on",
                                     addon_test::addon_path()};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.insert(argv.end(), {"--script", "-"});
    argv.insert(argv.end(), files.begin(), files.end());
    SpawnOptions spawn = addon_test::drawn_options(dir, desktop.Options().env);
    // No session bus here: without an address the bus library would start one through
    // the X display (dbus-launch) and outlive the test.
    spawn.env["DBUS_SESSION_BUS_ADDRESS"] = "disabled:";
    return std::make_unique<addon_test::CommandedPlayer>(argv, spawn);
}

std::string open_brindle(const Desktop &desktop, addon_test::CommandedPlayer &player) {
    player.Ask("enable");
    return desktop.WaitForWindow("Brindle");
}

bool click_into(const Desktop &desktop, addon_test::CommandedPlayer &player,
                const std::string &window, const std::string &label) {
    for (const std::string &line : player.Ask("widget-geometry")) {
        int x, y, width, height;
        int used = 0;
        if (sscanf(line.c_str(), "= geometry %d %d %d %d %n", &x, &y, &width, &height, &used) ==
                4 &&
            used > 0 && line.substr(used) == label) {
            desktop.Click(window, x + width / 2, y + height / 2);
            return true;
        }
    }
    return false;
}

}  // namespace desktop_test
