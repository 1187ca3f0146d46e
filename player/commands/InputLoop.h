// The main thread's loop without a display: it waits in one poll() for a line of
// commands and for work other threads queued (a roster request, a window asking to be
// disabled), runs each command, and after each applies the waiting rule
// (Player::Settle), so the output order is fixed.
//
// A display front end replaces this loop with its own event loop and feeds the same
// CommandInterpreter; nothing here is needed by it.
#ifndef BRINDLE_PLAYER_INPUT_LOOP_H
#define BRINDLE_PLAYER_INPUT_LOOP_H

#include <string>

class CommandInterpreter;
class Player;
class Prompt;

class InputLoop {
public:
    // Exit statuses.
    enum : int { kExitOk = 0, kExitBadCommand = 2, kInputUnreadable = -1 };

    InputLoop(Player &player, CommandInterpreter &interpreter)
        : fPlayer(player), fInterpreter(interpreter) {}

    // Runs commands read from `fd` until its end or `quit` (status 0). A bad command is
    // reported as "brindle-player: line N: REASON"; in a script it ends the run (status
    // 2), otherwise the loop goes on. With `prompt`, "brindle> " is shown before each
    // line is read, and the line can be edited and recalled from the history (when
    // libedit can be loaded; Prompt.h). kInputUnreadable when `fd` cannot be read;
    // 128 + the signal number on SIGINT or SIGTERM.
    int RunCommands(int fd, bool script, bool prompt);

    // Runs with no input: until the last enabled interface is disabled (status 0) or a
    // signal ends the player. A player that has never had an interface waits for one
    // to be asked for through the roster.
    int RunDetached();

private:
    // RunCommands for a terminal, with line editing.
    int _RunEdited(int fd, Prompt &prompt);
    // Waits for input on `fd`, running the work other threads hand the player meanwhile.
    enum InputWait { kInputReady, kNothingYet, kUnreadable };
    InputWait _AwaitInput(int fd);
    // Runs one line; an exit status, or a negative value below kInputUnreadable to go on.
    int _RunLine(const std::string &line, int lineNumber, bool script);

    Player &fPlayer;
    CommandInterpreter &fInterpreter;
};

#endif  // BRINDLE_PLAYER_INPUT_LOOP_H
