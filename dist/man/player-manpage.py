#!/usr/bin/env python3
"""Writes brindle-player(1) from what the built player itself prints: its options from
`--help` and its commands from the `help` command, so the page and the program agree."""
import re
import subprocess
import sys


def roff(text):
    """Text as roff reads it: backslashes and hyphens escaped, no control line."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\\&" + text if text.startswith((".", "'")) else text


def run(player, arguments, stdin=""):
    result = subprocess.run([player] + arguments, input=stdin, capture_output=True,
                            text=True, timeout=60)
    if result.returncode != 0:
        sys.exit(f"player-manpage: {player} {' '.join(arguments)} exited with "
                 f"{result.returncode}: {result.stderr.strip()}")
    return result.stdout


def options(usage):
    """The usage line, each option with its text, and the lines that follow them."""
    lines = usage.splitlines()
    if not lines or not lines[0].startswith("usage: "):
        sys.exit("player-manpage: --help does not start with a usage line")
    synopsis, entries, after = lines[0][len("usage: "):], [], []
    for line in lines[1:]:
        # "  --option ARG   what it does": the option, an argument in capitals, its text
        match = re.match(r"^  (\S+(?: [A-Z][A-Z.]*)?)\s+(\S.*)$", line)
        if match:
            entries.append(list(match.groups()))
        elif line.startswith("   ") and entries and not after:  # its text goes on
            entries[-1][1] += " " + line.strip()
        elif line.strip():
            after.append(line.strip())
    if not entries:
        sys.exit("player-manpage: --help lists no options")
    return synopsis, entries, after


def commands(listing):
    """(command with its arguments, what it does) for each `= ` line of `help`."""
    found = []
    for line in listing.splitlines():
        if not line.startswith("= "):
            continue
        match = re.match(r"^= (\S.*?)\s{2,}(\S.*)$", line)
        if not match:  # a page that leaves a command out would be worse than none
            sys.exit(f"player-manpage: cannot read the help line {line!r}")
        found.append(match.groups())
    if not found:
        sys.exit("player-manpage: `help` lists no commands")
    return found


def page(version, synopsis, entries, after, command_list):
    out = [f'.TH BRINDLE\\-PLAYER 1 "" "Brindle {roff(version)}" "User Commands"',
           ".SH NAME", "brindle\\-player \\- a player that hosts the Brindle add\\-on",
           ".SH SYNOPSIS", ".B brindle\\-player", roff(synopsis.partition(" ")[2]),
           ".SH DESCRIPTION",
           "Plays playlists of audio files to the add\\-ons it loads, among them the Brindle "
           "window, which shows and edits the tags of the current file.",
           "With a display it opens its own window and the add\\-ons' windows;",
           "with none, or with \\fB\\-\\-headless\\fR, it reads commands.",
           "With \\fB\\-\\-follow\\fR, playlist 0 is the song an MPRIS player on the",
           "session bus is playing.",
           ".SH OPTIONS"]
    for term, text in entries:
        out += [".TP", f".B {roff(term)}", roff(text)]
    for line in after:
        out += [".PP", roff(line)]
    out += [".SH COMMANDS",
            "One a line, from \\fB\\-\\-script\\fR, standard input or the prompt.",
            "Answers are lines starting with \\(lq= \\(rq; errors go to standard error.",
            "A bad command in a script ends the run with status 2."]
    for usage, text in command_list:
        out += [".TP", f".B {roff(usage)}", roff(text)]
    out += [".SH SEE ALSO", ".BR brindle (1),", ".BR playerctl (1)"]
    return "\n".join(out) + "\n"


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: player-manpage.py PLAYER OUTPUT")
    player, output = sys.argv[1:]
    version = run(player, ["--version"]).split()[-1]
    synopsis, entries, after = options(run(player, ["--help"]))
    command_list = commands(run(player, ["--headless", "--script", "-"], "help\n"))
    with open(output, "w", encoding="utf-8") as out:
        out.write(page(version, synopsis, entries, after, command_list))


main()
