// Comparing a copy built by copy_writer (tags/copy_writer.h) with its original, for the
// checkers of each format: a run the writer copied verbatim is held to its place, anything
// else is read from both files and compared.
#ifndef BRINDLE_TAGS_COPY_COMPARE_H
#define BRINDLE_TAGS_COPY_COMPARE_H

#include <sys/types.h>

#include <string>

#include <SupportDefs.h>

#include "tags/file_reads.h"

class copy_writer;

// True when the copy's [at, at + length) holds the original's [from, from + length).
bool copy_holds(int sourceFd, int copyFd, const copy_writer &writer, off_t from, off_t length,
                off_t at);

// The copy is as long as `writer` made it: B_OK, CHECK_LENGTH_WRONG, or CHECK_UNREADABLE.
status_t check_copy_length(int copyFd, const copy_writer &writer);

// Ends a check: the copy's bytes from `at` to its end are the original's from `from` to its end
// (else CHECK_AUDIO_CHANGED: the audio ends every format), and every piece `writer` wrote reads
// back as written (else CHECK_OTHER_DATA_CHANGED, or copy_writer::VerifyWritten's status).
status_t check_copy_end(int sourceFd, int copyFd, const copy_writer &writer, off_t from,
                        off_t sourceSize, off_t at, off_t copySize);

#endif  // BRINDLE_TAGS_COPY_COMPARE_H
