// The add-on's tag and attribute readers (ID3v1, ID3v2, Vorbis comments, attributes) on a
// real file written from the input: its content, its file type record and the raw extended
// attributes of its texts. Whatever the bytes, the readers give bounded, NUL-free texts and
// never touch the file.
//
// Input: one byte choosing the type record, then for each text attribute a length byte and
// that many raw bytes (type code included, so short and foreign values come up too), then
// the file's content.
#include <File.h>
#include <Node.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzScratch.h"
#include "tags/id3v2/id3v2.h"
#include "tags/ogg/vorbis_comment.h"
#include "tags/attributes.h"
#include "tags/genres.h"
#include "tags/id3v1/id3v1.h"

namespace {

std::string gFile;

const char *const kTextXattrs[] = {"user.haiku.Audio:Title", "user.haiku.Audio:Artist",
                                   "user.haiku.Audio:Album", "user.haiku.Audio:Genre"};
const char *const kTextAttrs[] = {AUDIO_TITLE_ATTR, AUDIO_ARTIST_ATTR, AUDIO_ALBUM_ATTR,
                                  AUDIO_GENRE_ATTR};

// The type record the first byte chooses: MPEG audio typed, mistyped, or none (sniffed).
void set_type(int fd, uint8_t choice) {
    static const std::string kTypes[] = {
        std::string("SMIMaudio/x-mpeg\0", 17), std::string("SMIMaudio/x-mpeg \0", 18),
        std::string("SMIM\0", 5), std::string("RTSCaudio/x-mpeg\0", 17)};
    fremovexattr(fd, "user.haiku.BEOS:TYPE");
    if (choice % 5 < 4) {
        const std::string &value = kTypes[choice % 5];
        fsetxattr(fd, "user.haiku.BEOS:TYPE", value.data(), value.size(), 0);
    }
}

void check_text(const vesk::str_t &text, size_t limit) {
    const size_t length = static_cast<size_t>(text.length());
    if (length > limit || std::strlen(text.c_str()) != length)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    gFile = fuzz_scratch_path(".mp3");
    if (gFile.empty())
        return 1;
    std::atexit([] { unlink(gFile.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    int fd = open(gFile.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        std::abort();
    set_type(fd, data[0]);
    size_t at = 1;
    for (const char *name : kTextXattrs) {
        fremovexattr(fd, name);
        if (at >= size)
            continue;
        const size_t wanted = data[at++];
        const size_t length = std::min(wanted, size - at);
        fsetxattr(fd, name, data + at, length, 0);
        at += length;
    }
    const std::string content(reinterpret_cast<const char *>(data + at), size - at);
    if (write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()))
        std::abort();
    close(fd);

    {
        BFile file(gFile.c_str(), B_READ_ONLY);
        if (file.InitCheck() != B_OK)
            std::abort();
        for (const char *name : kTextAttrs)
            check_text(get_string_attr(file, name), AUDIO_TEXT_ATTR_SIZE);
        if (has_id3_info(file)) {
            // A Latin-1 tag becomes UTF-8: at most two bytes a character.
            for (int64 offset : {ID3_TITLE_OFFSET, ID3_ARTIST_OFFSET, ID3_ALBUM_OFFSET})
                check_text(get_id3_string(file, offset, ID3_TEXT_LENGTH), 2 * ID3_TEXT_LENGTH);
            get_id3_byte(file, ID3_GENRE_OFFSET);
        }
        // The ID3v2 tag at the front, through TagLib: whole texts, no bound but the file's.
        id3v2_fields fields;
        if (read_id3v2_fields(file, &fields)) {
            for (const vesk::str_t *text : {&fields.title, &fields.artist, &fields.album})
                check_text(*text, 4 * content.size());
            if (fields.genre > UNKNOWN_GENRE_VALUE)
                std::abort();
        }
        // The Vorbis comment, as each format that keeps one: texts cut at 4 KB.
        for (tag_format format : {TAG_FORMAT_FLAC, TAG_FORMAT_VORBIS, TAG_FORMAT_OPUS}) {
            format_texts texts;
            if (read_vorbis_comment(file, format, &texts)) {
                for (const std::string *text : {&texts.title, &texts.artist, &texts.album}) {
                    if (text->size() > 4096 + 16)
                        std::abort();
                }
            }
        }
    }
    // Reading changed nothing.
    struct stat st;
    if (stat(gFile.c_str(), &st) != 0 || st.st_size != static_cast<off_t>(content.size()))
        std::abort();
    return 0;
}
