#include "tags/id3v2/id3v2.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <Errors.h>

#include "tags/id3v2/id3v2_codec.h"
#include "tags/id3v2/id3v2_file.h"
#include "tags/id3v2/id3v2_layout.h"
#include "tags/tag_module.h"
#include "tags/genres.h"

namespace {

const char *const frame_ids[ID3V2_TEXT_COUNT] = {"TIT2", "TPE1", "TALB", "TCON"};
const char *const v22_frame_ids[ID3V2_TEXT_COUNT] = {"TT2", "TP1", "TAL", "TCO"};

// TagLib's side, loaded once on first use and kept for the life of the process.
const id3v2_codec *codec() {
    static const id3v2_codec *loaded = []() -> const id3v2_codec * {
        const id3v2_codec *table =
            load_tag_module<id3v2_codec>(ID3V2_CODEC_MODULE, ID3V2_CODEC_ENTRY);
        if (table == nullptr)
            return nullptr;
        if (table->abi != ID3V2_CODEC_ABI) {
            printf("Failed to load %s: not a matching module\n", ID3V2_CODEC_MODULE);
            return nullptr;
        }
        return table;
    }();
    return loaded;
}

int wanted_index(uint8 major, const std::string &id) {
    for (int i = 0; i < ID3V2_TEXT_COUNT; i++) {
        if (id == (major == 2 ? v22_frame_ids[i] : frame_ids[i]))
            return i;
    }
    return -1;
}

// The frames that hold the four fields; `header` is read by the time a frame is offered.
id3v2_frame_filter is_wanted(const id3v2_header &header) {
    return [&header](const std::string &id) { return wanted_index(header.major, id) >= 0; };
}

// TCON's values, in order: the first that names a genre wins. A number is its genre id; a
// name is looked up in our table, in any case, then in TagLib's, which knows other spellings.
uint8 genre_from(const id3v2_texts &texts, const id3v2_codec *taglib) {
    for (const std::string &value : texts.genres) {
        if (!value.empty() && value.find_first_not_of("0123456789") == std::string::npos) {
            long number = strtol(value.c_str(), nullptr, 10);
            if (value.size() <= 3 && number < NUM_GENRES)
                return static_cast<uint8>(number);
            continue;
        }
        uint8 id = get_genre_id_ignoring_case(value.c_str());
        if (id == UNKNOWN_GENRE_VALUE) {
            int number = taglib->genre_number(value.c_str());
            id = number >= 0 && number < NUM_GENRES ? static_cast<uint8>(number) : id;
        }
        if (id != UNKNOWN_GENRE_VALUE)
            return id;
    }
    return UNKNOWN_GENRE_VALUE;
}

// The four fields from `wanted`, the frames that hold them, decoded by TagLib in a small tag
// of their own: a tag with none of them (or only large pictures) costs it nothing.
bool decode_wanted(const id3v2_header &header, const std::string &wanted, id3v2_fields *fields) {
    id3v2_fields result;
    if (!wanted.empty()) {
        const id3v2_codec *taglib = codec();
        // 2.2 and 2.3 frames come resynchronised; 2.4 frames say so themselves or through
        // the header's flag.
        uint8 flags = header.major == 4 ? (header.flags & ID3V2_FLAG_UNSYNCHRONISATION) : 0;
        std::string small = render_id3v2_header(header.major, flags, wanted.size()) + wanted;
        id3v2_texts texts;
        if (taglib == nullptr || !taglib->read_texts(small.data(), small.size(), &texts))
            return false;
        result.title = texts.title.c_str();
        result.artist = texts.artist.c_str();
        result.album = texts.album.c_str();
        result.genre = genre_from(texts, taglib);
    }
    *fields = result;
    return true;
}

// Leaves out what the tag already holds, so that saving a form unchanged rewrites nothing.
id3v2_changes without_unchanged(const id3v2_changes &changes, const id3v2_fields &current) {
    id3v2_changes left = changes;
    if (left.title != nullptr && current.title == left.title)
        left.title = nullptr;
    if (left.artist != nullptr && current.artist == left.artist)
        left.artist = nullptr;
    if (left.album != nullptr && current.album == left.album)
        left.album = nullptr;
    if (left.genre == current.genre)
        left.genre = UNKNOWN_GENRE_VALUE;
    return left;
}

bool nothing_to_change(const id3v2_changes &changes) {
    return changes.title == nullptr && changes.artist == nullptr && changes.album == nullptr &&
           changes.genre >= NUM_GENRES;
}

// The texts to write, by id3v2_text_index; TCON as a genre number, which every reader shows
// under its own name for it.
void change_texts(const id3v2_changes &changes, uint8 major, std::string *genre,
                  const char *texts[ID3V2_TEXT_COUNT]) {
    texts[ID3V2_TITLE] = changes.title;
    texts[ID3V2_ARTIST] = changes.artist;
    texts[ID3V2_ALBUM] = changes.album;
    texts[ID3V2_GENRE] = nullptr;
    if (changes.genre < NUM_GENRES) {
        char number[8];
        snprintf(number, sizeof(number), major == 4 ? "%d" : "(%d)", changes.genre);
        *genre = number;
        texts[ID3V2_GENRE] = genre->c_str();
    }
}

// A text frame rendered for 2.3 as a 2.2 tag stores it: a 3-character id and a 3-byte size
// before the same body (an encoding byte, then ISO-8859-1 or UTF-16 with its BOM).
bool as_v22_frame(const char *id, const std::string &v23Frame, std::string *frame) {
    constexpr size_t kV23HeaderSize = 10;
    if (v23Frame.size() < kV23HeaderSize)
        return false;
    const size_t size = v23Frame.size() - kV23HeaderSize;
    if (size >= (size_t(1) << 24))
        return false;
    *frame = std::string(id, 3);
    for (int shift = 16; shift >= 0; shift -= 8)
        frame->push_back(static_cast<char>((size >> shift) & 0xff));
    frame->append(v23Frame, kV23HeaderSize, std::string::npos);
    return true;
}

// A changed text as a frame of the tag's own version.
bool render_frame(const id3v2_codec *taglib, const id3v2_header &header, int index,
                  const char *text, std::string *frame) {
    if (header.major != 2)
        return taglib->render_text_frame(frame_ids[index], text, header.major, frame);
    std::string v23Frame;
    return taglib->render_text_frame(frame_ids[index], text, 3, &v23Frame) &&
           as_v22_frame(v22_frame_ids[index], v23Frame, frame);
}

// The frames of a tag with the changed texts spliced in, in the tag's own version: a changed
// frame takes the place of the first of its kind, later ones of its kind go, a new one goes
// at the end. Every other frame keeps its bytes.
status_t splice_frames(const id3v2_header &header, const std::string &tag,
                       const char *const texts[], std::string *frames, bool *moved) {
    const id3v2_codec *taglib = codec();
    if (taglib == nullptr)
        return B_MISSING_LIBRARY;
    std::string rendered[ID3V2_TEXT_COUNT];
    for (int i = 0; i < ID3V2_TEXT_COUNT; i++) {
        if (texts[i] == nullptr || *texts[i] == '\0')
            continue;
        if (!render_frame(taglib, header, i, texts[i], &rendered[i]))
            return B_BAD_DATA;
        // A 2.4 tag flagged unsynchronised is decoded frame by frame: ours must match.
        if (header.major == 4 && (header.flags & ID3V2_FLAG_UNSYNCHRONISATION) != 0)
            rendered[i] = unsynchronise_id3v2_frame(rendered[i]);
    }
    bool placed[ID3V2_TEXT_COUNT] = {};
    auto edit = [&](const std::string &id, const std::string &, std::string *replacement) {
        int index = wanted_index(header.major, id);
        if (index < 0 || texts[index] == nullptr)
            return false;
        if (!placed[index])
            *replacement = rendered[index];
        placed[index] = true;
        return true;
    };
    status_t status = edit_id3v2_frames(header, tag, edit, frames, moved);
    if (status != B_OK)
        return status;
    for (int i = 0; i < ID3V2_TEXT_COUNT; i++) {
        if (!placed[i])
            frames->append(rendered[i]);
    }
    return B_OK;
}

}  // namespace

bool has_id3v2_tag(BFile &file) {
    id3v2_header header;
    return read_id3v2_header(file, &header);
}

bool read_id3v2_fields(BFile &file, id3v2_fields *fields) {
    id3v2_header header;
    std::string wanted;
    return read_id3v2_frames(file, is_wanted(header), &header, &wanted) &&
           decode_wanted(header, wanted, fields);
}

status_t write_id3v2_fields(BFile &file, const id3v2_changes &changes, bool *replaced,
                            node_ref *replacement) {
    *replaced = false;
    id3v2_header header;
    if (!read_id3v2_header(file, &header))
        return B_ENTRY_NOT_FOUND;
    if (nothing_to_change(changes))
        return B_OK;
    std::string tag, wanted;
    id3v2_fields current;
    if (!read_id3v2_tag(file, header, &tag) ||
        !id3v2_frames_in(header, tag, is_wanted(header), &wanted) ||
        !decode_wanted(header, wanted, &current))
        return B_BAD_DATA;
    const id3v2_changes left = without_unchanged(changes, current);
    if (nothing_to_change(left))
        return B_OK;

    std::string genre;
    const char *texts[ID3V2_TEXT_COUNT];
    change_texts(left, header.major, &genre, texts);
    std::string frames;
    bool moved;
    status_t status = splice_frames(header, tag, texts, &frames, &moved);
    if (status != B_OK)
        return status;
    return store_id3v2_frames(file, header, tag, frames, moved, replaced, replacement);
}
