// Audio fixtures for tests: WAV recordings we generate, MP3 files encoded from them by lame,
// and ID3v1 tags built field by field.
#ifndef BRINDLE_TESTS_COMMON_AUDIO_FILES_H
#define BRINDLE_TESTS_COMMON_AUDIO_FILES_H

#include <string>

namespace test_support {

// A 16-bit mono PCM WAV (canonical 44-byte header) of `seconds` at `rate` samples a second:
// a sine of `frequency` Hz, or silence when `frequency` is 0.
std::string sine_wav(double seconds, unsigned rate, double frequency);

// True when lame is installed.
bool have_lame();
// Encodes the WAV `wav` to `mp3Path` with `lame --quiet` and `lameOptions`; false when lame
// failed.
bool encode_mp3(const std::string &wav, const std::string &mp3Path,
                const std::string &lameOptions = "");

// The other formats people's libraries hold, each from its usual encoder: "flac" (flac),
// "ogg" (oggenc), "opus" (opusenc), "m4a" (ffmpeg's own AAC encoder), and two that are none
// of these to the type check: "ogg-flac" (FLAC in Ogg) and "mp4" (an ISO brand), by ffmpeg.
// Encodes the WAV `wav` to `path`; false when the encoder is missing or failed.
bool encode_audio(const std::string &wav, const std::string &path, const std::string &format);

// A 128-byte ID3v1 tag: text fields are placed as given (the caller pads them) and cut or
// NUL-filled to 30 bytes; year and comment are NULs.
std::string id3v1_tag(const std::string &title, const std::string &artist, const std::string &album,
                      unsigned char genre);

}  // namespace test_support

#endif  // BRINDLE_TESTS_COMMON_AUDIO_FILES_H
