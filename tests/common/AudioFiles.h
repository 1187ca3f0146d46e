// Audio fixtures for tests: WAV recordings we generate, real files encoded from them by the
// encoders people use, and ID3v1 tags built field by field.
#ifndef BRINDLE_TESTS_COMMON_AUDIO_FILES_H
#define BRINDLE_TESTS_COMMON_AUDIO_FILES_H

#include <string>

namespace test_support {

// A 16-bit mono PCM WAV (canonical 44-byte header) of `seconds` at `rate` samples a second:
// a sine of `frequency` Hz, or silence when `frequency` is 0.
std::string sine_wav(double seconds, unsigned rate, double frequency);

// True when lame is installed.
bool have_lame();

// Encodes the WAV `wav` to `path` with the usual encoder of `format`, passing `options` to it
// when it is lame: "mp3" (lame --quiet), "flac" (flac), "ogg" (oggenc), "opus" (opusenc), "m4a"
// (ffmpeg's own AAC encoder; "m4a-faststart" with its moov before the audio, "m4a-fragmented"
// in movie fragments), and two that are none of these to the type check: "ogg-flac" (FLAC in
// Ogg) and "mp4" (an ISO brand), by ffmpeg. False when the encoder is missing or
// failed.
bool encode_audio(const std::string &wav, const std::string &path, const std::string &format,
                  const std::string &options = "");

// The audio's MD5 as ffmpeg decodes it ("ffmpeg -f md5"); "" when it cannot.
std::string decoded_md5(const std::string &path);

// The test fixtures: a file of encode_audio()'s `format` (no tag unless lame's `options` write
// one) holding 0.3 s of a 440 Hz sine. Each encoder runs once per test binary, format and
// options; every file after that is a copy of its output. Throws std::runtime_error when the
// encoder is missing or failed.
void make_audio(const std::string &path, const std::string &format,
                const std::string &options = "");
inline void make_mp3(const std::string &path, const std::string &lameOptions = "") {
    make_audio(path, "mp3", lameOptions);
}

// A 128-byte ID3v1 tag: text fields are placed as given (the caller pads them) and cut or
// NUL-filled to 30 bytes; year and comment are NULs.
std::string id3v1_tag(const std::string &title, const std::string &artist, const std::string &album,
                      unsigned char genre);

}  // namespace test_support

#endif  // BRINDLE_TESTS_COMMON_AUDIO_FILES_H
