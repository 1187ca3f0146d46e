#include "PlayerRunner.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace test_support {

std::string player_path() {
    return BRINDLE_BUILD_DIR "/brindle-player";
}
std::string addon_path() {
    return BRINDLE_BUILD_DIR "/add-ons/brindle.so";
}
std::string launcher_path() {
    return BRINDLE_BUILD_DIR "/brindle";
}

std::string runtime_dir(const TempDir &dir, uid_t user) {
    const std::string path = dir / "runtime";
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        fail_with_errno("mkdir " + path);
    if (user != 0 && chown(path.c_str(), user, user) != 0)
        fail_with_errno("chown " + path);
    return path;
}

std::string config_dir(const TempDir &dir) {
    return dir / "config";
}

SpawnOptions player_options(const TempDir &dir, Input input, uid_t user) {
    SpawnOptions options;
    options.input = input;
    options.directory = dir.Path();
    options.env["XDG_RUNTIME_DIR"] = runtime_dir(dir, user);
    options.env["XDG_CONFIG_HOME"] = config_dir(dir);
    // These tests read the player's output, not windows.
    options.unset = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    options.dropToUser = user;
    return options;
}

SpawnOptions drawn_options(const TempDir &dir, const std::map<std::string, std::string> &display) {
    SpawnOptions options = player_options(dir);
    for (const auto &variable : display)
        options.env[variable.first] = variable.second;
    return options;
}

RunResult run_player_script(const TempDir &dir, const std::vector<std::string> &options,
                            const std::string &script, const std::vector<std::string> &arguments,
                            const std::vector<std::string> &launcher) {
    std::vector<std::string> argv = launcher;
    argv.push_back(player_path());
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back("--script");
    argv.push_back(dir.Write("script.txt", script));
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildProcess process(argv, player_options(dir));
    return process.Finish();
}

RunResult run_player_script(const std::vector<std::string> &options, const std::string &script,
                            const std::vector<std::string> &arguments) {
    TempDir dir;
    return run_player_script(dir, options, script, arguments);
}

}  // namespace test_support
