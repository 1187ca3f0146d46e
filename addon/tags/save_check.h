// The statuses a tag save gives when it refuses to write, each with the words the status line
// shows for it. A copy that does not check out is thrown away before it replaces anything, so
// the file keeps every byte it had.
#ifndef BRINDLE_TAGS_SAVE_CHECK_H
#define BRINDLE_TAGS_SAVE_CHECK_H

#include <Errors.h>
#include <SupportDefs.h>

// Read back, the written copy differs from what was meant. Each says where, in the words of
// check_failure_words().
constexpr status_t CHECK_AUDIO_CHANGED = B_GENERAL_ERROR_BASE + 0x10100;  // "the audio differs"
constexpr status_t CHECK_OTHER_DATA_CHANGED = CHECK_AUDIO_CHANGED + 1;  // "other tag data differs"
constexpr status_t CHECK_FIELD_WRONG = CHECK_AUDIO_CHANGED + 2;         // "a written field differs"
constexpr status_t CHECK_LENGTH_WRONG = CHECK_AUDIO_CHANGED + 3;        // "its length differs"
constexpr status_t CHECK_UNREADABLE = CHECK_AUDIO_CHANGED + 4;          // "it cannot be read back"

// Files whose layout no writer here keeps intact: nothing is written to their tag.
constexpr status_t TAG_FRAGMENTED_MP4 = CHECK_AUDIO_CHANGED + 16;
constexpr status_t TAG_MULTIPLEXED_OGG = CHECK_AUDIO_CHANGED + 17;
// A FLAC file whose metadata walk stopped at damage (a second STREAMINFO, a block of type
// 127, a block past the end, too many blocks or too many bytes).
constexpr status_t TAG_FLAC_DAMAGED = CHECK_AUDIO_CHANGED + 18;

// True for the statuses above that say a read-back copy did not check out.
inline bool is_check_failure(status_t status) {
    return status >= CHECK_AUDIO_CHANGED && status <= CHECK_UNREADABLE;
}

// The few words that say what did not check out, for "the written copy did not check out
// (WHAT)"; nullptr for a status that is no check failure.
inline const char *check_failure_words(status_t status) {
    switch (status) {
        case CHECK_AUDIO_CHANGED:
            return "the audio differs";
        case CHECK_OTHER_DATA_CHANGED:
            return "other tag data differs";
        case CHECK_FIELD_WRONG:
            return "a written field differs";
        case CHECK_LENGTH_WRONG:
            return "its length differs";
        case CHECK_UNREADABLE:
            return "it cannot be read back";
        default:
            return nullptr;
    }
}

#endif  // BRINDLE_TAGS_SAVE_CHECK_H
