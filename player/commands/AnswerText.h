// Text from elsewhere (a file's name, a field's contents) inside the player's "= " answers:
// a line end or another control character in it must not start a line of its own, which
// a reader would take for another answer.
#ifndef BRINDLE_PLAYER_ANSWER_TEXT_H
#define BRINDLE_PLAYER_ANSWER_TEXT_H

#include <string>

// `text` with each control character (below 0x20, and DEL) written as \xHH and each
// backslash doubled, so that the answer stays one line and reads back unambiguously.
std::string answer_text(const std::string &text);

#endif  // BRINDLE_PLAYER_ANSWER_TEXT_H
