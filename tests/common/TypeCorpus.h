// A corpus for content type checks, made on the spot: encoder-made MP3s of every kind the
// type check must call MPEG audio, encoder-made FLAC, Ogg Vorbis, Opus and M4A files its
// quick path must name as libmagic does, and other formats that it must not.
#ifndef BRINDLE_TESTS_COMMON_TYPE_CORPUS_H
#define BRINDLE_TESTS_COMMON_TYPE_CORPUS_H

#include <string>
#include <vector>

namespace test_support {

struct CorpusFile {
    std::string name;  // what it is, e.g. "mp3 vbr id3v2"
    std::string path;
};

// Writes the corpus into `directory` and returns its files. The encoded files need lame, flac,
// vorbis-tools, opus-tools and ffmpeg: without one (or when an encoding fails) they are left out,
// and `missing` says which.
std::vector<CorpusFile> make_type_corpus(const std::string &directory,
                                         std::vector<std::string> *missing = nullptr);

}  // namespace test_support

#endif  // BRINDLE_TESTS_COMMON_TYPE_CORPUS_H
