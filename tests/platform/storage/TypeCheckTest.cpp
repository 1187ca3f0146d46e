// The content type check against libmagic's own answers: the MPEG probe must take only what
// libmagic calls "audio/mpeg", and every answer must be libmagic's (MPEG audio named
// "audio/x-mpeg").
#include "StorageTestSupport.h"

#include <AudioFormatProbe.h>
#include <Errors.h>
#include <MimeSniffer.h>
#include <MpegAudioProbe.h>
#include <StorageDefs.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <magic.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "TypeCorpus.h"

using namespace storage_test;

namespace {

class TypeCheck : public ::testing::Test {
protected:
    void SetUp() override {
        fMagic = magic_open(MAGIC_MIME_TYPE);
        ASSERT_NE(fMagic, nullptr);
        ASSERT_EQ(magic_load(fMagic, nullptr), 0) << magic_error(fMagic);
    }
    void TearDown() override {
        if (fMagic != nullptr)
            magic_close(fMagic);
    }

    // libmagic's answer for the whole content of the file, in this platform's words.
    std::string Libmagic(const std::string &path) {
        const std::string content = read_file(path);
        const char *answer = magic_buffer(fMagic, content.data(), content.size());
        std::string type = answer != nullptr ? answer : "error";
        return type == "audio/mpeg" ? "audio/x-mpeg" : type;
    }

    magic_t fMagic = nullptr;
    TempDir fDir;
};

TEST_F(TypeCheck, AnswersAsLibmagicDoesOnTheCorpusAndProbesOnlyWhatItKnows) {
    if (!have_lame())
        GTEST_SKIP() << "lame is not installed";
    std::vector<std::string> missing;
    const auto corpus = test_support::make_type_corpus(fDir.Path(), &missing);
    ASSERT_TRUE(missing.empty()) << missing.front();

    for (const auto &file : corpus) {
        SCOPED_TRACE(file.name);
        const bool isMp3 = file.name.compare(0, 4, "mp3 ") == 0;
        const std::string expected = Libmagic(file.path);
        EXPECT_EQ(expected == "audio/x-mpeg", isMp3);  // the corpus means what it says

        int fd = open(file.path.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        unsigned char head[BPrivate::MimeSniffer::kSniffLength];
        ssize_t length = pread(fd, head, sizeof(head), 0);
        ASSERT_GE(length, 0);
        EXPECT_EQ(BPrivate::probe_mpeg_audio(fd, head, static_cast<size_t>(length)), isMp3);
        // The quick path names exactly the encoders' tagged formats, in libmagic's words.
        const char *probed = BPrivate::probe_audio_format(head, static_cast<size_t>(length));
        const bool tagged = file.name == "flac" || file.name == "ogg vorbis by oggenc" ||
                            file.name == "ogg vorbis" || file.name == "opus" || file.name == "m4a";
        EXPECT_EQ(probed != nullptr, tagged);
        if (probed != nullptr) {
            EXPECT_EQ(probed, expected);
        }
        char type[B_MIME_TYPE_LENGTH];
        ASSERT_EQ(BPrivate::MimeSniffer::Guess(fd, type), B_OK);
        EXPECT_EQ(type, expected);
        close(fd);
    }
}

// Every frame header the probe takes, at the start of a file and after an ID3v2 tag, is one
// libmagic calls MPEG audio.
TEST_F(TypeCheck, EveryHeaderTheProbeTakesIsMpegToLibmagic) {
    int taken = 0;
    for (unsigned second = 0xe0; second <= 0xff; ++second) {
        for (unsigned third = 0; third <= 0xff; ++third) {
            std::string content(1024, '\0');
            content[0] = '\xff';
            content[1] = static_cast<char>(second);
            content[2] = static_cast<char>(third);
            content[3] = '\xc4';
            const auto *bytes = reinterpret_cast<const unsigned char *>(content.data());
            if (!BPrivate::is_mpeg_audio_frame_header(bytes))
                continue;
            ++taken;
            SCOPED_TRACE(std::to_string(second) + " " + std::to_string(third));
            EXPECT_STREQ(magic_buffer(fMagic, content.data(), content.size()), "audio/mpeg");
            const std::string tagged =
                std::string("ID3\x03\0\0\0\0\0\x0a", 10) + std::string(10, 'x') + content;
            EXPECT_STREQ(magic_buffer(fMagic, tagged.data(), tagged.size()), "audio/mpeg");
        }
    }
    // Versions, protection bit, bitrates, sample rates, padding and private bits.
    EXPECT_EQ(taken, 3 * 2 * 14 * 3 * 4);
}

}  // namespace
