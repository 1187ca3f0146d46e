// The add-on's tag writers on a mutated file of each format (MP3 with ID3v2, FLAC, Ogg Vorbis,
// Opus, MP4): the file is loaded, edited and saved as a save from the form does, in a scratch
// folder. Either the save refuses (any status but B_OK) or the file it leaves holds the edit
// with the audio unchanged: for MP3, the bytes after the tag; for FLAC, the frames after the
// metadata; for MP4, as our own check compares them. Ogg's audio is left to the Ogg writer's
// own check.
//
// Input: one byte choosing the format, one choosing the edit (bit 0: a rating too, but for
// MP4), then the file's content.
#include <File.h>

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "FuzzScratch.h"
#include "tags/format_tags.h"
#include "tags/id3v2/id3v2.h"
#include "tags/id3v2/id3v2_layout.h"
#include "tags/mp4/mp4_check.h"

namespace {

struct fuzzed_format {
    const char *extension;
    const char *type;  // the recorded BEOS:TYPE
};
const fuzzed_format kFormats[] = {{"mp3", "audio/x-mpeg"},
                                  {"flac", "audio/flac"},
                                  {"ogg", "audio/ogg"},
                                  {"opus", "audio/ogg"},
                                  {"m4a", "audio/x-m4a"}};
constexpr size_t kFormatCount = sizeof(kFormats) / sizeof(kFormats[0]);

const char kTitle[] = "Fuzzed \xe2\x9c\x93";

std::string gDirectory;

std::string read_whole(const std::string &path) {
    std::string bytes;
    FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        std::abort();
    char buffer[65536];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
        bytes.append(buffer, count);
    std::fclose(file);
    return bytes;
}

void write_whole(const std::string &path, const std::string &bytes, const char *type) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        std::abort();
    if (type != nullptr) {
        const std::string value = std::string("SMIM") + type + '\0';
        fsetxattr(fd, "user.haiku.BEOS:TYPE", value.data(), value.size(), 0);
    }
    close(fd);
}

// Where an ID3v2 tag's bytes end (0 without one).
size_t id3v2_end(const std::string &bytes) {
    id3v2_header header;
    if (bytes.size() < ID3V2_HEADER_SIZE || !parse_id3v2_header(bytes.data(), &header))
        return 0;
    return header.TotalSize();
}

// Where a FLAC file's metadata blocks end, after any ID3v2 tag in front; npos when they
// make no sense.
size_t flac_audio_start(const std::string &bytes) {
    size_t at = id3v2_end(bytes);
    if (bytes.compare(at, 4, "fLaC") != 0)
        return std::string::npos;
    at += 4;
    for (bool last = false; !last;) {
        if (at + 4 > bytes.size())
            return std::string::npos;
        last = (static_cast<uint8_t>(bytes[at]) & 0x80) != 0;
        at += 4 + ((static_cast<size_t>(static_cast<uint8_t>(bytes[at + 1])) << 16) |
                   (static_cast<size_t>(static_cast<uint8_t>(bytes[at + 2])) << 8) |
                   static_cast<uint8_t>(bytes[at + 3]));
    }
    return at <= bytes.size() ? at : std::string::npos;
}

void require(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    gDirectory = fuzz_scratch_path("-writers");
    std::error_code error;
    if (gDirectory.empty() || !std::filesystem::create_directories(gDirectory, error))
        return 1;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(gDirectory, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    const fuzzed_format &format = kFormats[data[0] % kFormatCount];
    // MP4's check is told what the save wrote: a title only, so that a rate item the file
    // already holds as asked (and so is left alone) is not taken for a written one.
    const bool rate = (data[1] & 1) != 0 && data[0] % kFormatCount != 4;
    const std::string content(reinterpret_cast<const char *>(data + 2), size - 2);
    const std::string path = gDirectory + "/song." + format.extension;
    const std::string original = gDirectory + "/original." + format.extension;
    write_whole(path, content, format.type);
    write_whole(original, content, nullptr);

    status_t status;
    bool expectTitle = true;
    tag_format tagFormat = TAG_FORMAT_ID3V2;
    {
        BFile file(path.c_str(), B_READ_WRITE);
        require(file.InitCheck() == B_OK);
        bool replaced = false;
        node_ref replacement;
        if (data[0] % kFormatCount == 0) {
            id3v2_fields fields;
            read_id3v2_fields(file, &fields);
            expectTitle = has_id3v2_tag(file);
            id3v2_changes changes;
            changes.title = kTitle;
            status = write_id3v2_fields(file, changes, &replaced, &replacement);
            if (status == B_OK && rate) {
                // The ratings go into the file the texts left under the name.
                BFile now(path.c_str(), B_READ_WRITE);
                format_changes rating;
                rating.rating = 6;
                status =
                    write_format_fields(now, TAG_FORMAT_ID3V2, rating, &replaced, &replacement);
            }
        } else {
            if (!get_tag_format(file, &tagFormat))
                return 0;
            format_fields fields;
            read_format_fields(file, tagFormat, &fields);
            format_changes changes;
            changes.title = kTitle;
            if (rate) {
                changes.rating = 6;
            }
            status = write_format_fields(file, tagFormat, changes, &replaced, &replacement);
        }
    }
    if (status != B_OK)
        return 0;

    const std::string saved = read_whole(path);
    BFile file(path.c_str(), B_READ_ONLY);
    require(file.InitCheck() == B_OK);
    switch (data[0] % kFormatCount) {
        case 0: {
            id3v2_fields fields;
            if (expectTitle)
                require(read_id3v2_fields(file, &fields) && fields.title == kTitle);
            // Everything after the tag is the audio (and an ID3v1 trailer), untouched.
            require(saved.substr(id3v2_end(saved)) == content.substr(id3v2_end(content)));
            break;
        }
        case 1: {
            format_fields fields;
            require(read_format_fields(file, tagFormat, &fields) && fields.title == kTitle);
            const size_t before = flac_audio_start(content), after = flac_audio_start(saved);
            if (before != std::string::npos)
                require(after != std::string::npos &&
                        saved.substr(after) == content.substr(before));
            break;
        }
        case 4: {
            format_fields fields;
            require(read_format_fields(file, tagFormat, &fields) && fields.title == kTitle);
            const int source = open(original.c_str(), O_RDONLY | O_CLOEXEC);
            const int copy = open(path.c_str(), O_RDONLY | O_CLOEXEC);
            require(source >= 0 && copy >= 0);
            format_edit written;
            written.title = kTitle;
            const status_t checked = check_mp4_copy(source, copy, written);
            close(source);
            close(copy);
            require(checked == B_OK);
            break;
        }
        default: {
            format_fields fields;
            require(read_format_fields(file, tagFormat, &fields) && fields.title == kTitle);
        }
    }
    return 0;
}
