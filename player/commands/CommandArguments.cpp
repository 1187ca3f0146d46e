#include "CommandArguments.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>

bool is_command_space(char c) {
    return c == ' ' || c == '\t';
}

bool Arguments::Next(std::string *word) {
    _SkipSpace();
    if (fPosition >= fLine.size())
        return false;
    size_t end = fPosition;
    while (end < fLine.size() && !is_command_space(fLine[end]))
        end++;
    word->assign(fLine, fPosition, end - fPosition);
    fPosition = end;
    return true;
}

std::string Arguments::Rest() {
    _SkipSpace();
    return fLine.substr(fPosition);
}

bool Arguments::AtEnd() {
    _SkipSpace();
    return fPosition >= fLine.size();
}

void Arguments::_SkipSpace() {
    while (fPosition < fLine.size() && is_command_space(fLine[fPosition]))
        fPosition++;
}

bool parse_int32(const std::string &text, int32 *value) {
    if (text.empty())
        return false;
    errno = 0;
    char *end;
    long long parsed = strtoll(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    *value = static_cast<int32>(parsed);
    return true;
}

bool parse_float(const std::string &text, float *value) {
    if (text.empty())
        return false;
    errno = 0;
    char *end;
    float parsed = strtof(text.c_str(), &end);
    if (*end != '\0' || errno != 0 || !std::isfinite(parsed))
        return false;
    *value = parsed;
    return true;
}

bool parse_code(const std::string &text, uint32 *code) {
    if (text.size() == 6 && text.front() == '\'' && text.back() == '\'') {
        *code = 0;
        for (size_t i = 1; i < 5; i++)
            *code = (*code << 8) | static_cast<unsigned char>(text[i]);
        return true;
    }
    if (text.size() > 2 && text.size() <= 10 && text[0] == '0' &&
        (text[1] == 'x' || text[1] == 'X')) {
        uint32 value = 0;
        for (size_t i = 2; i < text.size(); i++) {
            const char c = text[i];
            int digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                return false;
            value = (value << 4) | static_cast<uint32>(digit);
        }
        *code = value;
        return true;
    }
    return false;
}
