// Whole-process benchmark: what ID3v2 costs the player's steps. brindle-player steps with
// `next` through typed MPEG files, once browsing and once editing (`set title`, then `next`),
// over two sets of files:
//   plain  - attributes and an ID3v1 tag, as Brindle leaves files (no ID3v2 tag);
//   id3v2  - an ID3v2.3 tag as taggers write it (four texts, a 30 KB cover, padding), no
//            attributes and no ID3v1 tag: every field of the form comes from ID3v2.
//
// usage: id3v2_steps [COUNT] [ROUNDS]   (defaults 1000 files, 3 rounds)
//
// Each figure is the median over ROUNDS interleaved runs of microseconds per step, with the
// player's start-up and first load (a run without steps) taken out. Edits write into the
// files, so every run gets fresh copies.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string &what) {
    std::fprintf(stderr, "id3v2_steps: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

std::string typed(const char code[4], const std::string &value) {
    return std::string{code[3], code[2], code[1], code[0]} + value;
}

std::string syncsafe(size_t size) {
    return {char((size >> 21) & 0x7f), char((size >> 14) & 0x7f), char((size >> 7) & 0x7f),
            char(size & 0x7f)};
}

std::string big_endian32(size_t size) {
    return {char(size >> 24), char(size >> 16), char(size >> 8), char(size)};
}

std::string frame(const std::string &id, const std::string &payload) {
    return id + big_endian32(payload.size()) + std::string(2, '\0') + payload;
}

// An ID3v2.3 tag with Latin-1 texts, a cover picture and 1 KB of padding.
std::string id3v2_tag(const std::string &title) {
    std::string picture = std::string("\0image/jpeg\0\x03\0", 14) + std::string(30000, '\x5a');
    std::string frames = frame("TIT2", '\0' + title) + frame("TPE1", std::string("\0Examples", 9)) +
                         frame("TALB", std::string("\0Bench", 6)) +
                         frame("TCON", std::string("\0(17)", 5)) + frame("APIC", picture);
    return std::string("ID3\x03\0\0", 6) + syncsafe(frames.size() + 1024) + frames +
           std::string(1024, '\0');
}

std::string id3v1_tag(const std::string &title) {
    std::string tag(128, '\0');
    tag.replace(0, 3, "TAG");
    tag.replace(3, title.size(), title);
    tag.replace(33, 8, "Examples");
    tag.replace(63, 5, "Bench");
    tag[127] = 17;
    return tag;
}

std::string encoded_audio(const std::string &directory) {
    std::string raw = directory + "/tone.raw", mp3 = directory + "/tone.mp3";
    std::ofstream(raw, std::ios::binary) << std::string(8000 / 5 * 2, '\0');
    std::string command =
        "lame --quiet -r -s 8 --bitwidth 16 -m m '" + raw + "' '" + mp3 + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        fail("lame failed (scripts/install-deps installs it)");
    std::ifstream in(mp3, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void set_attribute(int fd, const std::string &name, const std::string &value) {
    if (fsetxattr(fd, ("user.haiku." + name).c_str(), value.data(), value.size(), 0) != 0)
        fail("fsetxattr " + name);
}

std::vector<std::string> make_files(const std::string &directory, int count, bool id3v2,
                                    const std::string &audio) {
    std::filesystem::create_directories(directory);
    std::vector<std::string> paths;
    char name[32];
    for (int i = 0; i < count; i++) {
        std::snprintf(name, sizeof name, "/%05d.mp3", i);
        paths.push_back(directory + name);
        std::string title = "Song " + std::to_string(i);
        std::string bytes = id3v2 ? id3v2_tag(title) + audio : audio + id3v1_tag(title);
        int fd = open(paths.back().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()))
            fail("write " + paths.back());
        set_attribute(fd, "BEOS:TYPE", typed("MIMS", std::string("audio/x-mpeg", 13)));
        if (!id3v2) {
            set_attribute(fd, "Audio:Title", typed("CSTR", title + '\0'));
            set_attribute(fd, "Audio:Artist", typed("CSTR", std::string("Examples", 9)));
            set_attribute(fd, "Audio:Album", typed("CSTR", std::string("Bench", 6)));
            set_attribute(fd, "Audio:Genre", typed("CSTR", std::string("Rock", 5)));
            int32_t numbers[] = {5, 0};
            set_attribute(fd, "Audio:Rating", typed("LONG", std::string((char *)&numbers[0], 4)));
            set_attribute(fd, "Audio:VolumeAdjustment",
                          typed("LONG", std::string((char *)&numbers[1], 4)));
        }
        close(fd);
    }
    return paths;
}

double run_player(const std::string &script, const std::vector<std::string> &files) {
    std::string build = BRINDLE_BUILD_DIR;
    std::vector<std::string> args = {build + "/brindle-player",     "--headless", "--add-on",
                                     build + "/add-ons/brindle.so", "--script",   script};
    args.insert(args.end(), files.begin(), files.end());
    std::vector<char *> argv;
    for (auto &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    auto start = Clock::now();
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fail("the player did not finish cleanly");
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string write_script(const std::string &path, int steps, bool edit) {
    std::ofstream out(path);
    out << "enable\n";
    for (int i = 0; i < steps; i++)
        out << (edit ? "set title Edited " + std::to_string(i) + "\nnext\n" : "next\n");
    out << "quit\n";
    return path;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char **argv) {
    int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    if (count < 2 || rounds < 1) {
        std::fprintf(stderr, "usage: id3v2_steps [COUNT >= 2] [ROUNDS >= 1]\n");
        return 2;
    }
    char pattern[] = "/var/tmp/brindle-id3v2-steps-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        fail("mkdtemp");
    std::string directory = pattern;
    std::string audio = encoded_audio(directory);
    int steps = count - 1;
    std::string none = write_script(directory + "/none.script", 0, false);
    std::string browse = write_script(directory + "/browse.script", steps, false);
    std::string edit = write_script(directory + "/edit.script", steps, true);

    std::map<std::string, std::vector<double>> perStep;
    for (int round = 0; round < rounds; round++) {
        for (bool id3v2 : {false, true}) {
            std::string set = id3v2 ? "id3v2" : "plain";
            for (bool editing : {false, true}) {
                std::string files = directory + "/" + set;
                std::filesystem::remove_all(files);
                auto paths = make_files(files, count, id3v2, audio);
                double start = run_player(none, paths);
                double whole = run_player(editing ? edit : browse, paths);
                perStep[set + (editing ? " edit" : " browse")].push_back((whole - start) / steps *
                                                                         1e6);
            }
        }
    }
    std::printf("files: %d, rounds: %d (median us/step)\n", count, rounds);
    for (const char *scenario : {"browse", "edit"}) {
        double plain = median(perStep[std::string("plain ") + scenario]);
        double id3v2 = median(perStep[std::string("id3v2 ") + scenario]);
        std::printf("%-7s plain %8.1f   id3v2 %8.1f   ratio %.2f\n", scenario, plain, id3v2,
                    id3v2 / plain);
    }
    std::filesystem::remove_all(directory);
    return 0;
}
