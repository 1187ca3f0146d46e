// Lines from a file descriptor, read in large chunks, one read() per Fill(): the
// caller polls the descriptor together with others and never blocks in here.
#ifndef BRINDLE_PLAYER_LINE_READER_H
#define BRINDLE_PLAYER_LINE_READER_H

#include <string>

#include "Status.h"

class LineReader {
public:
    explicit LineReader(int fd) : fFd(fd) {}

    int Fd() const { return fFd; }
    // One read(): OK with new data, with nothing new (an interrupted read) or at the end
    // of input (Ended()); a failure when the descriptor cannot be read.
    Status Fill();
    // The next whole line, without its "\n" (or "\r\n"). At the end of input a last
    // line without a newline is a line too.
    bool NextLine(std::string *line);
    // Whether the end of input was read (lines may still be waiting).
    bool Ended() const { return fEnded; }
    // Lines handed out so far.
    int LineNumber() const { return fLineNumber; }

private:
    int fFd;
    std::string fBuffer;
    size_t fStart = 0;
    bool fEnded = false;
    int fLineNumber = 0;
};

#endif  // BRINDLE_PLAYER_LINE_READER_H
