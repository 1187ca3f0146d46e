// Lines from a file descriptor, read in large chunks, one read() per Fill(): the
// caller polls the descriptor together with others and never blocks in here.
#ifndef BRINDLE_PLAYER_LINE_READER_H
#define BRINDLE_PLAYER_LINE_READER_H

#include <string>

class LineReader {
public:
    enum FillResult { kData, kEnd, kError };

    explicit LineReader(int fd) : fFd(fd) {}

    int Fd() const { return fFd; }
    // One read(). kEnd at end of input, kError (errno set) when the descriptor cannot
    // be read; an interrupted read counts as kData with nothing new.
    FillResult Fill();
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
