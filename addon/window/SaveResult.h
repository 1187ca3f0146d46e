// What a save of the form did, as one value: the saver gives it, and whoever asked for the
// save (the window, following the playlist) reads it.
#ifndef BRINDLE_WINDOW_SAVE_RESULT_H
#define BRINDLE_WINDOW_SAVE_RESULT_H

#include <String.h>
#include <SupportDefs.h>

// How long a save waits for a file another program holds, and who hears of a failure.
enum SaveKind {
    SAVE_PRESSED,    // Save: waits SAVE_LOCK_WAIT at most; the status line says what it did
    SAVE_AUTOMATIC,  // the form moves to another file: the same
    SAVE_AT_CLOSE,   // the window goes: no wait at all; a lost edit is said on standard error
};

struct SaveResult {
    // B_OK when everything the save meant to write was written (or nothing was due); else
    // the status of the first step that failed.
    status_t status = B_OK;
    // Why not, in the status line's words ("read-only file", "no file", ...); "" when saved.
    BString reason;

    bool Saved() const { return status == B_OK; }
};

#endif  // BRINDLE_WINDOW_SAVE_RESULT_H
