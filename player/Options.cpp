#include "Options.h"

#include <unistd.h>

#include <cstring>

#include "MprisNames.h"

const char *const kUsage =
    "usage: brindle-player [--headless] [--follow[=NAME]] [--script FILE] [--add-on PATH]... "
    "[FILE...]\n"
    "  --script FILE   run the commands in FILE (- for standard input), then quit\n"
    "  --add-on PATH   load this add-on image (repeatable); default: every add-ons/*.so\n"
    "                  beside the player\n"
    "  --headless      show no windows; read commands from standard input\n"
    "  --follow[=NAME] playlist 0 follows the MPRIS player NAME on the session bus (as\n"
    "                  playerctl -l names it: mpv, vlc, ...; default: the one playing)\n"
    "  --help          show this and exit\n"
    "  --version       show the version and exit\n"
    "  FILE...         the items of playlist 0, the first one current\n"
    "At the prompt, `help` lists the commands.\n";

const char *const kVersion = "brindle-player " BRINDLE_VERSION "\n";

namespace {

// "--name VALUE" or "--name=VALUE"; advances `index` past what it took.
bool take_value(int argc, const char *const *argv, int *index, const char *name, std::string *value,
                bool *matched, std::string *error) {
    const char *argument = argv[*index];
    const size_t length = strlen(name);
    *matched = false;
    if (strncmp(argument, name, length) != 0)
        return true;
    if (argument[length] == '=') {
        *matched = true;
        *value = argument + length + 1;
    } else if (argument[length] == '\0') {
        *matched = true;
        if (*index + 1 >= argc) {
            *error = std::string(name) + " needs a value";
            return false;
        }
        *value = argv[++*index];
    } else {
        return true;
    }
    if (value->empty()) {
        *error = std::string(name) + " needs a value";
        return false;
    }
    return true;
}

}  // namespace

bool parse_options(int argc, const char *const *argv, Options *options, std::string *error) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; i++) {
        const char *argument = argv[i];
        if (optionsEnded || argument[0] != '-' || strcmp(argument, "-") == 0) {
            options->files.emplace_back(argument);
            continue;
        }
        if (strcmp(argument, "--") == 0) {
            optionsEnded = true;
            continue;
        }
        if (strcmp(argument, "--headless") == 0) {
            options->headless = true;
            continue;
        }
        if (strcmp(argument, "--help") == 0 || strcmp(argument, "-h") == 0) {
            options->help = true;
            continue;
        }
        if (strcmp(argument, "--version") == 0) {
            options->version = true;
            continue;
        }
        if (strcmp(argument, "--follow") == 0 || strncmp(argument, "--follow=", 9) == 0) {
            if (options->follow) {
                *error = "--follow given twice";
                return false;
            }
            options->follow = true;
            if (argument[8] == '=') {
                options->followName = argument + 9;
                if (!follow::is_player_name(options->followName)) {
                    *error = "--follow: \"" + options->followName +
                             "\" is not a player name (as playerctl -l prints them)";
                    return false;
                }
            } else if (i + 1 < argc && follow::is_player_name(argv[i + 1]) &&
                       access(argv[i + 1], F_OK) != 0) {
                // "--follow mpv", as people type it: a player name that names no file.
                options->followName = argv[++i];
            }
            continue;
        }
        bool matched;
        std::string value;
        if (!take_value(argc, argv, &i, "--script", &value, &matched, error))
            return false;
        if (matched) {
            if (options->hasScript) {
                *error = "--script given twice";
                return false;
            }
            options->hasScript = true;
            options->script = value;
            continue;
        }
        if (!take_value(argc, argv, &i, "--add-on", &value, &matched, error))
            return false;
        if (matched) {
            options->addOns.push_back(value);
            continue;
        }
        *error = std::string("unknown option ") + argument;
        return false;
    }
    if (options->follow && !options->files.empty()) {
        *error = "\"" + options->files[0] +
                 "\": no FILE arguments with --follow (playlist 0 is the followed player's); "
                 "to name the player, write --follow=NAME";
        return false;
    }
    return true;
}
