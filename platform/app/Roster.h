// BRoster: finds running applications by signature and launches them.
//
// Running applications listen on unix sockets in a directory only the user can open:
// $XDG_RUNTIME_DIR/brindle-roster/ when XDG_RUNTIME_DIR names a usable directory, else
// /tmp/brindle-roster-UID/, created with mode 0700. A directory that is a symbolic link,
// not a directory, not owned by the user or open to others is refused (with a line on
// standard error) and nothing is sent or received through it.
//
// Finding a program for a signature: an app entry, a text file named after the
// signature with '/' written as '%' (e.g. "application%x-vnd.tarvik-soundplay"), looked
// for in the "apps" directory beside the calling executable, then in
// $XDG_DATA_HOME/brindle/apps (default ~/.local/share/brindle/apps). Its first line is
// the program: a name, looked for beside the calling executable and then on PATH, or an
// absolute path. The program is started detached (its own session), with no arguments,
// standard input from /dev/null, standard output and error inherited.
#ifndef BRINDLE_APP_ROSTER_H
#define BRINDLE_APP_ROSTER_H

#include <SupportDefs.h>

class BMessage;

class BRoster {
public:
    BRoster();

    // If an application with `signature` is running, sends it `initialMessage` and
    // returns B_OK once it has accepted the message (B_ALREADY_RUNNING when there is no
    // message). Otherwise starts the program for the signature, waits (up to about ten
    // seconds) for it to register, and delivers the message. `appTeam` gets the
    // application's process id. Errors: B_BAD_VALUE (bad signature),
    // B_LAUNCH_FAILED_APP_NOT_FOUND (no entry, or its program is not found),
    // B_LAUNCH_FAILED_EXECUTABLE (the program could not be started), B_LAUNCH_FAILED (it
    // never registered, or ended first), B_NOT_ALLOWED (unsafe roster directory), or the
    // delivery's error (e.g. B_BAD_VALUE for a message too big to send, B_TIMED_OUT).
    status_t Launch(const char *signature, BMessage *initialMessage = nullptr,
                    team_id *appTeam = nullptr) const;

    // Whether an application with `signature` is registered and listening.
    bool IsRunning(const char *signature) const;
};

extern const BRoster *be_roster;

#endif  // BRINDLE_APP_ROSTER_H
