// The player's command language: one line in, answers ("= ..." lines) on standard
// output. Input loops (a script, the prompt, a display front end's own thread) feed it
// lines; it knows nothing of where they come from.
#ifndef BRINDLE_PLAYER_COMMAND_INTERPRETER_H
#define BRINDLE_PLAYER_COMMAND_INTERPRETER_H

#include <string>

class Player;

class CommandInterpreter {
public:
    enum Result {
        kDone,    // done (or nothing to do: a blank line or a comment)
        kQuit,    // `quit`
        kFailed,  // a bad command; `error` says why, nothing was changed
    };

    explicit CommandInterpreter(Player &player) : fPlayer(player) {}

    // Runs one command (without its line end). Blank lines and lines starting with '#'
    // are ignored.
    Result Execute(const std::string &line, std::string *error);

private:
    Player &fPlayer;
};

#endif  // BRINDLE_PLAYER_COMMAND_INTERPRETER_H
