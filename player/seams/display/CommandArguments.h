// The words of a command line, and the numbers and codes they hold: the one argument
// parsing of every command, the player's own and the front end's.
#ifndef BRINDLE_PLAYER_SEAMS_COMMAND_ARGUMENTS_H
#define BRINDLE_PLAYER_SEAMS_COMMAND_ARGUMENTS_H

#include <SupportDefs.h>

#include <string>

class Arguments {
public:
    Arguments(const std::string &line, size_t position) : fLine(line), fPosition(position) {}

    // The next word; false at the end of the line.
    bool Next(std::string *word);
    // Everything after the next run of blanks, as is (inner and trailing blanks kept).
    std::string Rest();
    bool AtEnd();

private:
    void _SkipSpace();

    const std::string &fLine;
    size_t fPosition;
};

bool is_command_space(char c);
// A whole decimal number in int32's range.
bool parse_int32(const std::string &text, int32 *value);
// A whole finite number.
bool parse_float(const std::string &text, float *value);
// 'abcd' (four characters, the first in the most significant byte) or 0x and up to
// eight hexadecimal digits.
bool parse_code(const std::string &text, uint32 *code);

#endif  // BRINDLE_PLAYER_SEAMS_COMMAND_ARGUMENTS_H
