// ID3v2 tags, and the other formats' tags, for tests: made and read back by mutagen
// (tests/common/id3_tool.py, tag_tool.py), a tagger we did not write, and built byte by byte where
// a test needs a tag no tagger writes (no padding, version 2.2).
#ifndef BRINDLE_TESTS_COMMON_ID3V2_FILES_H
#define BRINDLE_TESTS_COMMON_ID3V2_FILES_H

#include <map>
#include <string>
#include <vector>

namespace test_support {

// Puts a new tag made by mutagen in front of the file at `path`; `keys` holds id3_tool.py's
// make keys (version, encoding, title, genre, picture, ...). Throws std::runtime_error when
// mutagen fails.
void mutagen_tag(const std::string &path, const std::map<std::string, std::string> &keys);
// The file's tag as mutagen reads it: "version" ("2.3.0"), each frame's text by its key
// ("TIT2", "TIT2.encoding", "genres", "APIC", "USLT", "TXXX:REPLAYGAIN_TRACK_GAIN"), or
// {"tag": "none"}. Throws std::runtime_error when mutagen fails.
std::map<std::string, std::string> mutagen_read(const std::string &path);

// The same for FLAC, Ogg Vorbis, Opus and MP4 files (tests/common/tag_tool.py): adds `keys`
// (title, artist, album, genre, picture, replaygain, RATING, FMPS_RATING, rate) to the
// file's tag, creating it; strips the tag (a FLAC file's comment block, an MP4 file's ilst);
// reads it back under the same keys, or {"tag": "none"}. Throw std::runtime_error when
// mutagen fails.
void mutagen_tag_other(const std::string &path, const std::map<std::string, std::string> &keys);
void mutagen_strip_other(const std::string &path);
std::map<std::string, std::string> mutagen_read_other(const std::string &path);

// A frame holding `payload` as it is: a 6-byte header for 2.2, a 10-byte one for 2.3 (plain
// size) and 2.4 (syncsafe size), no flags.
std::string id3v2_frame(int major, const std::string &id, const std::string &payload);
// A text frame with an ISO-8859-1 `text` (encoding byte 0).
std::string id3v2_text_frame(int major, const std::string &id, const std::string &text);
// The frames of a complete tag without unsynchronisation or extended header, each header
// included, in order; the padding is left out.
std::vector<std::string> id3v2_frames_of(const std::string &tag);
// A tag of version 2.`major` around `frames`, followed by `padding` zero bytes.
std::string id3v2_tag(int major, const std::string &frames, size_t padding = 0);

}  // namespace test_support

#endif  // BRINDLE_TESTS_COMMON_ID3V2_FILES_H
