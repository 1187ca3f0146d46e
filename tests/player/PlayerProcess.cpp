#include "PlayerProcess.h"

namespace player_test {

std::string interface_addon_path() {
    return TEST_INTERFACE_ADDON;
}
std::string default_id_addon_path() {
    return TEST_DEFAULT_ID_ADDON;
}
std::string bad_magic_addon_path() {
    return TEST_BAD_MAGIC_ADDON;
}
std::string bad_ops_addon_path() {
    return TEST_BAD_OPS_ADDON;
}
std::string closing_addon_path() {
    return TEST_CLOSING_ADDON;
}
std::string no_plugin_list_path() {
    return TEST_NO_PLUGIN_LIST_ADDON;
}

namespace {

test_support::SpawnOptions spawn_options(Input input,
                                         const std::map<std::string, std::string> &env) {
    test_support::SpawnOptions options;
    options.input = input;
    options.env = env;
    // Headless whatever the environment: these tests read the player's output, not windows.
    options.unset = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    return options;
}

}  // namespace

PlayerProcess::PlayerProcess(const std::vector<std::string> &argv, Input input,
                             const std::map<std::string, std::string> &env)
    : ChildProcess(argv, spawn_options(input, env)) {}

RunResult run_script(const std::vector<std::string> &addOns, const std::string &script,
                     const std::vector<std::string> &extra) {
    TempDir directory;
    std::vector<std::string> options;
    for (const std::string &addOn : addOns) {
        options.push_back("--add-on");
        options.push_back(addOn);
    }
    return test_support::run_player_script(directory, options, script, extra);
}

}  // namespace player_test
