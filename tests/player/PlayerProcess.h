// Running the real brindle-player in a child process, with its standard streams
// captured and everything bounded by a deadline: on expiry the child is killed, so no
// test can hang the suite.
#ifndef BRINDLE_TESTS_PLAYER_PLAYER_PROCESS_H
#define BRINDLE_TESTS_PLAYER_PLAYER_PROCESS_H

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "PlayerRunner.h"
#include "TestFiles.h"

namespace player_test {

using test_support::player_path;
using test_support::TempDir;

// Test add-ons.
std::string interface_addon_path();   // id "sp-test", plus a non-interface "sp-test-filter"
std::string default_id_addon_path();  // the same with id "sp-brindle"
std::string bad_magic_addon_path();   // descriptor magic is not 'face'
std::string bad_ops_addon_path();     // operations table magic is not 'filt'
std::string closing_addon_path();     // its window asks to close when shown
std::string no_plugin_list_path();    // an image without get_plugin_list

using test_support::Input;
using test_support::lines_starting;
using test_support::RunResult;
using test_support::split_lines;

class PlayerProcess : public test_support::ChildProcess {
public:
    // argv[0] is the program. `env` is added to the child's environment.
    PlayerProcess(const std::vector<std::string> &argv, Input input,
                  const std::map<std::string, std::string> &env = {});
};

// Runs `brindle-player --add-on A... --script FILE EXTRA...` with `script` as FILE's
// contents, as test_support::run_player_script() does, in a directory of its own.
RunResult run_script(const std::vector<std::string> &addOns, const std::string &script,
                     const std::vector<std::string> &extra = {});

}  // namespace player_test

#endif  // BRINDLE_TESTS_PLAYER_PLAYER_PROCESS_H
