#include "tags/ogg/vorbis_comment.h"

#include <strings.h>

#include <cstdint>
#include <cstring>
#include <string>

#include <Errors.h>

#include "tags/file_reads.h"
#include "tags/ogg/comment_edit.h"
#include "tags/flac/flac_metadata.h"
#include "tags/ogg/ogg_link.h"

namespace {

// The longest value kept of a field; a longer one is cut here.
constexpr size_t kMaxValue = 4096;
// Bytes enough to hold the longest name wanted and its '=' (Quod Libet's rating).
constexpr size_t kNameBytes = sizeof(QUOD_LIBET_RATING) + 1;

uint32_t le32(const unsigned char *bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

// The bytes of one packet, or of one FLAC block, read in order; Skip passes over bytes
// without reading them.
class comment_source {
public:
    virtual ~comment_source() = default;
    virtual bool Read(void *buffer, size_t length) = 0;
    virtual bool Skip(size_t length) = 0;
};

// A FLAC metadata block: contiguous bytes of the file.
class block_source : public comment_source {
public:
    block_source(BFile &file, off_t start, size_t length)
        : fFile(file), fOffset(start), fLeft(length) {}

    bool Read(void *buffer, size_t length) override {
        if (length > fLeft || !read_exactly_at(fFile, fOffset, buffer, length))
            return false;
        return Skip(length);
    }
    bool Skip(size_t length) override {
        if (length > fLeft)
            return false;
        fOffset += static_cast<off_t>(length);
        fLeft -= length;
        return true;
    }

private:
    BFile &fFile;
    off_t fOffset;
    size_t fLeft;
};

// The second packet of an Ogg stream (its comment header), across as many pages as it
// spans: only their headers are read for the bytes skipped.
class ogg_packet_source : public comment_source {
public:
    explicit ogg_packet_source(BFile &file) : fFile(file) {}

    // Finds the stream whose first packet starts with `id` among the pages that begin a stream
    // (a multiplexed file starts with one for each, Skeleton's or video's perhaps first), then
    // the start of that stream's second packet; false when the file has no such stream.
    bool Start(const char *id, size_t idLength) {
        for (;;) {
            if (!NextPage() || (fPageFlags & 2) == 0)
                return false;
            char head[8];
            if (fSegments.size() > 0 && idLength <= sizeof(head) &&
                read_exactly_at(fFile, fDataOffset, head, idLength) &&
                memcmp(head, id, idLength) == 0)
                break;
        }
        fSerial = fPageSerial;
        fFollowing = true;
        // Packet 0 ends at the first lacing value below 255.
        for (;;) {
            if (!NextSegment())
                return false;
            const auto lacing = static_cast<unsigned char>(fSegments[fSegment++]);
            fDataOffset += lacing;
            if (lacing < 255)
                break;
        }
        return Begin();
    }

    bool Read(void *buffer, size_t length) override { return Move(buffer, length); }
    bool Skip(size_t length) override { return Move(nullptr, length); }

private:
    // Makes fSegment name a segment, moving to later pages (an empty page has none).
    bool NextSegment() {
        while (fSegment == fSegments.size()) {
            if (!NextPage())
                return false;
        }
        return true;
    }

    bool NextPage() {
        // The header and its segment table in one read: at most 27 + 255 bytes, fewer only
        // where the file ends.
        unsigned char header[27 + 255];
        ssize_t count = fFile.ReadAt(fPageEnd, header, sizeof(header));
        if (count < 27 || memcmp(header, "OggS", 4) != 0 || header[4] != 0 ||
            count < 27 + header[26])
            return false;
        fSegments.assign(reinterpret_cast<const char *>(header) + 27, header[26]);
        fSegment = 0;
        fDataOffset = fPageEnd + 27 + static_cast<off_t>(fSegments.size());
        off_t data = 0;
        for (char lacing : fSegments)
            data += static_cast<unsigned char>(lacing);
        fPageEnd = fDataOffset + data;
        // Only the first page's stream is followed: another one beside it (a multiplexed
        // file) has its pages in between.
        fPageFlags = header[5];
        fPageSerial = le32(header + 14);
        if (fFollowing && fPageSerial != fSerial)
            fSegments.clear();
        return true;
    }

    // Opens the next segment of the packet; false past its end.
    bool Begin() {
        if (fEnded || !NextSegment())
            return false;
        fLeft = static_cast<unsigned char>(fSegments[fSegment++]);
        fEnded = fLeft < 255;
        return true;
    }

    bool Move(void *buffer, size_t length) {
        auto *bytes = static_cast<char *>(buffer);
        while (length > 0) {
            if (fLeft == 0 && !Begin())
                return false;
            const size_t step = length < fLeft ? length : fLeft;
            if (bytes != nullptr) {
                if (!read_exactly_at(fFile, fDataOffset, bytes, step))
                    return false;
                bytes += step;
            }
            fDataOffset += static_cast<off_t>(step);
            fLeft -= step;
            length -= step;
        }
        return true;
    }

    BFile &fFile;
    off_t fPageEnd = 0;
    off_t fDataOffset = 0;
    std::string fSegments;
    size_t fSegment = 0;
    size_t fLeft = 0;  // bytes left in the current segment
    bool fEnded = false;
    uint8_t fPageFlags = 0;
    uint32_t fPageSerial = 0;
    uint32_t fSerial = 0;  // the stream followed, once fFollowing
    bool fFollowing = false;
};

// Where a field goes, by its name; nullptr for a field not wanted.
std::string *slot_for(const std::string &name, format_texts *texts, bool *many) {
    *many = false;
    const struct {
        const char *name;
        std::string *slot;
    } slots[] = {{"TITLE", &texts->title},
                 {"ARTIST", &texts->artist},
                 {"ALBUM", &texts->album},
                 {"FMPS_RATING", &texts->ratings[RATING_FMPS]},
                 {"RATING", &texts->ratings[RATING_COMMENT]},
                 {QUOD_LIBET_RATING, &texts->ratings[RATING_QUOD_LIBET]}};
    for (const auto &entry : slots) {
        if (strcasecmp(name.c_str(), entry.name) == 0)
            return entry.slot->empty() ? entry.slot : nullptr;
    }
    *many = strcasecmp(name.c_str(), "GENRE") == 0;
    return nullptr;
}

// The comment itself: vendor, count, then each field's length and "NAME=value".
bool parse_comment(comment_source &source, format_texts *texts) {
    unsigned char number[4];
    if (!source.Read(number, 4) || !source.Skip(le32(number)) || !source.Read(number, 4))
        return false;
    const uint32_t count = le32(number);
    for (uint32_t i = 0; i < count; i++) {
        if (!source.Read(number, 4))
            return false;
        const size_t length = le32(number);
        char head[kNameBytes];
        const size_t headLength = length < sizeof(head) ? length : sizeof(head);
        if (!source.Read(head, headLength))
            return false;
        const char *equals = static_cast<const char *>(memchr(head, '=', headLength));
        bool many = false;
        std::string *slot = nullptr;
        std::string value;
        if (equals != nullptr) {
            slot = slot_for(std::string(head, static_cast<size_t>(equals - head)), texts, &many);
            value.assign(equals + 1, static_cast<size_t>(head + headLength - (equals + 1)));
        }
        size_t rest = length - headLength;
        if (slot != nullptr || many) {
            const size_t kept = rest < kMaxValue ? rest : kMaxValue;
            const size_t start = value.size();
            value.resize(start + kept);
            if (kept > 0 && !source.Read(&value[start], kept))
                return false;
            rest -= kept;
            if (slot != nullptr)
                *slot = value;
            else
                texts->genres.push_back(value);
        }
        if (!source.Skip(rest))
            return false;
    }
    return true;
}

status_t read_flac(BFile &file, format_texts *texts) {
    flac_metadata metadata;
    status_t status = read_flac_metadata(file, &metadata);
    if (status != B_OK)
        return status;
    const int comment = metadata.Comment();
    if (comment < 0)
        return B_OK;  // no comment block: no tag
    texts->hasTag = true;
    const flac_block &block = metadata.blocks[static_cast<size_t>(comment)];
    block_source source(file, block.offset + static_cast<off_t>(FLAC_BLOCK_HEADER), block.length);
    return parse_comment(source, texts) ? B_OK : B_BAD_DATA;
}

bool read_ogg(BFile &file, tag_format format, format_texts *texts) {
    ogg_packet_source source(file);
    const std::string id = ogg_id_magic(format), magic = ogg_comment_magic(format);
    char start[8];
    if (!source.Start(id.data(), id.size()) || !source.Read(start, magic.size()) ||
        memcmp(start, magic.data(), magic.size()) != 0)
        return false;
    texts->hasTag = true;
    return parse_comment(source, texts);
}

}  // namespace

status_t read_comment_texts(BFile &file, tag_format format, format_texts *texts) {
    format_texts result;
    status_t status = format == TAG_FORMAT_FLAC ? read_flac(file, &result)
                      : format == TAG_FORMAT_VORBIS || format == TAG_FORMAT_OPUS
                          ? (read_ogg(file, format, &result) ? B_OK : B_BAD_DATA)
                          : B_BAD_VALUE;
    if (status == B_OK)
        *texts = result;
    return status;
}

bool read_vorbis_comment(BFile &file, tag_format format, format_texts *texts) {
    return read_comment_texts(file, format, texts) == B_OK;
}
