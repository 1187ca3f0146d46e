// Running the build's real player in a test: where its programs are, and one way to start it
// with a roster and settings of the test's own, so players of tests running side by side never
// meet, and never touch the user's.
#ifndef BRINDLE_TESTS_COMMON_PLAYER_RUNNER_H
#define BRINDLE_TESTS_COMMON_PLAYER_RUNNER_H

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "TestFiles.h"

namespace test_support {

// The build's programs under test: the player, the add-on, the launcher.
std::string player_path();
std::string addon_path();
std::string launcher_path();

// The roster directory (XDG_RUNTIME_DIR) of the test's players, made on first use, owned by
// `user` when one is given.
std::string runtime_dir(const TempDir &dir, uid_t user = 0);
// Their settings folder (XDG_CONFIG_HOME): the place of their windows is kept there.
std::string config_dir(const TempDir &dir);

// A player started in `dir` with the two folders above, headless whatever the environment
// (no display variables), standard input as `input` says, run as `user` when one is given.
SpawnOptions player_options(const TempDir &dir, Input input = Input::kDevNull, uid_t user = 0);
// The same for a player that draws its windows with the variables `display` (by default on
// Qt's offscreen platform; none leaves it headless).
SpawnOptions drawn_options(const TempDir &dir, const std::map<std::string, std::string> &display = {
                                                   {"QT_QPA_PLATFORM", "offscreen"}});

// Runs `launcher... player options... --script FILE arguments...` with `script` written to a
// file in `dir`, as player_options() sets it up.
RunResult run_player_script(const TempDir &dir, const std::vector<std::string> &options,
                            const std::string &script,
                            const std::vector<std::string> &arguments = {},
                            const std::vector<std::string> &launcher = {});
// The same in a directory of its own, for a test that needs no files there.
RunResult run_player_script(const std::vector<std::string> &options, const std::string &script,
                            const std::vector<std::string> &arguments = {});

}  // namespace test_support

#endif  // BRINDLE_TESTS_COMMON_PLAYER_RUNNER_H
