// The read-back check of an MP4 copy that TagLib saved (tags/format_tags.h writes MP4 this
// way): the copy is compared in full with the original through our own atom parser
// (tags/mp4/mp4_atoms.h), since TagLib changes it outside the copy_writer.
#ifndef BRINDLE_TAGS_MP4_CHECK_H
#define BRINDLE_TAGS_MP4_CHECK_H

#include <SupportDefs.h>

#include "tags/mp4/formats_codec.h"

// Compares the copy open on `copyFd` with the original open on `sourceFd` after `edit` was
// saved into it. The copy checks out when:
// - its atoms end where the file does, as the original's do;
// - it has the same atoms in the same order with the same payloads, but for atom sizes, free
//   atoms, the udta/meta/ilst path TagLib writes, and the chunk offsets (stco, co64);
// - every track's chunks (so every sample, found through stsz, stsc and stco or co64) lie at
//   the same place in the same data: each chunk offset shifted by exactly the bytes inserted
//   before it;
// - each item the edit wrote (©nam, ©ART, ©alb, ©gen without gnre, rate) holds exactly the
//   text meant, or is gone when that text is "", and every other ilst item is byte for byte
//   what it was (TagLib may put them in another order).
// B_OK, or CHECK_LENGTH_WRONG, CHECK_AUDIO_CHANGED (mdat or a chunk), CHECK_OTHER_DATA_CHANGED,
// CHECK_FIELD_WRONG, CHECK_UNREADABLE (tags/save_check.h).
status_t check_mp4_copy(int sourceFd, int copyFd, const format_edit &edit);

#endif  // BRINDLE_TAGS_MP4_CHECK_H
