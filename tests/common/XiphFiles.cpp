#include "XiphFiles.h"

#include <algorithm>
#include <stdexcept>

#include "TestFiles.h"

namespace test_support {

namespace {

size_t id3v2_length(const std::string &bytes) {
    if (bytes.compare(0, 3, "ID3") != 0 || bytes.size() < 10)
        return 0;
    auto byte = [&](size_t i) { return static_cast<size_t>(static_cast<unsigned char>(bytes[i])); };
    size_t length = 10 + ((byte(6) & 0x7f) << 21 | (byte(7) & 0x7f) << 14 | (byte(8) & 0x7f) << 7 |
                          (byte(9) & 0x7f));
    return (byte(5) & 0x10) != 0 ? length + 10 : length;
}

void put_le32(std::string *bytes, size_t value) {
    for (int i = 0; i < 4; i++)
        *bytes += static_cast<char>((value >> (8 * i)) & 0xff);
}

std::string block_header(int type, bool last, size_t length) {
    return {static_cast<char>((last ? 0x80 : 0) | type), static_cast<char>(length >> 16),
            static_cast<char>(length >> 8), static_cast<char>(length)};
}

}  // namespace

std::vector<FlacBlock> flac_blocks(const std::string &bytes, size_t *audio) {
    size_t at = id3v2_length(bytes);
    if (bytes.compare(at, 4, "fLaC") != 0)
        throw std::runtime_error("no FLAC file");
    at += 4;
    std::vector<FlacBlock> blocks;
    for (bool last = false; !last;) {
        if (at + 4 > bytes.size())
            throw std::runtime_error("a FLAC block header past the end");
        FlacBlock block;
        block.offset = at;
        const auto *head = reinterpret_cast<const unsigned char *>(bytes.data() + at);
        block.type = head[0] & 0x7f;
        last = block.last = (head[0] & 0x80) != 0;
        const size_t length = head[1] << 16 | head[2] << 8 | head[3];
        if (at + 4 + length > bytes.size())
            throw std::runtime_error("a FLAC block past the end");
        block.body = bytes.substr(at + 4, length);
        blocks.push_back(block);
        at += 4 + length;
    }
    if (audio != nullptr)
        *audio = at;
    return blocks;
}

std::string flac_with_block(const std::string &flac, size_t index, int type,
                            const std::string &body) {
    size_t audio = 0;
    std::vector<FlacBlock> blocks = flac_blocks(flac, &audio);
    std::string made = flac.substr(0, blocks[0].offset);  // a tag in front, "fLaC"
    FlacBlock added;
    added.type = type;
    added.body = body;
    blocks.insert(blocks.begin() + static_cast<long>(std::min(index, blocks.size())), added);
    for (size_t i = 0; i < blocks.size(); i++)
        made += block_header(blocks[i].type, i + 1 == blocks.size(), blocks[i].body.size()) +
                blocks[i].body;
    return made + flac.substr(audio);
}

std::string vorbis_comment_bytes(const std::string &vendor,
                                 const std::vector<std::string> &fields) {
    std::string bytes;
    put_le32(&bytes, vendor.size());
    bytes += vendor;
    put_le32(&bytes, fields.size());
    for (const std::string &field : fields) {
        put_le32(&bytes, field.size());
        bytes += field;
    }
    return bytes;
}

std::vector<std::string> ogg_pages(const std::string &bytes) {
    std::vector<std::string> pages;
    for (size_t at = 0; at < bytes.size();) {
        if (bytes.compare(at, 4, "OggS") != 0 || at + 27 > bytes.size())
            throw std::runtime_error("no Ogg page at " + std::to_string(at));
        const size_t segments = static_cast<unsigned char>(bytes[at + 26]);
        size_t length = 27 + segments;
        for (size_t i = 0; i < segments; i++)
            length += static_cast<unsigned char>(bytes[at + 27 + i]);
        pages.push_back(bytes.substr(at, length));
        at += length;
    }
    return pages;
}

std::string ogg_multiplexed(const std::string &first, const std::string &second) {
    const auto a = ogg_pages(first), b = ogg_pages(second);
    std::string bytes = a[0] + b[0];
    for (size_t i = 1; i < std::max(a.size(), b.size()); i++)
        bytes += (i < a.size() ? a[i] : "") + (i < b.size() ? b[i] : "");
    return bytes;
}

bool stream_checks_out(const std::string &path, std::string *output) {
    std::string said;
    const bool flac = path.size() > 5 && path.compare(path.size() - 5, 5, ".flac") == 0;
    const int status =
        run_command((flac ? "flac --silent -t " : "ogginfo ") + shell_quote(path) + " 2>&1", &said);
    if (output != nullptr)
        *output = said;
    return status == 0;
}

}  // namespace test_support
