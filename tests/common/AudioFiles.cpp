#include "AudioFiles.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <stdexcept>

#include "Polling.h"
#include "TestFiles.h"

namespace test_support {

namespace {

void put_le(std::string *bytes, uint32_t value, int size) {
    for (int i = 0; i < size; i++)
        *bytes += static_cast<char>((value >> (8 * i)) & 0xff);
}

}  // namespace

std::string sine_wav(double seconds, unsigned rate, double frequency) {
    const uint32_t samples = static_cast<uint32_t>(seconds * rate);
    std::string wav = "RIFF";
    put_le(&wav, 36 + samples * 2, 4);
    wav += "WAVEfmt ";
    put_le(&wav, 16, 4);
    put_le(&wav, 1, 2);  // PCM
    put_le(&wav, 1, 2);  // mono
    put_le(&wav, rate, 4);
    put_le(&wav, rate * 2, 4);  // bytes per second
    put_le(&wav, 2, 2);         // block align
    put_le(&wav, 16, 2);        // bits per sample
    wav += "data";
    put_le(&wav, samples * 2, 4);
    for (uint32_t i = 0; i < samples; i++) {
        double value = 8000.0 * std::sin(2.0 * M_PI * frequency * i / rate);
        put_le(&wav, static_cast<uint32_t>(static_cast<int16_t>(value)) & 0xffff, 2);
    }
    return wav;
}

bool have_lame() {
    return !installed("lame").empty();
}

bool encode_audio(const std::string &wav, const std::string &path, const std::string &format,
                  const std::string &options) {
    const std::string in = shell_quote(path + ".wav"), out = shell_quote(path);
    const std::string ffmpeg = "ffmpeg -nostdin -loglevel error -y -i " + in;
    std::string command;
    if (format == "mp3")
        command = "lame --quiet " + options + " " + in + " " + out;
    else if (format == "flac")
        command = "flac --silent --force -o " + out + " " + in;
    else if (format == "ogg")
        command = "oggenc --quiet -o " + out + " " + in;
    else if (format == "opus")
        command = "opusenc --quiet " + in + " " + out;
    else if (format == "m4a")
        command = ffmpeg + " -c:a aac -f ipod " + out;
    else if (format == "m4a-faststart")
        command = ffmpeg + " -c:a aac -movflags +faststart -f ipod " + out;
    else if (format == "m4a-fragmented")
        command = ffmpeg + " -c:a aac -movflags frag_keyframe+empty_moov -f ipod " + out;
    else if (format == "ogg-flac")
        command = ffmpeg + " -c:a flac -f ogg " + out;
    else if (format == "mp4")
        command = ffmpeg + " -c:a aac -f mp4 " + out;
    else
        return false;
    write_file(path + ".wav", wav);
    int status = run_command(command + " >/dev/null 2>&1");
    unlink((path + ".wav").c_str());
    return status == 0;
}

std::string decoded_md5(const std::string &path) {
    std::string output;
    if (run_command(
            "ffmpeg -nostdin -v error -i " + shell_quote(path) + " -map 0:a -f md5 - 2>/dev/null",
            &output) != 0)
        return "";
    return output;
}

void make_audio(const std::string &path, const std::string &format, const std::string &options) {
    static std::map<std::string, std::string> encoded;  // by format and options
    std::string &bytes = encoded[format + " " + options];
    if (bytes.empty()) {
        TempDir scratch("brindle-fixture");
        const std::string made = scratch / ("tone." + format);
        if (!encode_audio(sine_wav(0.3, 22050, 440), made, format, options))
            throw std::runtime_error("the " + format + " encoder failed");
        bytes = read_file(made);
        if (bytes.size() <= 128)
            throw std::runtime_error("the " + format + " encoder wrote too little");
    }
    write_file(path, bytes);
}

std::string id3v1_tag(const std::string &title, const std::string &artist, const std::string &album,
                      unsigned char genre) {
    auto field = [](const std::string &text) {
        std::string area = text.substr(0, 30);
        area.resize(30, '\0');
        return area;
    };
    std::string tag = "TAG" + field(title) + field(artist) + field(album);
    tag += std::string(34, '\0');  // year and comment
    tag += static_cast<char>(genre);
    return tag;
}

}  // namespace test_support
