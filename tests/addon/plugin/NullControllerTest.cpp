// getplugin without a usable controller: the window is built, attaches to nothing, and
// neither a close nor a new-playlist notice brings it down. The same host hands
// getconfig and setconfig messages the player's command language cannot make.
#include <gtest/gtest.h>

#include "AddonHarness.h"

using namespace addon_test;

TEST(NullController, WindowWithoutControllerStaysDetachedAndClosesSafely) {
    ChildProcess host(
        {std::string(BRINDLE_BUILD_DIR) + "/tests/addon/plugin/addon_null_host", addon_path()},
        SpawnOptions());
    RunResult result = host.Finish();
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::vector<std::string> kOneWindow = {
        "Brindle - getplugin",
        "PluginWindow constructor",
        "PluginWindow::Impl::controlsAdded() called",
        "PluginWindow::Impl::controlsAdded: null ctrl for some reason!",
        "Brindle - show",
        "PluginWindow::QuiteRequested",
        "PluginWindow::Impl::controlsAdded() called",
        "PluginWindow::Impl::controlsAdded: null ctrl for some reason!",
        "host: window alive",
        "Brindle - destroyplugin",
        "PluginWindow destructor",
        "host: 0 windows",
    };
    std::vector<std::string> expected = {"Brindle - get_plugin_list", "host: no plugin_info"};
    expected.insert(expected.end(), kOneWindow.begin(), kOneWindow.end());
    // The first window also goes through getconfig and setconfig.
    auto shown = std::find(expected.begin(), expected.end(), "Brindle - show");
    expected.insert(shown + 1, {
                                   "Brindle - getconfig",
                                   "host: getconfig status 0, 1 field(s), first \"frame\", "
                                   "the window's frame",
                                   "Brindle - setconfig",
                                   "host: setconfig without a frame rectangle: unchanged",
                                   "Brindle - setconfig",
                                   "host: setconfig with a frame: moved and resized",
                               });
    expected.push_back("host: no controller");
    expected.insert(expected.end(), kOneWindow.begin(), kOneWindow.end());
    expected.push_back("host: nowhere to put the window");
    expected.push_back("Brindle - getplugin");
    expected.push_back("host: no operations, 0 windows");
    EXPECT_EQ(result.OutLines(), expected) << result.out;
}
