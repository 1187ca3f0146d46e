// A whole Vorbis comment in memory (the body of a FLAC VORBIS_COMMENT block, or an Ogg comment
// packet after its magic), edited field by field and checked against the comment it came from.
// Everything not edited keeps its bytes and its order: the vendor string, every other field,
// and whatever follows the field list (Vorbis's framing bit, bytes an Opus muxer keeps there).
#ifndef BRINDLE_TAGS_COMMENT_EDIT_H
#define BRINDLE_TAGS_COMMENT_EDIT_H

#include <string>
#include <vector>

#include <SupportDefs.h>

#include "tags/mp4/formats_codec.h"

// Quod Libet's own rating field (0.0 to 1.0): it reads no FMPS_RATING, and a bare RATING
// on its 0-to-1 scale, where KDE's 0 to 100 would show full stars. This one it reads over
// the bare one, and KDE never reads it.
constexpr char QUOD_LIBET_RATING[] = "RATING:quodlibet@lists.sacredchao.net";

struct vorbis_comment {
    std::string vendor;
    std::vector<std::string> fields;  // each "NAME=value" as stored
    std::string tail;                 // the bytes after the field list
};

// Parses `bytes` (vendor length, vendor, count, then each field's length and bytes). False when
// a length runs past the end.
bool parse_vorbis_comment(const std::string &bytes, vorbis_comment *comment);
std::string render_vorbis_comment(const vorbis_comment &comment);

// Applies `edit` as TagLib's setters would, names compared in any case: "" removes every
// field of the name; a text replaces the first field's value (it keeps its place and its
// name's spelling), drops the others of that name, and is appended as "NAME=text" when there
// is none. True when anything changed.
bool edit_vorbis_comment(vorbis_comment *comment, const format_edit &edit);

// Whether `written` holds `edit` over `original` and nothing else changed: B_OK;
// CHECK_FIELD_WRONG when an edited name does not hold exactly its text (one field) or is not
// gone; CHECK_OTHER_DATA_CHANGED when the vendor, the tail or any other field, in order,
// differs.
status_t check_vorbis_comment(const vorbis_comment &original, const vorbis_comment &written,
                              const format_edit &edit);

#endif  // BRINDLE_TAGS_COMMENT_EDIT_H
