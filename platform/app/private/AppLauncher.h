// Finding and starting the program registered for a signature (see Roster.h for where
// app entries are looked for).
#ifndef BRINDLE_APP_PRIVATE_APP_LAUNCHER_H
#define BRINDLE_APP_PRIVATE_APP_LAUNCHER_H

#include <string>

#include <SupportDefs.h>

namespace BPrivate {
namespace launcher {

// The program for `signature`: B_OK and its path, or B_LAUNCH_FAILED_APP_NOT_FOUND when
// there is no entry or the program it names is not found.
status_t find_program(const char *signature, std::string *program);

// Starts `program` detached: its own session, not our child (nothing to reap), no
// arguments, standard input from /dev/null, standard output and error inherited.
// B_OK with its process id in `team`, or B_LAUNCH_FAILED_EXECUTABLE when it could not be
// executed.
status_t start_detached(const std::string &program, team_id *team);

// The directory of the running executable, empty if unknown.
std::string executable_directory();

}  // namespace launcher
}  // namespace BPrivate

#endif  // BRINDLE_APP_PRIVATE_APP_LAUNCHER_H
