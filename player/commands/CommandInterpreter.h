// The player's command language: one line in, answers ("= ..." lines) on standard
// output. Input loops (a script, the prompt, a display front end's own thread) feed it
// lines; it knows nothing of where they come from.
#ifndef BRINDLE_PLAYER_COMMAND_INTERPRETER_H
#define BRINDLE_PLAYER_COMMAND_INTERPRETER_H

#include <string>

#include "Status.h"

class Player;

class CommandInterpreter {
public:
    explicit CommandInterpreter(Player &player) : fPlayer(player) {}

    // Runs one command (without its line end). Blank lines and lines starting with '#'
    // are ignored. A failed command changed nothing; its text says why, after the
    // command's name.
    Status Execute(const std::string &line);
    // Whether `quit` ran: the input loop stops.
    bool Quitting() const { return fQuitting; }

private:
    Player &fPlayer;
    bool fQuitting = false;
};

#endif  // BRINDLE_PLAYER_COMMAND_INTERPRETER_H
