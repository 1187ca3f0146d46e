#include "tags/id3v2/id3v2_rating.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <Errors.h>

#include "tags/format_tags.h"
#include "tags/id3v2/id3v2_file.h"
#include "tags/id3v2/id3v2_layout.h"

namespace {

// KDE's tables between a POPM byte and a rating of 0 to 10 (kfilemetadata's tag writer and
// extractor), and the e-mail its writer puts in the frame.
const int popm_bytes[11] = {0, 1, 13, 54, 64, 118, 128, 186, 196, 242, 255};
const char kKdePopmEmail[] = "org.kde.kfilemetadata";
const char kFmpsDescription[] = "FMPS_RATING";

// Text encodings of ID3v2 strings (0 is ISO-8859-1).
constexpr uint8 ENCODING_UTF16 = 1;    // with a byte order mark
constexpr uint8 ENCODING_UTF16BE = 2;  // 2.4
constexpr uint8 ENCODING_UTF8 = 3;     // 2.4

bool is_popm(uint8 major, const std::string &id) {
    return id == (major == 2 ? "POP" : "POPM");
}

bool is_txxx(uint8 major, const std::string &id) {
    return id == (major == 2 ? "TXX" : "TXXX");
}

// A frame's data, its format flags undone. False for a compressed, encrypted or grouped
// frame: nothing here reads or rewrites those.
bool frame_data(uint8 major, const std::string &frame, std::string *data) {
    const size_t headerLength = major == 2 ? 6 : ID3V2_HEADER_SIZE;
    if (frame.size() < headerLength)
        return false;
    *data = frame.substr(headerLength);
    if (major == 2)
        return true;
    const uint8 format = static_cast<uint8>(frame[9]);
    if (major == 3)
        return (format & 0xe0) == 0;
    if ((format & 0x4c) != 0)
        return false;
    // A data length indicator, then data unsynchronised on its own.
    if ((format & 0x01) != 0) {
        if (data->size() < 4)
            return false;
        data->erase(0, 4);
    }
    if ((format & ID3V2_FRAME_FLAG_UNSYNCHRONISATION) != 0)
        *data = resynchronise_id3v2(*data);
    return true;
}

// A frame holding `data` for a tag with `header`: no format flags, unsynchronised when a 2.4
// tag says its frames are.
std::string render(const id3v2_header &header, const std::string &id, uint8 status,
                   const std::string &data) {
    std::string frame = render_id3v2_frame(header.major, id, status, data);
    if (header.major == 4 && (header.flags & ID3V2_FLAG_UNSYNCHRONISATION) != 0)
        frame = unsynchronise_id3v2_frame(frame);
    return frame;
}

// The string in `encoding` at `*at` in `data`, up to its terminator (then `*at` is past it).
// Only its ASCII matters here (a description to match, a number to parse): any other
// character comes out as '?'.
std::string read_string(uint8 encoding, const std::string &data, size_t *at) {
    std::string text;
    const bool wide = encoding == ENCODING_UTF16 || encoding == ENCODING_UTF16BE;
    if (!wide) {
        size_t end = data.find('\0', *at);
        end = end == std::string::npos ? data.size() : end;
        for (size_t i = *at; i < end; i++)
            text += static_cast<uint8>(data[i]) < 0x80 ? data[i] : '?';
        *at = end < data.size() ? end + 1 : end;
        return text;
    }
    bool bigEndian = encoding == ENCODING_UTF16BE;
    size_t i = *at;
    for (bool first = true; i + 1 < data.size(); i += 2, first = false) {
        const uint8 a = static_cast<uint8>(data[i]), b = static_cast<uint8>(data[i + 1]);
        if (a == 0 && b == 0) {
            i += 2;
            break;
        }
        if (first && encoding == ENCODING_UTF16 &&
            ((a == 0xff && b == 0xfe) || (a == 0xfe && b == 0xff))) {
            bigEndian = a == 0xfe;
            continue;
        }
        const unsigned unit = bigEndian ? (a << 8) | b : (b << 8) | a;
        text += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    *at = std::min(i, data.size());
    return text;
}

std::string upper(std::string text) {
    for (char &c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// A TXXX frame's data: where its value starts, when its description is FMPS_Rating.
bool fmps_value_at(const std::string &data, size_t *valueAt) {
    if (data.empty() || static_cast<uint8>(data[0]) > ENCODING_UTF8)
        return false;
    size_t at = 1;
    if (upper(read_string(static_cast<uint8>(data[0]), data, &at)) != kFmpsDescription)
        return false;
    *valueAt = at;
    return true;
}

// A POPM frame's data: where its rating byte is (just after the e-mail's NUL; maybe the end).
size_t popm_rating_at(const std::string &data) {
    size_t nul = data.find('\0');
    return nul == std::string::npos ? data.size() : nul + 1;
}

// A POPM byte as 0 to 10 through KDE's reader: 1 is the lowest rating only from writers that
// mean it so.
int rating_from_popm(const std::string &data) {
    const size_t at = popm_rating_at(data);
    const int byte = at < data.size() ? static_cast<uint8>(data[at]) : 0;
    if (byte <= 0)
        return 0;
    if (byte == 1) {
        const std::string email = data.substr(0, at > 0 ? at - 1 : 0);
        return email == "no@email" || email == kKdePopmEmail ? 1 : 2;
    }
    return static_cast<int>(0.032 * byte + 2);
}

// The value `text` (a number: ASCII) in the string encoding `encoding`.
std::string encode_value(uint8 encoding, const std::string &text) {
    if (encoding != ENCODING_UTF16 && encoding != ENCODING_UTF16BE)
        return text;
    std::string bytes = encoding == ENCODING_UTF16 ? std::string("\xff\xfe", 2) : std::string();
    for (char c : text) {
        bytes += encoding == ENCODING_UTF16 ? std::string{c, '\0'} : std::string{'\0', c};
    }
    return bytes;
}

}  // namespace

bool read_id3v2_ratings(BFile &file, format_texts *texts) {
    id3v2_header header;
    if (!read_id3v2_header(file, &header)) {
        texts->hasTag = false;
        return true;
    }
    std::string frames;
    auto rating_frame = [&header](const std::string &id) {
        return is_popm(header.major, id) || is_txxx(header.major, id);
    };
    if (!read_id3v2_frames(file, rating_frame, &header, &frames))
        return false;
    texts->hasTag = true;
    // A 2.2 tag has no lossless 2.3 form for its other frames, and a rating frame of its
    // own nobody reads.
    texts->writable = header.major >= 3;
    std::vector<id3v2_frame_span> spans;
    split_id3v2_frames(header.major, frames, &spans);
    bool popmSeen = false, fmpsSeen = false;
    for (const id3v2_frame_span &span : spans) {
        std::string data;
        if (!frame_data(header.major, frames.substr(span.offset, span.length), &data))
            continue;
        size_t valueAt;
        if (is_popm(header.major, span.id) && !popmSeen) {
            popmSeen = true;
            texts->ratings[RATING_POPM] = std::to_string(rating_from_popm(data));
        } else if (is_txxx(header.major, span.id) && !fmpsSeen && fmps_value_at(data, &valueAt)) {
            fmpsSeen = true;
            texts->ratings[RATING_FMPS] = read_string(static_cast<uint8>(data[0]), data, &valueAt);
        }
    }
    return true;
}

status_t write_id3v2_ratings(BFile &file, const format_edit &edit, bool *replaced,
                             node_ref *replacement) {
    *replaced = false;
    const char *popm = edit.ratings[RATING_POPM];
    const char *fmps = edit.ratings[RATING_FMPS];
    id3v2_header header;
    if (!read_id3v2_header(file, &header))
        return B_ENTRY_NOT_FOUND;
    if (popm == nullptr && fmps == nullptr)
        return B_OK;
    if (header.major < 3)
        return TAG_NOT_WRITABLE;
    std::string tag;
    if (!read_id3v2_tag(file, header, &tag))
        return B_BAD_DATA;
    const int rating = popm != nullptr ? atoi(popm) : 0;
    const char byte = static_cast<char>(rating >= 0 && rating <= 10 ? popm_bytes[rating] : 0);

    bool popmFound = false, fmpsDone = false, unreadable = false;
    auto change = [&](const std::string &id, const std::string &frame, std::string *replacement) {
        const bool isPopm = popm != nullptr && is_popm(header.major, id);
        if (!isPopm && (fmps == nullptr || fmpsDone || !is_txxx(header.major, id)))
            return false;
        std::string data;
        if (!frame_data(header.major, frame, &data)) {
            unreadable = unreadable || isPopm;
            return false;
        }
        if (isPopm) {
            popmFound = true;
            // An e-mail without its NUL gets one.
            if (data.find('\0') == std::string::npos)
                data += '\0';
            const size_t at = popm_rating_at(data);
            if (at == data.size())
                data += byte;
            else
                data[at] = byte;
            // Its id and status flags are kept.
            *replacement = render(header, id, static_cast<uint8>(frame[8]), data);
            return true;
        }
        size_t valueAt;
        if (!fmps_value_at(data, &valueAt))
            return false;
        fmpsDone = true;
        data = data.substr(0, valueAt) + encode_value(static_cast<uint8>(data[0]), fmps);
        *replacement = render(header, id, static_cast<uint8>(frame[8]), data);
        return true;
    };
    std::string frames;
    bool moved;
    status_t status = edit_id3v2_frames(header, tag, change, &frames, &moved);
    if (status != B_OK)
        return status;
    if (unreadable)
        return B_BAD_DATA;
    // The person chose a rating and the tag has no POPM: KDE's writer adds this one.
    if (popm != nullptr && !popmFound) {
        std::string data = std::string(kKdePopmEmail) + '\0' + byte + std::string(4, '\0');
        frames += render(header, "POPM", 0, data);
    }
    return store_id3v2_frames(file, header, tag, frames, moved, replaced, replacement);
}
