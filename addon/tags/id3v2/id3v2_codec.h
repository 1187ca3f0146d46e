// The boundary between the add-on and its TagLib module (brindle-id3v2.so).
//
// TagLib is loaded only when a file first turns out to have an ID3v2 tag, so a player that
// never meets one never maps it. The module only turns bytes into texts and texts into bytes;
// every file access stays with the add-on (tags/id3v2/id3v2.cpp). Both sides are built together
// with one compiler and library, so the table may pass standard strings.
#ifndef BRINDLE_TAGS_ID3V2_CODEC_H
#define BRINDLE_TAGS_ID3V2_CODEC_H

#include <cstddef>
#include <string>
#include <vector>

// Raised whenever the table below changes; a module with another number is not used.
constexpr unsigned ID3V2_CODEC_ABI = 2;

// The module's file name; it lives beside the platform library.
constexpr char ID3V2_CODEC_MODULE[] = "brindle-id3v2.so";
constexpr char ID3V2_CODEC_ENTRY[] = "brindle_id3v2_codec";

// Frame ids of the four texts, in this order everywhere.
enum id3v2_text_index { ID3V2_TITLE, ID3V2_ARTIST, ID3V2_ALBUM, ID3V2_GENRE, ID3V2_TEXT_COUNT };

// The texts TagLib read from a tag, as UTF-8.
struct id3v2_texts {
    std::string title;
    std::string artist;
    std::string album;
    // TCON's values as TagLib gives them: a genre number as digits ("17", also for "(17)"),
    // or a name ("Rock").
    std::vector<std::string> genres;
};

struct id3v2_codec {
    unsigned abi;  // ID3V2_CODEC_ABI
    // Decodes the texts of a complete tag (header included). false when TagLib finds no tag.
    bool (*read_texts)(const char *tag, size_t length, id3v2_texts *texts);
    // One text frame `id` (4 characters) holding `text` (UTF-8), header included, as a tag of
    // version 2.`major` (3 or 4) stores it: ISO-8859-1 when every character has a Latin-1
    // form, else UTF-16 (2.3) or UTF-8 (2.4).
    bool (*render_text_frame)(const char *id, const char *text, int major, std::string *frame);
    // TagLib's ID3v1 number for a genre name (it knows spellings other than ours), or 255.
    int (*genre_number)(const char *name);
};

extern "C" {
// The module's one entry point.
typedef const id3v2_codec *(*id3v2_codec_entry)();
}

#endif  // BRINDLE_TAGS_ID3V2_CODEC_H
