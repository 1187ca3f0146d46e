#include "tags/id3v2/id3v2_layout.h"

#include <cstring>

namespace {

uint32 big_endian(const uint8 *bytes, int count) {
    uint32 value = 0;
    for (int i = 0; i < count; i++)
        value = (value << 8) | bytes[i];
    return value;
}

// Seven bits a byte: no byte of the size can look like the start of an MPEG frame.
uint32 syncsafe(const uint8 *bytes) {
    return (uint32(bytes[0]) << 21) | (uint32(bytes[1]) << 14) | (uint32(bytes[2]) << 7) |
           uint32(bytes[3]);
}

bool is_syncsafe(const uint8 *bytes) {
    return ((bytes[0] | bytes[1] | bytes[2] | bytes[3]) & 0x80) == 0;
}

void put_syncsafe(char *bytes, uint32 value) {
    for (int i = 3; i >= 0; i--) {
        bytes[i] = static_cast<char>(value & 0x7f);
        value >>= 7;
    }
}

const uint8 *at(const std::string &bytes, size_t offset) {
    return reinterpret_cast<const uint8 *>(bytes.data()) + offset;
}

bool is_frame_id(const uint8 *bytes, size_t length) {
    if (bytes == nullptr)
        return false;
    for (size_t i = 0; i < length; i++) {
        if (!((bytes[i] >= 'A' && bytes[i] <= 'Z') || (bytes[i] >= '0' && bytes[i] <= '9')))
            return false;
    }
    return true;
}

// Where a frame may end: the end of the area, padding, or the next frame's id.
bool is_frame_boundary(size_t areaSize, const id3v2_peek &peek, size_t offset) {
    if (offset == areaSize)
        return true;
    const uint8 *next = offset < areaSize ? peek(offset, 1) : nullptr;
    return next != nullptr && (*next == 0 || is_frame_id(peek(offset, 4), 4));
}

}  // namespace

size_t id3v2_header::TotalSize() const {
    bool footer = major == 4 && (flags & ID3V2_FLAG_FOOTER) != 0;
    return ID3V2_HEADER_SIZE + size + (footer ? ID3V2_HEADER_SIZE : 0);
}

bool parse_id3v2_header(const void *data, id3v2_header *header) {
    const uint8 *bytes = static_cast<const uint8 *>(data);
    if (memcmp(bytes, "ID3", 3) != 0 || bytes[3] < 2 || bytes[3] > 4 || bytes[4] == 0xff ||
        !is_syncsafe(bytes + 6)) {
        return false;
    }
    header->major = bytes[3];
    header->flags = bytes[5];
    header->size = syncsafe(bytes + 6);
    return true;
}

std::string render_id3v2_header(uint8 major, uint8 flags, uint32 size) {
    char bytes[ID3V2_HEADER_SIZE] = {
        'I', 'D', '3', static_cast<char>(major), 0, static_cast<char>(flags)};
    put_syncsafe(bytes + 6, size);
    return std::string(bytes, sizeof(bytes));
}

size_t id3v2_extended_header_length(uint8 major, const void *sizeBytes) {
    const uint8 *bytes = static_cast<const uint8 *>(sizeBytes);
    // 2.3 counts the extended header without its size field, 2.4 with it.
    return major == 3 ? 4 + size_t(big_endian(bytes, 4)) : syncsafe(bytes);
}

bool id3v2_frame_area(const id3v2_header &header, const std::string &tag, std::string *area) {
    if (tag.size() < ID3V2_HEADER_SIZE)
        return false;
    std::string body = tag.substr(ID3V2_HEADER_SIZE, header.size);
    // In 2.4 each frame says whether it is unsynchronised; before, the whole tag was.
    if (header.major < 4 && (header.flags & ID3V2_FLAG_UNSYNCHRONISATION) != 0)
        body = resynchronise_id3v2(body);
    size_t start = 0;
    if ((header.flags & ID3V2_FLAG_EXTENDED_HEADER) != 0) {
        if (header.major == 2 || body.size() < 4)
            return false;
        start = id3v2_extended_header_length(header.major, at(body, 0));
        if (start > body.size())
            return false;
    }
    *area = body.substr(start);
    return true;
}

bool walk_id3v2_frames(uint8 major, size_t areaSize, const id3v2_peek &peek,
                       std::vector<id3v2_frame_span> *frames, size_t *end) {
    const size_t idLength = major == 2 ? 3 : 4;
    const size_t headerLength = major == 2 ? 6 : 10;
    size_t offset = 0;
    for (;;) {
        *end = offset;
        const uint8 *first = offset < areaSize ? peek(offset, 1) : nullptr;
        if (first == nullptr || *first == 0)
            return offset == areaSize || first != nullptr;
        const uint8 *header =
            offset + headerLength <= areaSize ? peek(offset, headerLength) : nullptr;
        if (header == nullptr || !is_frame_id(header, idLength))
            return false;
        // Taken now: a later peek may move what `header` points into.
        const std::string id(reinterpret_cast<const char *>(header), idLength);
        const uint8 *sizeBytes = header + idLength;
        uint32 size;
        if (major == 2) {
            size = big_endian(sizeBytes, 3);
        } else if (major == 3) {
            size = big_endian(sizeBytes, 4);
        } else {
            // Some writers put plain sizes into 2.4 frames: take the reading that lands on a
            // frame boundary.
            size = syncsafe(sizeBytes);
            uint32 plain = big_endian(sizeBytes, 4);
            size_t next = offset + headerLength;
            if (!is_syncsafe(sizeBytes) ||
                (plain != size && !is_frame_boundary(areaSize, peek, next + size) &&
                 is_frame_boundary(areaSize, peek, next + plain))) {
                size = plain;
            }
        }
        if (size == 0 || size > areaSize - offset - headerLength)
            return false;
        frames->push_back({id, offset, headerLength + size});
        offset += headerLength + size;
    }
}

bool split_id3v2_frames(uint8 major, const std::string &area,
                        std::vector<id3v2_frame_span> *frames) {
    auto peek = [&area](size_t offset, size_t length) -> const uint8 * {
        return offset + length <= area.size() ? at(area, offset) : nullptr;
    };
    size_t end;
    if (!walk_id3v2_frames(major, area.size(), peek, frames, &end))
        return false;
    for (; end < area.size(); end++) {
        if (area[end] != 0)
            return false;
    }
    return true;
}

std::string unsynchronise_id3v2_frame(const std::string &frame) {
    std::string data;
    for (size_t i = ID3V2_HEADER_SIZE; i < frame.size(); i++) {
        uint8 byte = static_cast<uint8>(frame[i]);
        data += frame[i];
        // After 0xFF, a byte that could start a sync pattern (or nothing at all) gets a 0x00.
        if (byte == 0xff && (i + 1 == frame.size() || static_cast<uint8>(frame[i + 1]) >= 0xe0 ||
                             frame[i + 1] == 0)) {
            data += '\0';
        }
    }
    std::string result = frame.substr(0, ID3V2_HEADER_SIZE);
    put_syncsafe(&result[4], static_cast<uint32>(data.size()));
    result[9] = static_cast<char>(result[9] | ID3V2_FRAME_FLAG_UNSYNCHRONISATION);
    return result + data;
}

std::string resynchronise_id3v2(const std::string &bytes) {
    std::string result;
    result.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); i++) {
        result += bytes[i];
        if (static_cast<uint8>(bytes[i]) == 0xff && i + 1 < bytes.size() && bytes[i + 1] == 0)
            i++;
    }
    return result;
}

std::string render_id3v2_frame(uint8 major, const std::string &id, uint8 status,
                               const std::string &data) {
    std::string frame = id.substr(0, 4);
    frame.resize(ID3V2_HEADER_SIZE, '\0');
    const uint32 size = static_cast<uint32>(data.size());
    if (major == 4) {
        put_syncsafe(&frame[4], size);
    } else {
        for (int i = 0; i < 4; i++)
            frame[4 + i] = static_cast<char>((size >> (24 - 8 * i)) & 0xff);
    }
    frame[8] = static_cast<char>(status);
    return frame + data;
}
