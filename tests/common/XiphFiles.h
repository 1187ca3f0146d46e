// FLAC and Ogg files for tests, taken apart and put together byte by byte where a test needs a
// layout no encoder or tagger makes (a second comment block, a tag in front, two streams at
// once), and the independent checks of their audio: `flac -t`, `ogginfo` and the decoded
// audio's MD5 from ffmpeg.
#ifndef BRINDLE_TESTS_COMMON_XIPH_FILES_H
#define BRINDLE_TESTS_COMMON_XIPH_FILES_H

#include <string>
#include <vector>

namespace test_support {

struct FlacBlock {
    size_t offset = 0;  // of its header in the file
    int type = 0;
    bool last = false;
    std::string body;
};

// The metadata blocks of the FLAC file in `bytes` (after an ID3v2 tag in front, if any), and
// where its audio starts. Throws std::runtime_error for anything else.
std::vector<FlacBlock> flac_blocks(const std::string &bytes, size_t *audio = nullptr);
// `flac` with a block of `type` and `body` put before its block `index` (or at the end of its
// metadata), the last-block flags made right.
std::string flac_with_block(const std::string &flac, size_t index, int type,
                            const std::string &body);
// A Vorbis comment: vendor, then each "NAME=value" field.
std::string vorbis_comment_bytes(const std::string &vendor, const std::vector<std::string> &fields);

// The Ogg pages of `bytes`, whole, in order. Throws std::runtime_error where no page is.
std::vector<std::string> ogg_pages(const std::string &bytes);

// The streams of two Ogg files at once: both first pages, then the other pages in turn.
std::string ogg_multiplexed(const std::string &first, const std::string &second);

// True when `flac -t` (FLAC) or `ogginfo` (Ogg) finds `path` sound; `output` gets what it said.
bool stream_checks_out(const std::string &path, std::string *output = nullptr);

}  // namespace test_support

#endif  // BRINDLE_TESTS_COMMON_XIPH_FILES_H
