// The boundary between the add-on and its TagLib module for MP4 tags (brindle-formats.so),
// loaded, as the ID3v2 one is, only when a file needs it. The types below also carry the
// other formats' tags between the add-on's own readers and writers (tags/format_tags.h).
//
// The module reads and edits a file open on a descriptor it is handed (a duplicate: TagLib
// closes it). The add-on gives it the person's file only to read; every edit goes to a copy
// beside it (tags/safe_rewrite.h). Both sides are built together, so the table may pass
// standard strings.
#ifndef BRINDLE_TAGS_FORMATS_CODEC_H
#define BRINDLE_TAGS_FORMATS_CODEC_H

#include <string>
#include <vector>

// Raised whenever the table below changes; a module with another number is not used.
constexpr unsigned FORMATS_CODEC_ABI = 5;

constexpr char FORMATS_CODEC_MODULE[] = "brindle-formats.so";
constexpr char FORMATS_CODEC_ENTRY[] = "brindle_formats_codec";

// Where a format keeps its tag: the Vorbis comment of FLAC, Vorbis and Opus; MP4's ilst. An
// MPEG file's ID3v2 tag is here only for its ratings, which our own code reads and writes
// (tags/id3v2/id3v2_rating.h; tags/id3v2/id3v2.h has its texts): TagLib never touches it.
enum tag_format {
    TAG_FORMAT_FLAC,
    TAG_FORMAT_VORBIS,
    TAG_FORMAT_OPUS,
    TAG_FORMAT_MP4,
    TAG_FORMAT_ID3V2
};

// A rating convention a tag may carry, in the order they are read.
enum rating_convention {
    RATING_POPM,  // ID3v2 POPM frames, as 0 to 10 through KDE's tables; every frame is set
    // FMPS_RATING (or FMPS_Rating; ID3v2: a TXXX frame; MP4: the freeform item
    // ----:com.apple.iTunes:FMPS_Rating): 0.0 to 1.0
    RATING_FMPS,
    RATING_COMMENT,   // RATING: 0 to 100
    RATING_MP4_RATE,  // MP4's rate item: 0 to 100, as text or as an integer
    // Quod Libet's own Vorbis comment, RATING:quodlibet@lists.sacredchao.net: 0.0 to 1.0.
    // Written beside the others, never read for the form.
    RATING_QUOD_LIBET,
    RATING_CONVENTION_COUNT
};

// The conventions the form reads, in this order; Quod Libet's is only written.
constexpr int RATING_READ_COUNT = RATING_QUOD_LIBET;

// What a tag holds, as UTF-8.
struct format_texts {
    bool hasTag = false;   // false: the file has no comment block or ilst yet
    bool writable = true;  // false: the tag takes no rating as it is (an ID3v2.2 tag)
    std::string title;
    std::string artist;
    std::string album;
    std::vector<std::string> genres;
    // Each convention's stored text, "" when the tag lacks it.
    std::string ratings[RATING_CONVENTION_COUNT];
    // MP4: the rate item holds an integer, not text; an edit keeps that type.
    bool rateIsInteger = false;
};

// What an edit sets: a null text leaves its field, "" removes it; a null rating leaves
// that convention, and a convention the tag lacks is added only when its text is given.
// An MP4 rate item is written as an integer when `rateAsInteger`, else as text.
struct format_edit {
    const char *title = nullptr;
    const char *artist = nullptr;
    const char *album = nullptr;
    const char *genre = nullptr;
    const char *ratings[RATING_CONVENTION_COUNT] = {};
    bool rateAsInteger = false;
};

struct formats_codec {
    unsigned abi;  // FORMATS_CODEC_ABI
    // Reads the tag of the file open on `fd` (which it closes). false when TagLib cannot
    // read the file as `format`, and always for a format other than TAG_FORMAT_MP4.
    bool (*read)(int fd, tag_format format, format_texts *texts);
    // Applies `edit` to the MP4 file open read-write on `fd` (which it closes), creating the
    // ilst when missing, and saves it. Every other item and picture is meant to stay; what
    // TagLib says of its own writes is not trusted (tags/mp4/mp4_check.h reads the copy back).
    // false when TagLib could not read or save it, and always for another format.
    bool (*write)(int fd, tag_format format, const format_edit &edit);
};

extern "C" {
typedef const formats_codec *(*formats_codec_entry)();
}

#endif  // BRINDLE_TAGS_FORMATS_CODEC_H
