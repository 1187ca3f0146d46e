// What reading and writing one file's information costs through the tag storage code (the
// storage kit, attributes in extended attributes, the ID3v1 trailer), against a floor doing
// the same host I/O with raw system calls.
//
// The tag code prints a line per attribute and per tag check; standard output goes to
// /dev/null here so the terminal does not dominate, and the report goes to the original
// standard output.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <File.h>
#include <NodeInfo.h>

#include "TestFiles.h"
#include "tags/attributes.h"
#include "tags/genres.h"
#include "tags/id3v1/id3v1.h"

namespace {

const char *const kTextAttributes[] = {AUDIO_TITLE_ATTR, AUDIO_ARTIST_ATTR, AUDIO_ALBUM_ATTR,
                                       AUDIO_GENRE_ATTR};
const char *const kNumberAttributes[] = {AUDIO_RATING_ATTR, AUDIO_VOLUME_ADJUSTMENT_ATTR};
const char *const kTextValues[] = {"Here Comes the Sun", "The Beatles", "Abbey Road", "Pop"};

// The convention's xattr names and value bytes, for the raw floor.
std::string xattr_name(const char *attribute) {
    return std::string("user.haiku.") + attribute;
}

std::string typed_bytes(type_code type, const void *data, size_t size) {
    std::string bytes;
    for (int i = 0; i < 4; i++)
        bytes += static_cast<char>((type >> (8 * i)) & 0xff);
    bytes.append(static_cast<const char *>(data), size);
    return bytes;
}

// One MPEG audio file with its six attributes and a filled tag, removed at exit.
class Fixture {
public:
    Fixture() : fDirectory("brindle-bench"), fPath(fDirectory / "song.mp3") {
        std::ofstream(fPath, std::ios::binary) << std::string(100000, '\x55');
        BFile file(fPath.c_str(), B_READ_WRITE);
        BNodeInfo(&file).SetType(MPEG_AUDIO_TYPE);
        add_id3_info(file);
        for (size_t i = 0; i < 4; i++) {
            file.WriteAttr(kTextAttributes[i], AUDIO_TEXT_TYPE, 0, kTextValues[i],
                           strlen(kTextValues[i]) + 1);
        }
        int32 numbers[] = {7, -2};
        for (size_t i = 0; i < 2; i++)
            file.WriteAttr(kNumberAttributes[i], AUDIO_NUMBER_TYPE, 0, &numbers[i], 4);
    }
    const char *Path() const { return fPath.c_str(); }

private:
    test_support::TempDir fDirectory;
    std::string fPath;
};

Fixture *gFixture;

void BM_ReadInformation(benchmark::State &state) {
    for (auto _ : state) {
        BFile file(gFixture->Path(), B_READ_ONLY);
        for (const char *name : kTextAttributes)
            benchmark::DoNotOptimize(get_string_attr(file, name).c_str());
        for (const char *name : kNumberAttributes) {
            int32 value = 0;
            benchmark::DoNotOptimize(file.ReadAttr(name, AUDIO_NUMBER_TYPE, 0, &value, 4));
        }
        if (!has_id3_info(file))
            state.SkipWithError("no tag");
        benchmark::DoNotOptimize(get_id3_string(file, ID3_TITLE_OFFSET, ID3_TEXT_LENGTH).c_str());
        benchmark::DoNotOptimize(get_id3_string(file, ID3_ARTIST_OFFSET, ID3_TEXT_LENGTH).c_str());
        benchmark::DoNotOptimize(get_id3_string(file, ID3_ALBUM_OFFSET, ID3_TEXT_LENGTH).c_str());
        benchmark::DoNotOptimize(get_id3_byte(file, ID3_GENRE_OFFSET));
    }
}
BENCHMARK(BM_ReadInformation);

void BM_WriteInformation(benchmark::State &state) {
    int32 numbers[] = {7, -2};
    for (auto _ : state) {
        BFile file(gFixture->Path(), B_READ_WRITE);
        for (size_t i = 0; i < 4; i++) {
            file.WriteAttr(kTextAttributes[i], AUDIO_TEXT_TYPE, 0, kTextValues[i],
                           strlen(kTextValues[i]) + 1);
        }
        for (size_t i = 0; i < 2; i++)
            file.WriteAttr(kNumberAttributes[i], AUDIO_NUMBER_TYPE, 0, &numbers[i], 4);
        write_id3_string(file, ID3_TITLE_OFFSET, kTextValues[0], ID3_TEXT_LENGTH);
        write_id3_string(file, ID3_ARTIST_OFFSET, kTextValues[1], ID3_TEXT_LENGTH);
        write_id3_string(file, ID3_ALBUM_OFFSET, kTextValues[2], ID3_TEXT_LENGTH);
        write_id3_byte(file, ID3_GENRE_OFFSET, get_genre_id(kTextValues[3]));
    }
}
BENCHMARK(BM_WriteInformation);

// The floor: the same host calls without the kits.
void BM_ReadInformationRaw(benchmark::State &state) {
    std::string textNames[4], numberNames[2];
    for (size_t i = 0; i < 4; i++)
        textNames[i] = xattr_name(kTextAttributes[i]);
    for (size_t i = 0; i < 2; i++)
        numberNames[i] = xattr_name(kNumberAttributes[i]);
    const std::string typeName = xattr_name("BEOS:TYPE");
    for (auto _ : state) {
        int fd = open(gFixture->Path(), O_RDONLY | O_CLOEXEC);
        char value[4 + 256];
        for (const std::string &name : textNames)
            benchmark::DoNotOptimize(fgetxattr(fd, name.c_str(), value, sizeof(value)));
        for (const std::string &name : numberNames)
            benchmark::DoNotOptimize(fgetxattr(fd, name.c_str(), value, 8));
        char type[4 + B_MIME_TYPE_LENGTH];
        benchmark::DoNotOptimize(fgetxattr(fd, typeName.c_str(), type, sizeof(type)));
        struct stat st;
        fstat(fd, &st);
        char field[31];
        benchmark::DoNotOptimize(pread(fd, field, 3, st.st_size - 128));
        benchmark::DoNotOptimize(pread(fd, field, 30, st.st_size - 125));
        benchmark::DoNotOptimize(pread(fd, field, 30, st.st_size - 95));
        benchmark::DoNotOptimize(pread(fd, field, 30, st.st_size - 65));
        benchmark::DoNotOptimize(pread(fd, field, 1, st.st_size - 1));
        close(fd);
    }
}
BENCHMARK(BM_ReadInformationRaw);

void BM_WriteInformationRaw(benchmark::State &state) {
    std::string names[6], values[6];
    int32 numbers[] = {7, -2};
    for (size_t i = 0; i < 4; i++) {
        names[i] = xattr_name(kTextAttributes[i]);
        values[i] = typed_bytes(AUDIO_TEXT_TYPE, kTextValues[i], strlen(kTextValues[i]) + 1);
    }
    for (size_t i = 0; i < 2; i++) {
        names[4 + i] = xattr_name(kNumberAttributes[i]);
        values[4 + i] = typed_bytes(AUDIO_NUMBER_TYPE, &numbers[i], 4);
    }
    char areas[3][30] = {};
    for (size_t i = 0; i < 3; i++)
        strncpy(areas[i], kTextValues[i], 30);
    const char genre = 13;
    for (auto _ : state) {
        int fd = open(gFixture->Path(), O_RDWR | O_CLOEXEC);
        for (size_t i = 0; i < 6; i++)
            fsetxattr(fd, names[i].c_str(), values[i].data(), values[i].size(), 0);
        off_t end = lseek(fd, 0, SEEK_END);
        benchmark::DoNotOptimize(pwrite(fd, areas[0], 30, end - 125));
        benchmark::DoNotOptimize(pwrite(fd, areas[1], 30, end - 95));
        benchmark::DoNotOptimize(pwrite(fd, areas[2], 30, end - 65));
        benchmark::DoNotOptimize(pwrite(fd, &genre, 1, end - 1));
        close(fd);
    }
}
BENCHMARK(BM_WriteInformationRaw);

}  // namespace

int main(int argc, char **argv) {
    // The report keeps the original standard output; the tag code's lines go nowhere.
    fflush(stdout);
    int reportFd = dup(STDOUT_FILENO);
    std::ofstream report("/proc/self/fd/" + std::to_string(reportFd), std::ios::app);
    if (freopen("/dev/null", "w", stdout) == nullptr)
        return 1;

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Fixture fixture;
    gFixture = &fixture;
    benchmark::ConsoleReporter reporter(isatty(reportFd) ? benchmark::ConsoleReporter::OO_Defaults
                                                         : benchmark::ConsoleReporter::OO_Tabular);
    reporter.SetOutputStream(&report);
    reporter.SetErrorStream(&report);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    gFixture = nullptr;
    return 0;
}
