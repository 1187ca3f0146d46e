#include "AnswerText.h"

#include <cstdio>

std::string answer_text(const std::string &text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            char hex[5];
            snprintf(hex, sizeof hex, "\\x%02x", byte);
            escaped += hex;
        } else if (c == '\\') {
            escaped += "\\\\";
        } else {
            escaped += c;
        }
    }
    return escaped;
}
