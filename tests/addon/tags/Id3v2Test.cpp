// The ID3v2 tag on real MP3 files from lame, tagged and read back by mutagen (TagLib is our own
// writer now, so it no longer checks us).
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <map>
#include <random>
#include <string>

#include <File.h>

#include "Id3v2Files.h"
#include "TagsTestSupport.h"
#include "tags/id3v2/id3v2.h"
#include "tags/id3v2/id3v2_codec.h"
#include "tags/genres.h"

using namespace tags_test;
using test_support::id3v2_tag;
using test_support::id3v2_text_frame;
using test_support::mutagen_read;
using test_support::mutagen_tag;

namespace {

using TagKeys = std::map<std::string, std::string>;

class Id3v2 : public testing::Test {
protected:
    void SetUp() override {
        fPath = fDir / "song.mp3";
        make_mp3(fPath);
        fAudio = read_file(fPath);
    }

    // The file as lame made it, behind `tag`.
    void Prepend(const std::string &tag) { write_file(fPath, tag + fAudio); }

    id3v2_fields Read() {
        BFile file(fPath.c_str(), B_READ_ONLY);
        id3v2_fields fields;
        EXPECT_TRUE(read_id3v2_fields(file, &fields));
        return fields;
    }

    status_t Write(const id3v2_changes &changes, bool *replaced = nullptr) {
        BFile file(fPath.c_str(), B_READ_WRITE);
        bool wasReplaced;
        node_ref replacement;
        status_t status = write_id3v2_fields(file, changes, &wasReplaced, &replacement);
        if (replaced != nullptr)
            *replaced = wasReplaced;
        return status;
    }

    ino_t Inode() {
        struct stat st = {};
        stat(fPath.c_str(), &st);
        return st.st_ino;
    }

    TempDir fDir;
    std::string fPath;
    std::string fAudio;
};

TEST_F(Id3v2, ReadsTheFieldsOfEachVersionAndEncoding) {
    struct Case {
        TagKeys keys;
        const char *title;
    } cases[] = {
        {{{"version", "3"}, {"encoding", "0"}, {"title", "Blue in Green"}}, "Blue in Green"},
        {{{"version", "3"}, {"encoding", "1"}, {"title", "夜の歌 — Café"}}, "夜の歌 — Café"},
        {{{"version", "4"}, {"encoding", "3"}, {"title", "Jóga"}}, "Jóga"},
    };
    for (const Case &c : cases) {
        TagKeys keys = c.keys;
        keys.insert({{"artist", "Björk"}, {"album", "Homogenic"}, {"picture", "1"}});
        mutagen_tag(fPath, keys);
        id3v2_fields fields = Read();
        EXPECT_STREQ(c.title, fields.title.c_str()) << keys["version"];
        EXPECT_STREQ("Björk", fields.artist.c_str());
        EXPECT_STREQ("Homogenic", fields.album.c_str());
    }
    // 2.2, which no tagger writes any more: three-letter frames.
    Prepend(id3v2_tag(2, id3v2_text_frame(2, "TT2", "So What") +
                             id3v2_text_frame(2, "TP1", "Miles Davis") +
                             id3v2_text_frame(2, "TCO", "(8)")));
    id3v2_fields fields = Read();
    EXPECT_STREQ("So What", fields.title.c_str());
    EXPECT_STREQ("Miles Davis", fields.artist.c_str());
    EXPECT_EQ(8, fields.genre);  // Jazz
}

// Reading skips what it does not need, so frames behind a large picture take a second read.
TEST_F(Id3v2, FramesBehindALargePictureAreRead) {
    std::string picture = std::string("\0image/png\0\x03\0", 13) + std::string(20000, 'P');
    std::string apic = "APIC" + std::string{0, 0, char(picture.size() >> 8), char(picture.size())} +
                       std::string(2, '\0') + picture;
    Prepend(id3v2_tag(3, apic + id3v2_text_frame(3, "TIT2", "Behind"), 500));
    EXPECT_STREQ("Behind", Read().title.c_str());
    EXPECT_EQ("Behind", mutagen_read(fPath)["TIT2"]);
}

TEST_F(Id3v2, GenreByNumberReferenceNameOrAnotherSpelling) {
    const std::map<std::string, uint8> cases = {
        {"(17)", 17},
        {"17", 17},
        {"Rock", 17},
        {"Alternative Rock", get_genre_id("Alt. Rock")},  // TagLib's name for genre 40
        {"Shoegaze", UNKNOWN_GENRE_VALUE},
        {"(200)", UNKNOWN_GENRE_VALUE},
    };
    for (const auto &[tcon, genre] : cases) {
        mutagen_tag(fPath, {{"version", "3"}, {"genre", tcon}});
        EXPECT_EQ(genre, Read().genre) << tcon;
    }
}

// Runs in a process of its own (gtest's "threadsafe" death tests start one afresh), where
// nothing has loaded TagLib's module yet.
TEST_F(Id3v2, TagLibIsLoadedOnlyForATagWithFramesToDecode) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string plain = fDir / "plain.mp3", picture = fDir / "picture.mp3";
    write_file(plain, fAudio);
    write_file(picture, fAudio);
    mutagen_tag(picture, {{"picture", "1"}});
    mutagen_tag(fPath, {{"title", "Title"}});
    auto loaded = [] {
        return read_file("/proc/self/maps").find(ID3V2_CODEC_MODULE) != std::string::npos;
    };
    auto check = [&]() {
        BFile plainFile(plain.c_str(), B_READ_ONLY);
        BFile pictureFile(picture.c_str(), B_READ_ONLY);
        BFile titled(fPath.c_str(), B_READ_ONLY);
        id3v2_fields fields;
        if (loaded() || has_id3v2_tag(plainFile) || read_id3v2_fields(plainFile, &fields))
            return 1;
        if (!read_id3v2_fields(pictureFile, &fields) || loaded())
            return 2;
        return read_id3v2_fields(titled, &fields) && loaded() && fields.title == "Title" ? 0 : 3;
    };
    EXPECT_EXIT(exit(check()), testing::ExitedWithCode(0), "");
}

TEST_F(Id3v2, WritesChangedFieldsInPlaceKeepingEveryOtherFrame) {
    mutagen_tag(fPath, {{"version", "3"},
                        {"encoding", "0"},
                        {"title", "Old"},
                        {"artist", "Artist"},
                        {"picture", "1"},
                        {"lyrics", "la la"},
                        {"replaygain", "-6.5 dB"}});
    TagKeys before = mutagen_read(fPath);
    off_t size = test_support::file_size(fPath);
    ino_t inode = Inode();

    // A frame of the same size (mutagen ends "Artist" with a NUL) and new frames at the end:
    // nothing else moves.
    id3v2_changes changes;
    changes.artist = "Artiste";
    changes.album = "Ålbum";
    changes.genre = 8;  // Jazz
    bool replaced = true;
    ASSERT_EQ(B_OK, Write(changes, &replaced));

    EXPECT_FALSE(replaced);
    EXPECT_EQ(inode, Inode());
    EXPECT_EQ(size, test_support::file_size(fPath));
    TagKeys after = mutagen_read(fPath);
    EXPECT_EQ("2.3.0", after["version"]);
    EXPECT_EQ("Artiste", after["TPE1"]);
    EXPECT_EQ("Ålbum", after["TALB"]);
    EXPECT_EQ("(8)", after["TCON"]);
    EXPECT_EQ("Jazz", after["genres"]);
    for (const char *kept : {"TIT2", "APIC", "USLT", "TXXX:REPLAYGAIN_TRACK_GAIN"})
        EXPECT_EQ(before[kept], after[kept]) << kept;
    EXPECT_EQ(fAudio, read_file(fPath).substr(size - fAudio.size()));
}

TEST_F(Id3v2, TextBeyondLatin1TakesTheVersionsOwnEncoding) {
    // 2.3 knows UTF-16 only; 2.4 gets UTF-8.
    for (const auto &[version, encoding] :
         std::map<std::string, std::string>{{"3", "1"}, {"4", "3"}}) {
        mutagen_tag(fPath, {{"version", version}, {"encoding", "0"}, {"artist", "Old"}});
        id3v2_changes changes;
        changes.artist = "日本のアーティスト";
        ASSERT_EQ(B_OK, Write(changes));
        TagKeys after = mutagen_read(fPath);
        EXPECT_EQ("2." + version + ".0", after["version"]);
        EXPECT_EQ("日本のアーティスト", after["TPE1"]);
        EXPECT_EQ(encoding, after["TPE1.encoding"]);
        EXPECT_STREQ("日本のアーティスト", Read().artist.c_str());
    }
}

TEST_F(Id3v2, EmptyTextRemovesItsFrameAndUnknownGenreLeavesTheGenre) {
    mutagen_tag(fPath, {{"version", "4"}, {"title", "Title"}, {"genre", "Shoegaze"}});
    id3v2_changes changes;
    changes.title = "";
    changes.genre = UNKNOWN_GENRE_VALUE;
    ASSERT_EQ(B_OK, Write(changes));
    TagKeys after = mutagen_read(fPath);
    EXPECT_EQ(0u, after.count("TIT2"));
    EXPECT_EQ("Shoegaze", after["TCON"]);
}

// Unsynchronisation, as old writers applied it to a whole 2.3 tag: after each 0xFF that comes
// before 0x00 or a byte from 0xE0 up, a 0x00 was put in.
TEST_F(Id3v2, UnsynchronisedV23TagIsReadAndWrittenPlain) {
    std::string frame = id3v2_text_frame(3, "TIT2", "A\xff\xe9");  // "Aÿé" in ISO-8859-1
    std::string stuffed = frame.substr(0, frame.size() - 1) + std::string("\0\xe9", 2);
    std::string tag = id3v2_tag(3, stuffed, 100);
    tag[5] = '\x80';  // the header's unsynchronisation flag
    Prepend(tag);
    EXPECT_STREQ("Aÿé", Read().title.c_str());

    id3v2_changes changes;
    changes.artist = "Artist";
    ASSERT_EQ(B_OK, Write(changes));
    EXPECT_EQ(0, read_file(fPath)[5]);
    auto after = mutagen_read(fPath);
    EXPECT_EQ("Aÿé", after["TIT2"]);
    EXPECT_EQ("Artist", after["TPE1"]);
}

// Damaged tags (bytes of a real one changed at random): reading never fails hard, and a
// write either succeeds or leaves every byte as it was.
TEST_F(Id3v2, DamagedTagsAreReadSafelyAndNeverWrittenHalfway) {
    mutagen_tag(fPath, {{"version", "4"},
                        {"title", "Title"},
                        {"artist", "Artist"},
                        {"genre", "Rock"},
                        {"picture", "1"},
                        {"padding", "0"}});
    const std::string tagged = read_file(fPath);
    const size_t tagSize = tagged.size() - fAudio.size();
    std::mt19937 random(7);
    for (int round = 0; round < 300; round++) {
        std::string damaged = tagged;
        for (int i = 0; i < 1 + round % 4; i++)
            damaged[3 + random() % (tagSize - 3)] = static_cast<char>(random());
        write_file(fPath, damaged);
        BFile file(fPath.c_str(), B_READ_WRITE);
        id3v2_fields fields;
        read_id3v2_fields(file, &fields);
        id3v2_changes changes;
        changes.title = "A longer title than the tag had room for";
        bool replaced;
        node_ref replacement;
        if (write_id3v2_fields(file, changes, &replaced, &replacement) != B_OK) {
            ASSERT_EQ(damaged, read_file(fPath)) << "round " << round;
        }
    }
}

TEST_F(Id3v2, FileWithoutTagGetsNone) {
    write_file(fPath, fAudio + id3v1_tag("Title", "", "", 17));
    id3v2_changes changes;
    changes.title = "New";
    BFile file(fPath.c_str(), B_READ_ONLY);
    id3v2_fields fields;
    EXPECT_FALSE(has_id3v2_tag(file));
    EXPECT_FALSE(read_id3v2_fields(file, &fields));
    EXPECT_EQ(B_ENTRY_NOT_FOUND, Write(changes));
    EXPECT_EQ("none", mutagen_read(fPath)["tag"]);
}

}  // namespace
