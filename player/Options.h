// The player's command line:
//   brindle-player [--headless] [--follow[=NAME]] [--script FILE] [--add-on PATH]... [FILE...]
//   brindle-player --help | --version
#ifndef BRINDLE_PLAYER_OPTIONS_H
#define BRINDLE_PLAYER_OPTIONS_H

#include <string>
#include <vector>

#include "Status.h"

struct Options {
    bool headless = false;
    bool help = false;
    bool version = false;
    bool hasScript = false;
    std::string script;  // "-": standard input
    std::vector<std::string> addOns;
    bool follow = false;
    std::string followName;  // "" for any player
    std::vector<std::string> files;
};

// A failure saying what is wrong on a bad command line.
Status parse_options(int argc, const char *const *argv, Options *options);

extern const char *const kUsage;
// "brindle-player VERSION\n".
extern const char *const kVersion;

#endif  // BRINDLE_PLAYER_OPTIONS_H
