#include "tags/format_tags.h"

#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <Errors.h>
#include <NodeInfo.h>

#include "tags/safe_rewrite.h"
#include "tags/tag_module.h"
#include "tags/attributes.h"
#include "tags/genres.h"
#include "tags/flac/flac_writer.h"
#include "tags/id3v2/id3v2_rating.h"
#include "tags/mp4/mp4_write.h"
#include "tags/ogg/ogg_writer.h"
#include "tags/ogg/vorbis_comment.h"

namespace {

const formats_codec *codec() {
    static const formats_codec *loaded = []() -> const formats_codec * {
        const formats_codec *table =
            load_tag_module<formats_codec>(FORMATS_CODEC_MODULE, FORMATS_CODEC_ENTRY);
        return table != nullptr && table->abi == FORMATS_CODEC_ABI ? table : nullptr;
    }();
    return loaded;
}

bool type_is(const char *type, std::initializer_list<const char *> names) {
    for (const char *name : names) {
        if (strcmp(type, name) == 0)
            return true;
    }
    return false;
}

// The codec of an Ogg file, from the first packet of the pages that begin its streams (a
// multiplexed file may start with Skeleton's or a video's).
bool ogg_codec(BFile &file, tag_format *format) {
    unsigned char page[27 + 255 + 8];
    off_t offset = 0;
    for (int stream = 0; stream < 16; stream++) {
        ssize_t length = file.ReadAt(offset, page, sizeof(page));
        if (length < 28 || memcmp(page, "OggS", 4) != 0 || (page[5] & 2) == 0)
            return false;
        const size_t packet = 27 + page[26];
        auto starts = [&](const char *bytes, size_t count) {
            return packet + count <= static_cast<size_t>(length) &&
                   memcmp(page + packet, bytes, count) == 0;
        };
        if (starts("\x01vorbis", 7)) {
            *format = TAG_FORMAT_VORBIS;
            return true;
        }
        if (starts("OpusHead", 8)) {
            *format = TAG_FORMAT_OPUS;
            return true;
        }
        if (length < static_cast<ssize_t>(packet))
            return false;
        off_t data = 0;
        for (int i = 0; i < page[26]; i++)
            data += page[27 + i];
        offset += static_cast<off_t>(packet) + data;
    }
    return false;
}

// Whether `text` is wholly a number: a decimal integer when `integer`, else any finite
// decimal. Leading or trailing bytes, "nan" and "inf" are no number.
bool parse_number(const std::string &text, bool integer, double *value) {
    if (text.empty() || !(isdigit(static_cast<unsigned char>(text[0])) || text[0] == '-' ||
                          text[0] == '+' || (!integer && text[0] == '.')))
        return false;
    char *end = nullptr;
    *value =
        integer ? static_cast<double>(strtol(text.c_str(), &end, 10)) : strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(*value);
}

// A rating convention's stored text as 1 to 10, on that convention's own scale; 0 for "not
// rated" there: missing, no number, out of its range, or below the lowest rating.
int32 rating_from(rating_convention convention, const std::string &text) {
    double value;
    switch (convention) {
        case RATING_POPM:
            // The ID3v2 reader has taken the byte through KDE's table already: 0 to 10.
            if (!parse_number(text, true, &value) || value < 0 || value > RATING_MAX)
                return 0;
            return static_cast<int32>(value);
        case RATING_FMPS:
        case RATING_QUOD_LIBET:
            // 0.0 to 1.0, to the nearest tenth.
            if (!parse_number(text, false, &value) || value < 0 || value > 1)
                return 0;
            return static_cast<int32>(std::lround(value * 10));
        case RATING_COMMENT:
        case RATING_MP4_RATE:
            // 0 to 100, as KDE reads it: a tenth, cut down.
            if (!parse_number(text, true, &value) || value < 0 || value > 100)
                return 0;
            return static_cast<int32>(value) / 10;
        case RATING_CONVENTION_COUNT:
            break;
    }
    return 0;
}

// `rating` (1 to 10) as `convention` stores it.
std::string rating_text(rating_convention convention, int32 rating) {
    char text[16];
    if (convention == RATING_FMPS || convention == RATING_QUOD_LIBET)
        snprintf(text, sizeof(text), "%.1f", rating / 10.0);
    else if (convention == RATING_POPM)
        snprintf(text, sizeof(text), "%d", static_cast<int>(rating));
    else
        snprintf(text, sizeof(text), "%d", static_cast<int>(rating * 10));
    return text;
}

// Whether a rating the person chose adds `convention` to a `format` file that lacks it: KDE's
// own for the format, and what the players people use read beside it.
bool rating_created(tag_format format, rating_convention convention) {
    switch (format) {
        case TAG_FORMAT_ID3V2:
            return convention == RATING_POPM;
        case TAG_FORMAT_MP4:
            return convention == RATING_MP4_RATE || convention == RATING_FMPS;
        case TAG_FORMAT_FLAC:
        case TAG_FORMAT_VORBIS:
        case TAG_FORMAT_OPUS:
            return convention == RATING_COMMENT || convention == RATING_FMPS ||
                   convention == RATING_QUOD_LIBET;
    }
    return false;
}

uint8 genre_from(const std::vector<std::string> &genres) {
    for (const std::string &genre : genres) {
        uint8 id = get_genre_id_ignoring_case(genre.c_str());
        if (id != UNKNOWN_GENRE_VALUE)
            return id;
    }
    return UNKNOWN_GENRE_VALUE;
}

// B_OK, or why the tag cannot be read (TAG_FLAC_DAMAGED, B_MISSING_LIBRARY, B_BAD_DATA, ...).
status_t read_texts(BFile &file, tag_format format, format_texts *texts) {
    // Vorbis comments are read without TagLib: a browse never loads it for them.
    if (format == TAG_FORMAT_FLAC || format == TAG_FORMAT_VORBIS || format == TAG_FORMAT_OPUS)
        return read_comment_texts(file, format, texts);
    // Nor are an MP3's ratings: TagLib never reads nor renders an ID3v2 tag.
    if (format == TAG_FORMAT_ID3V2)
        return read_id3v2_ratings(file, texts) ? B_OK : B_BAD_DATA;
    const formats_codec *taglib = codec();
    if (taglib == nullptr)
        return B_MISSING_LIBRARY;
    int fd = file.Dup();
    return fd >= 0 && taglib->read(fd, format, texts) ? B_OK : B_BAD_DATA;
}

}  // namespace

bool get_tag_format(BFile &file, tag_format *format) {
    BNodeInfo info(&file);
    char type[B_MIME_TYPE_LENGTH] = {};
    if (info.InitCheck() < 0 || info.GetType(type) < 0)
        return false;
    type[sizeof(type) - 1] = '\0';
    if (type_is(type, {"audio/flac", "audio/x-flac"})) {
        *format = TAG_FORMAT_FLAC;
        return true;
    }
    if (type_is(type, {"audio/x-m4a", "audio/mp4", "audio/m4a"})) {
        *format = TAG_FORMAT_MP4;
        return true;
    }
    if (type_is(type, {"audio/ogg", "application/ogg", "audio/x-vorbis+ogg", "audio/vorbis",
                       "audio/x-opus+ogg", "audio/opus"}))
        return ogg_codec(file, format);
    return false;
}

bool read_format_fields(BFile &file, tag_format format, format_fields *fields) {
    format_texts texts;
    if (read_texts(file, format, &texts) != B_OK)
        return false;
    format_fields result;
    result.title = texts.title.c_str();
    result.artist = texts.artist.c_str();
    result.album = texts.album.c_str();
    result.genre = genre_from(texts.genres);
    for (int i = 0; i < RATING_READ_COUNT && result.rating == 0; i++)
        result.rating = rating_from(static_cast<rating_convention>(i), texts.ratings[i]);
    *fields = result;
    return true;
}

status_t write_format_fields(BFile &file, tag_format format, const format_changes &changes,
                             bool *replaced, node_ref *replacement) {
    *replaced = false;
    format_texts current;
    status_t read = read_texts(file, format, &current);
    if (read != B_OK)
        return read;
    // An MPEG file gets no ID3v2 tag it does not have.
    if (format == TAG_FORMAT_ID3V2 && !current.hasTag)
        return B_OK;

    // Only what differs from the tag goes into the edit.
    format_edit edit;
    bool any = false;
    auto text = [&](const char *wanted, const std::string &held, const char **slot) {
        if (wanted != nullptr && held != wanted) {
            *slot = wanted;
            any = true;
        }
    };
    text(changes.title, current.title, &edit.title);
    text(changes.artist, current.artist, &edit.artist);
    text(changes.album, current.album, &edit.album);
    std::string genre;
    if (changes.genre < NUM_GENRES && genre_from(current.genres) != changes.genre) {
        genre = genres[changes.genre];
        edit.genre = genre.c_str();
        any = true;
    }
    std::string ratings[RATING_CONVENTION_COUNT];
    if (changes.rating >= RATING_MIN && changes.rating <= RATING_MAX) {
        // The person chose the rating: every convention the file carries takes it on its own
        // scale (one that says so already keeps its bytes), and the ones the players read are
        // added.
        edit.rateAsInteger = current.rateIsInteger;
        for (int i = 0; i < RATING_CONVENTION_COUNT; i++) {
            const auto convention = static_cast<rating_convention>(i);
            const bool carried = !current.ratings[i].empty();
            if (carried ? rating_from(convention, current.ratings[i]) == changes.rating
                        : !rating_created(format, convention))
                continue;
            ratings[i] = rating_text(convention, changes.rating);
            edit.ratings[i] = ratings[i].c_str();
            any = true;
        }
    }
    // A file without a tag gets one only for something to put in it, and TagLib is loaded
    // only for a change.
    if (!any)
        return B_OK;
    if (!current.writable)
        return TAG_NOT_WRITABLE;
    switch (format) {
        case TAG_FORMAT_FLAC:
            return write_flac_comment(file, edit, replaced, replacement);
        case TAG_FORMAT_VORBIS:
        case TAG_FORMAT_OPUS:
            return write_ogg_comment(file, format, edit, replaced, replacement);
        case TAG_FORMAT_MP4:
            if (codec() == nullptr)
                return B_MISSING_LIBRARY;
            return write_mp4_tag(file, *codec(), edit, replaced, replacement);
        case TAG_FORMAT_ID3V2:
            return write_id3v2_ratings(file, edit, replaced, replacement);
    }
    return B_BAD_VALUE;
}
