// Whole-process benchmark: brindle-player steps with `next` through a playlist of small
// MPEG files that carry attributes and ID3v1 tags, with the Brindle window following it
// (each step loads the next file; nothing is edited, so nothing is saved). Beside it, the
// floor: the same per-file I/O done here with raw system calls.
//
// usage: player_steps [COUNT]   (default 10000)
//
// Reports steps per second, microseconds per step and peak resident memory for both.
// The player's start-up and first load are measured by a second run with no steps and
// taken out of the per-step figures.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const char *const kTextNames[] = {"user.haiku.Audio:Title", "user.haiku.Audio:Artist",
                                  "user.haiku.Audio:Album", "user.haiku.Audio:Genre"};
const char *const kNumberNames[] = {"user.haiku.Audio:Rating", "user.haiku.Audio:VolumeAdjustment"};

[[noreturn]] void fail(const std::string &what) {
    std::fprintf(stderr, "player_steps: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

// A type code and value as the attribute store keeps them: little-endian code, then bytes.
std::string typed(const char code[4], const std::string &value) {
    return std::string{code[3], code[2], code[1], code[0]} + value;
}

std::string text_value(const std::string &text) {
    return typed("CSTR", text + '\0');
}

std::string number_value(int32_t number) {
    return typed("LONG", std::string(reinterpret_cast<const char *>(&number), 4));
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

// A short MPEG stream encoded by lame from a generated WAV of silence.
std::string encoded_audio(const std::string &directory) {
    std::string wav = directory + "/tone.wav", mp3 = directory + "/tone.mp3";
    const uint32_t rate = 8000, samples = rate / 5;
    std::string data(samples * 2, '\0');
    std::ofstream out(wav, std::ios::binary);
    auto le32 = [&](uint32_t v) { out.write(reinterpret_cast<const char *>(&v), 4); };
    auto le16 = [&](uint16_t v) { out.write(reinterpret_cast<const char *>(&v), 2); };
    out << "RIFF";
    le32(36 + data.size());
    out << "WAVEfmt ";
    le32(16), le16(1), le16(1), le32(rate), le32(rate * 2), le16(2), le16(16);
    out << "data";
    le32(data.size());
    out << data;
    out.close();
    std::string command = "lame --quiet '" + wav + "' '" + mp3 + "'";
    if (std::system(command.c_str()) != 0)
        fail("lame failed (scripts/install-deps installs it)");
    std::ifstream in(mp3, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void set_attribute(int fd, const char *name, const std::string &value) {
    if (fsetxattr(fd, name, value.data(), value.size(), 0) != 0)
        fail(std::string("fsetxattr ") + name);
}

std::vector<std::string> make_files(const std::string &directory, int count) {
    std::string audio = encoded_audio(directory);
    std::vector<std::string> paths;
    char name[64];
    for (int i = 0; i < count; i++) {
        std::snprintf(name, sizeof name, "/%05d.mp3", i);
        paths.push_back(directory + name);
        int fd = open(paths.back().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            fail("create " + paths.back());
        std::string bytes = audio + id3v1_tag("Song " + std::to_string(i));
        if (write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            fail("write");
        set_attribute(fd, kTextNames[0], text_value("Song " + std::to_string(i)));
        set_attribute(fd, kTextNames[1], text_value("Examples"));
        set_attribute(fd, kTextNames[2], text_value("Bench"));
        set_attribute(fd, kTextNames[3], text_value("Rock"));
        set_attribute(fd, kNumberNames[0], number_value(5));
        set_attribute(fd, kNumberNames[1], number_value(0));
        close(fd);
    }
    return paths;
}

struct Run {
    double seconds;
    long peakKiB;
};

Run run_player(const std::string &build, const std::string &script,
               const std::vector<std::string> &files) {
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
    struct rusage usage = {};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fail("the player did not finish cleanly");
    return {std::chrono::duration<double>(Clock::now() - start).count(), usage.ru_maxrss};
}

std::string write_script(const std::string &path, int steps) {
    std::ofstream out(path);
    out << "enable\n";
    for (int i = 0; i < steps; i++)
        out << "next\n";
    out << "quit\n";
    return path;
}

// One step's I/O without the player: load the next file (six attributes, the tag). The
// file shown before is not written: nothing in it was edited.
void floor_step(const std::string &next) {
    int fd = open(next.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        fail("open " + next);
    char buffer[260];
    for (const char *name : kTextNames)
        fgetxattr(fd, name, buffer, sizeof buffer);
    for (const char *name : kNumberNames)
        fgetxattr(fd, name, buffer, sizeof buffer);
    struct stat st;
    fstat(fd, &st);
    char tag[128];
    pread(fd, tag, sizeof tag, st.st_size - 128);
    close(fd);
}

}  // namespace

int main(int argc, char **argv) {
    int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    if (count < 2) {
        std::fprintf(stderr, "usage: player_steps [COUNT >= 2]\n");
        return 2;
    }
    char pattern[] = "/var/tmp/brindle-steps-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        fail("mkdtemp");
    std::string directory = pattern;
    std::vector<std::string> files = make_files(directory, count);
    int steps = count - 1;

    Run startup = run_player(BRINDLE_BUILD_DIR, write_script(directory + "/none.script", 0), files);
    Run stepping =
        run_player(BRINDLE_BUILD_DIR, write_script(directory + "/steps.script", steps), files);
    double playerStep = (stepping.seconds - startup.seconds) / steps;

    auto start = Clock::now();
    for (int i = 1; i < count; i++)
        floor_step(files[i]);
    double floorStep = std::chrono::duration<double>(Clock::now() - start).count() / steps;
    struct rusage self = {};
    getrusage(RUSAGE_SELF, &self);

    std::printf("files: %d, steps: %d\n", count, steps);
    std::printf("player: %.0f steps/s, %.1f us/step, peak RSS %ld KiB (start-up %.3f s)\n",
                1 / playerStep, playerStep * 1e6, stepping.peakKiB, startup.seconds);
    std::printf("floor:  %.0f steps/s, %.1f us/step, peak RSS %ld KiB\n", 1 / floorStep,
                floorStep * 1e6, self.ru_maxrss);
    std::printf("ratio:  %.2f\n", playerStep / floorStep);
    std::filesystem::remove_all(directory);
    return 0;
}
