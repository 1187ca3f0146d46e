#include "Id3v2Files.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "TestFiles.h"

namespace test_support {

namespace {

// One of the mutagen scripts beside this file, run by Debian's own interpreter, where
// python3-mutagen is installed.
std::string tool(const char *script) {
    return "/usr/bin/python3 " +
           shell_quote(std::string(BRINDLE_SOURCE_DIR) + "/tests/common/" + script);
}

void run_make(const char *script, const std::string &path,
              const std::map<std::string, std::string> &keys) {
    std::string command = tool(script) + " make " + shell_quote(path);
    for (const auto &[key, value] : keys)
        command += " " + shell_quote(key + "=" + value);
    if (run_command(command + " 2>&1") != 0)
        throw std::runtime_error("mutagen could not tag " + path);
}

std::map<std::string, std::string> run_dump(const char *script, const std::string &path) {
    std::string output;
    if (run_command(tool(script) + " dump " + shell_quote(path), &output) != 0)
        throw std::runtime_error("mutagen could not read " + path);
    std::map<std::string, std::string> result;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            result[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return result;
}

std::string syncsafe(size_t size) {
    return {static_cast<char>((size >> 21) & 0x7f), static_cast<char>((size >> 14) & 0x7f),
            static_cast<char>((size >> 7) & 0x7f), static_cast<char>(size & 0x7f)};
}

std::string big_endian(size_t size, int bytes) {
    std::string result;
    for (int i = bytes - 1; i >= 0; i--)
        result += static_cast<char>((size >> (8 * i)) & 0xff);
    return result;
}

}  // namespace

void mutagen_tag(const std::string &path, const std::map<std::string, std::string> &keys) {
    run_make("id3_tool.py", path, keys);
}

std::map<std::string, std::string> mutagen_read(const std::string &path) {
    return run_dump("id3_tool.py", path);
}

void mutagen_tag_other(const std::string &path, const std::map<std::string, std::string> &keys) {
    run_make("tag_tool.py", path, keys);
}

void mutagen_strip_other(const std::string &path) {
    if (run_command(tool("tag_tool.py") + " strip " + shell_quote(path) + " 2>&1") != 0)
        throw std::runtime_error("mutagen could not strip " + path);
}

std::map<std::string, std::string> mutagen_read_other(const std::string &path) {
    return run_dump("tag_tool.py", path);
}

std::string id3v2_frame(int major, const std::string &id, const std::string &payload) {
    if (major == 2)
        return id + big_endian(payload.size(), 3) + payload;
    std::string size = major == 3 ? big_endian(payload.size(), 4) : syncsafe(payload.size());
    return id + size + std::string(2, '\0') + payload;
}

std::string id3v2_text_frame(int major, const std::string &id, const std::string &text) {
    return id3v2_frame(major, id, '\0' + text);
}

std::vector<std::string> id3v2_frames_of(const std::string &tag) {
    const int major = tag.size() > 3 ? tag[3] : 0;
    auto byte = [&](size_t at) { return static_cast<size_t>(static_cast<unsigned char>(tag[at])); };
    const size_t end = 10 + ((byte(6) << 21) | (byte(7) << 14) | (byte(8) << 7) | byte(9));
    const size_t header = major == 2 ? 6 : 10;
    std::vector<std::string> frames;
    for (size_t at = 10; at + header <= std::min(end, tag.size()) && tag[at] != '\0';) {
        size_t size = 0;
        if (major == 2)
            size = (byte(at + 3) << 16) | (byte(at + 4) << 8) | byte(at + 5);
        else if (major == 3)
            size = (byte(at + 4) << 24) | (byte(at + 5) << 16) | (byte(at + 6) << 8) | byte(at + 7);
        else
            size = (byte(at + 4) << 21) | (byte(at + 5) << 14) | (byte(at + 6) << 7) | byte(at + 7);
        frames.push_back(tag.substr(at, header + size));
        at += header + size;
    }
    return frames;
}

std::string id3v2_tag(int major, const std::string &frames, size_t padding) {
    std::string header = {'I', 'D', '3', static_cast<char>(major), 0, 0};
    return header + syncsafe(frames.size() + padding) + frames + std::string(padding, '\0');
}

}  // namespace test_support
