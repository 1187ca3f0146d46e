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

Status bad_usage(const std::string &reason) {
    return Status(B_BAD_VALUE, reason);
}

// "--name VALUE" or "--name=VALUE"; advances `index` past what it took.
Status take_value(int argc, const char *const *argv, int *index, const char *name,
                  std::string *value, bool *matched) {
    const char *argument = argv[*index];
    const size_t length = strlen(name);
    *matched = false;
    if (strncmp(argument, name, length) != 0)
        return Status();
    if (argument[length] == '=') {
        *matched = true;
        *value = argument + length + 1;
    } else if (argument[length] == '\0') {
        *matched = true;
        if (*index + 1 >= argc)
            return bad_usage(std::string(name) + " needs a value");
        *value = argv[++*index];
    } else {
        return Status();
    }
    if (value->empty())
        return bad_usage(std::string(name) + " needs a value");
    return Status();
}

}  // namespace

Status parse_options(int argc, const char *const *argv, Options *options) {
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
            if (options->follow)
                return bad_usage("--follow given twice");
            options->follow = true;
            if (argument[8] == '=') {
                options->followName = argument + 9;
                if (!follow::is_player_name(options->followName)) {
                    return bad_usage("--follow: \"" + options->followName +
                                     "\" is not a player name (as playerctl -l prints them)");
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
        Status status = take_value(argc, argv, &i, "--script", &value, &matched);
        if (!status.IsOK())
            return status;
        if (matched) {
            if (options->hasScript)
                return bad_usage("--script given twice");
            options->hasScript = true;
            options->script = value;
            continue;
        }
        status = take_value(argc, argv, &i, "--add-on", &value, &matched);
        if (!status.IsOK())
            return status;
        if (matched) {
            options->addOns.push_back(value);
            continue;
        }
        return bad_usage(std::string("unknown option ") + argument);
    }
    if (options->follow && !options->files.empty()) {
        return bad_usage(
            "\"" + options->files[0] +
            "\": no FILE arguments with --follow (playlist 0 is the followed player's); "
            "to name the player, write --follow=NAME");
    }
    return Status();
}
