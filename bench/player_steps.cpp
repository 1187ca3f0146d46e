// Whole-process benchmark of brindle-player with the Brindle window following playlist 0,
// against floor programs (step_floor, beside this one) that make the same system calls
// with nothing else around them. Prints one table, each figure beside its goal.
//
// usage: player_steps [--files N] [--steps S] [--rounds R] [--sizes N,N,...] [--only WHAT,...]
//   --files   files per scenario (default 2000)
//   --steps   steps per run, at least (default 4000): forward through the files and back,
//             so that a run lasts long enough for a passing load on the machine to matter
//             little
//   --rounds  interleaved rounds; every figure is the median over them (default 5)
//   --sizes   playlist sizes for the per-step and memory figures (default 10,100,1000,10000)
//   --only    browse, untyped, edit, id3v2-browse, id3v2-edit, formats, mixed, sizes, startup
//             (default: all)
//   --cpu N   the CPU every measured process runs on (default: the last one this may use);
//             --cpu -1 lets the scheduler place them
//
// Scenarios, each on a fresh set of small lame-made MP3s with attributes and an ID3v1 tag:
//   browse   `next` through files whose type is recorded (BEOS:TYPE "audio/x-mpeg");
//   untyped  the same through files with no recorded type (the type is sniffed);
//   edit     `set title ...` then `next`, on typed files.
// and two more beside browse and edit, on typed files whose information lives only in an
// ID3v2.3 tag as taggers write it (four texts, a 30 KB cover, padding; no attributes, no
// ID3v1 tag), so every field of the form comes from ID3v2, and an edit writes it there:
//   id3v2-browse, id3v2-edit   (no floor of their own: the figure is set beside browse/edit)
// and, on files of the other formats made by ffmpeg and tagged by mutagen (tests/common/
// tag_tool.py) with the four texts and a 200 KB cover, no attributes, their type recorded:
//   formats  FLAC-, Ogg Vorbis-, Opus- and M4A-browse set beside id3v2-browse; FLAC-edit
//            (the comment block fits its padding) beside id3v2-edit; Ogg Vorbis- and
//            M4A-edit on 5 MB files, where the copy beside the file is the cost (fewer files
//            and steps), for reference
//   mixed    peak RSS browsing 10,000 files of all five formats (small covers)
// A step's cost is (time of a run with S steps - time of a run with none) / S, for the
// player and for its floor alike; the four runs of a round are interleaved so a load on
// the machine falls on both. Context switches per step come from the same two runs'
// resource usage, peak RSS from the stepping run's.
//
// Each measured process is held to one CPU. The player's threads, and the floor's, take
// turns (one waits while the other works), so on one CPU a hand-off is a switch there; let
// loose, it is a wake-up of another CPU, whose cost on a virtual machine swings tenfold from
// one run to the next with what else the host runs.
#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "BenchTable.h"
#include "ChildProcess.h"
#include "TestFiles.h"

namespace {

using bench::format;
using bench::print_table;
using bench::Row;

using Clock = std::chrono::steady_clock;

const std::string kBuild = BRINDLE_BUILD_DIR;
int sCpu = -1;  // the CPU measured processes run on; -1: any

[[noreturn]] void fail(const std::string &what) {
    fprintf(stderr, "player_steps: %s: %s\n", what.c_str(), strerror(errno));
    exit(1);
}

// --- files ---

// An attribute value as the store keeps it: the type code little-endian, then the bytes.
std::string typed(const char code[4], const std::string &bytes) {
    return std::string{code[3], code[2], code[1], code[0]} + bytes;
}

std::string text_value(const std::string &text) {
    return typed("CSTR", text + '\0');
}

std::string number_value(int32_t number) {
    return typed("LONG", std::string(reinterpret_cast<const char *>(&number), 4));
}

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fifth of a second of silence encoded by lame, with lame's own ID3v1 tag.
std::string encoded_mp3(const std::string &directory) {
    const std::string wav = directory + "/silence.wav", mp3 = directory + "/silence.mp3";
    const uint32_t rate = 8000, samples = rate / 5;
    std::ofstream out(wav, std::ios::binary);
    auto le32 = [&](uint32_t v) { out.write(reinterpret_cast<const char *>(&v), 4); };
    auto le16 = [&](uint16_t v) { out.write(reinterpret_cast<const char *>(&v), 2); };
    out << "RIFF";
    le32(36 + samples * 2);
    out << "WAVEfmt ";
    le32(16), le16(1), le16(1), le32(rate), le32(rate * 2), le16(2), le16(16);
    out << "data";
    le32(samples * 2);
    out << std::string(samples * 2, '\0');
    out.close();
    const std::string command =
        "lame --quiet --id3v1-only --tt Song --ta Examples --tl Bench "
        "--tg Rock '" +
        wav + "' '" + mp3 + "'";
    if (system(command.c_str()) != 0)
        fail("lame failed (scripts/install-deps installs it)");
    return read_file(mp3);
}

void set_attribute(int fd, const char *name, const std::string &value) {
    if (fsetxattr(fd, name, value.data(), value.size(), 0) != 0)
        fail(std::string("fsetxattr ") + name);
}

// `count` copies of `mp3` in a new folder under `root`, each with the six attributes the
// form shows, and with the recorded type when `withType`.
std::vector<std::string> make_files(const std::string &root, const std::string &name,
                                    const std::string &mp3, int count, bool withType) {
    const std::string directory = root + "/" + name;
    std::filesystem::create_directory(directory);
    std::vector<std::string> paths;
    char leaf[32];
    for (int i = 0; i < count; i++) {
        snprintf(leaf, sizeof leaf, "/%05d.mp3", i);
        paths.push_back(directory + leaf);
        const int fd = open(paths.back().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            fail("create " + paths.back());
        if (write(fd, mp3.data(), mp3.size()) != static_cast<ssize_t>(mp3.size()))
            fail("write " + paths.back());
        set_attribute(fd, "user.haiku.Audio:Title", text_value("Song " + std::to_string(i)));
        set_attribute(fd, "user.haiku.Audio:Artist", text_value("Examples"));
        set_attribute(fd, "user.haiku.Audio:Album", text_value("Bench"));
        set_attribute(fd, "user.haiku.Audio:Genre", text_value("Rock"));
        set_attribute(fd, "user.haiku.Audio:Rating", number_value(5));
        set_attribute(fd, "user.haiku.Audio:VolumeAdjustment", number_value(0));
        if (withType)
            set_attribute(fd, "user.haiku.BEOS:TYPE",
                          typed("MIMS", std::string("audio/x-mpeg") + '\0'));
        close(fd);
    }
    return paths;
}

// The tag taggers put in front of an MP3: ID3v2.3, Latin-1 texts, a cover and 1 KB of padding.
std::string id3v2_tag(const std::string &title) {
    auto frame = [](const std::string &id, const std::string &payload) {
        const size_t n = payload.size();
        return id + std::string{char(n >> 24), char(n >> 16), char(n >> 8), char(n)} +
               std::string(2, '\0') + payload;
    };
    const std::string cover = std::string("\0image/jpeg\0\x03\0", 14) + std::string(30000, 'J');
    const std::string frames = frame("TIT2", '\0' + title) +
                               frame("TPE1", std::string("\0Examples", 9)) +
                               frame("TALB", std::string("\0Bench", 6)) +
                               frame("TCON", std::string("\0(17)", 5)) + frame("APIC", cover);
    const size_t size = frames.size() + 1024;
    return std::string("ID3\x03\0\0", 6) +
           std::string{char((size >> 21) & 0x7f), char((size >> 14) & 0x7f),
                       char((size >> 7) & 0x7f), char(size & 0x7f)} +
           frames + std::string(1024, '\0');
}

// `count` typed files in a new folder under `root` whose only information is an ID3v2 tag in
// front of `mp3`'s audio (its ID3v1 tag left off).
std::vector<std::string> make_id3v2_files(const std::string &root, const std::string &name,
                                          const std::string &mp3, int count) {
    const std::string directory = root + "/" + name;
    std::filesystem::create_directory(directory);
    const std::string audio = mp3.substr(0, mp3.size() - 128);
    std::vector<std::string> paths;
    char leaf[32];
    for (int i = 0; i < count; i++) {
        snprintf(leaf, sizeof leaf, "/%05d.mp3", i);
        paths.push_back(directory + leaf);
        const std::string bytes = id3v2_tag("Song " + std::to_string(i)) + audio;
        const int fd = open(paths.back().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            fail("write " + paths.back());
        set_attribute(fd, "user.haiku.BEOS:TYPE",
                      typed("MIMS", std::string("audio/x-mpeg") + '\0'));
        close(fd);
    }
    return paths;
}

// The other formats the add-on reads, by the type libmagic gives them.
struct TaggedFormat {
    const char *name;
    const char *type;
    const char *codec;  // ffmpeg's options
};
const TaggedFormat kTaggedFormats[] = {
    {"flac", "audio/flac", "-c:a flac"},
    {"ogg", "audio/ogg", "-c:a libvorbis -b:a 128k"},
    {"opus", "audio/ogg", "-c:a libopus -b:a 128k"},
    {"m4a", "audio/x-m4a", "-c:a aac -b:a 128k -f ipod"},
};

const TaggedFormat &tagged_format(const std::string &name) {
    for (const TaggedFormat &format : kTaggedFormats) {
        if (name == format.name)
            return format;
    }
    fail("no format " + name);
}

// `seconds` of quiet noise in `format`, tagged with the four texts and a cover of
// `coverBytes`, as bytes.
std::string tagged_bytes(const std::string &work, const TaggedFormat &format, int seconds,
                         int coverBytes) {
    const std::string path = work + "/template." + format.name;
    const std::string encode =
        "ffmpeg -nostdin -loglevel error -y -f lavfi -i anoisesrc=d=" + std::to_string(seconds) +
        ":a=0.05 -ac 1 -ar 48000 " + format.codec + " '" + path + "'";
    const std::string tag =
        std::string("/usr/bin/python3 '") + BRINDLE_SOURCE_DIR +
        "/tests/common/tag_tool.py' make '" + path +
        "' title=Song artist=Examples album=Bench genre=Rock picture=" + std::to_string(coverBytes);
    if (system(encode.c_str()) != 0 || system(tag.c_str()) != 0)
        fail(std::string("making a ") + format.name + " file (scripts/install-deps)");
    return read_file(path);
}

// `count` copies of `bytes` in a new folder under `root`, each with its recorded `type` and
// no other attribute.
std::vector<std::string> make_tagged_files(const std::string &root, const std::string &name,
                                           const std::string &bytes, const char *extension,
                                           const char *type, int count) {
    const std::string directory = root + "/" + name;
    std::filesystem::create_directory(directory);
    std::vector<std::string> paths;
    char leaf[32];
    for (int i = 0; i < count; i++) {
        snprintf(leaf, sizeof leaf, "/%05d.%s", i, extension);
        paths.push_back(directory + leaf);
        const int fd = open(paths.back().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            fail("write " + paths.back());
        set_attribute(fd, "user.haiku.BEOS:TYPE", typed("MIMS", std::string(type) + '\0'));
        close(fd);
    }
    return paths;
}

// --- runs ---

struct Usage {
    double seconds = 0;
    long peakKiB = 0;
    long switches = 0;  // voluntary and involuntary context switches, every thread
};

Usage run(const std::vector<std::string> &args) {
    test_support::SpawnOptions options;
    options.discardOutput = true;
    options.cpu = sCpu;
    options.deadlineSeconds = 3600;  // a bound against a hang, far beyond any size measured
    const auto start = Clock::now();
    test_support::RunResult ended;
    try {
        ended = test_support::ChildProcess(args, options).Finish();
    } catch (const std::exception &error) {
        fail(error.what());
    }
    if (ended.exitStatus != 0)
        fail(args[0] + " did not finish cleanly" + (ended.err.empty() ? "" : ": " + ended.err));
    Usage result;
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    result.peakKiB = ended.peakKiB;
    result.switches = ended.switches;
    return result;
}

std::vector<std::string> player_args(const std::string &script,
                                     const std::vector<std::string> &files) {
    std::vector<std::string> args = {kBuild + "/brindle-player",     "--headless", "--add-on",
                                     kBuild + "/add-ons/brindle.so", "--script",   script};
    args.insert(args.end(), files.begin(), files.end());
    return args;
}

std::vector<std::string> floor_args(const std::string &mode, long steps,
                                    const std::vector<std::string> &files) {
    std::vector<std::string> args = {kBuild + "/step_floor", mode, std::to_string(steps)};
    args.insert(args.end(), files.begin(), files.end());
    return args;
}

// `enable`, then `steps` moves through `count` items, forward to the last and back, each
// one `next` or `prev`, preceded by `set title TEXT` when `edit` (TEXT new in every
// round, so each one is a change).
std::string write_script(const std::string &path, long steps, int count, bool edit, int round) {
    std::ofstream out(path);
    out << "enable\n";
    int current = 0, direction = 1;
    for (long step = 0; step < steps; step++) {
        if (count > 1 && (current + direction < 0 || current + direction >= count))
            direction = -direction;
        current += direction;
        if (edit)
            out << "set title Edited " << round << " " << step << "\n";
        out << (direction > 0 ? "next\n" : "prev\n");
    }
    out << "quit\n";
    return path;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct StepFigures {
    double playerMicros, floorMicros, playerSwitches, floorSwitches;
    long peakKiB;
    double checkedFloorMicros;  // 0 without a checked floor
};

// One measurement: the player with `steps` steps and with none, then its floor (when it
// has a mode) with `steps` and with none, once a round. Every measurement takes its turn
// in every round, so a load that comes and goes falls on all of them alike.
class Series {
public:
    Series(std::string work, std::vector<std::string> files, long steps, bool edit,
           const char *mode, const char *checkedMode = nullptr)
        : fWork(std::move(work)),
          fFiles(std::move(files)),
          fSteps(steps),
          fEdit(edit),
          fMode(mode),
          fCheckedMode(checkedMode) {}

    void RunRound(int round) {
        const std::string idle = write_script(fWork + "/idle.script", 0, 0, false, 0);
        const std::string script = write_script(fWork + "/steps.script", fSteps,
                                                static_cast<int>(fFiles.size()), fEdit, round);
        const Usage stepping = run(player_args(script, fFiles));
        const Usage start = run(player_args(idle, fFiles));
        fPlayer.push_back((stepping.seconds - start.seconds) / fSteps * 1e6);
        fPlayerSwitches.push_back(static_cast<double>(stepping.switches - start.switches) / fSteps);
        fPeaks.push_back(stepping.peakKiB);
        if (fMode == nullptr)
            return;
        const Usage floorStepping = run(floor_args(fMode, fSteps, fFiles));
        const Usage floorStart = run(floor_args(fMode, 0, fFiles));
        fFloor.push_back((floorStepping.seconds - floorStart.seconds) / fSteps * 1e6);
        fFloorSwitches.push_back(static_cast<double>(floorStepping.switches - floorStart.switches) /
                                 fSteps);
        if (fCheckedMode == nullptr)
            return;
        const Usage checkedStepping = run(floor_args(fCheckedMode, fSteps, fFiles));
        const Usage checkedStart = run(floor_args(fCheckedMode, 0, fFiles));
        fCheckedFloor.push_back((checkedStepping.seconds - checkedStart.seconds) / fSteps * 1e6);
    }

    StepFigures Figures() const {
        StepFigures figures = {
            median(fPlayer), 0, median(fPlayerSwitches), 0, static_cast<long>(median(fPeaks)), 0};
        if (fMode != nullptr) {
            figures.floorMicros = median(fFloor);
            figures.floorSwitches = median(fFloorSwitches);
        }
        if (fCheckedMode != nullptr)
            figures.checkedFloorMicros = median(fCheckedFloor);
        return figures;
    }

private:
    std::string fWork;
    std::vector<std::string> fFiles;
    long fSteps;
    bool fEdit;
    const char *fMode;
    const char *fCheckedMode;
    std::vector<double> fPlayer, fFloor, fCheckedFloor, fPlayerSwitches, fFloorSwitches, fPeaks;
};

// --- the table ---

std::vector<int> parse_list(const std::string &text) {
    std::vector<int> values;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ','))
        values.push_back(atoi(item.c_str()));
    return values;
}

std::string with_commas(long value) {
    std::string digits = std::to_string(value), out;
    for (size_t i = 0; i < digits.size(); i++) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

int last_usable_cpu() {
    cpu_set_t usable;
    if (sched_getaffinity(0, sizeof usable, &usable) != 0)
        return -1;
    for (int cpu = CPU_SETSIZE - 1; cpu >= 0; cpu--) {
        if (CPU_ISSET(cpu, &usable))
            return cpu;
    }
    return -1;
}

}  // namespace

int main(int argc, char **argv) {
    int count = 2000, rounds = 5;
    long leastSteps = 4000;
    int cpu = last_usable_cpu();
    std::vector<int> sizes = {10, 100, 1000, 10000};
    std::string only = "browse,untyped,edit,id3v2-browse,id3v2-edit,formats,mixed,sizes,startup";
    for (int i = 1; i < argc; i++) {
        const std::string option = argv[i];
        if (i + 1 < argc && option == "--files")
            count = atoi(argv[++i]);
        else if (i + 1 < argc && option == "--steps")
            leastSteps = atol(argv[++i]);
        else if (i + 1 < argc && option == "--rounds")
            rounds = atoi(argv[++i]);
        else if (i + 1 < argc && option == "--sizes")
            sizes = parse_list(argv[++i]);
        else if (i + 1 < argc && option == "--cpu")
            cpu = atoi(argv[++i]);
        else if (i + 1 < argc && option == "--only")
            only = argv[++i];
        else {
            fprintf(
                stderr,
                "usage: player_steps [--files N] [--steps S] [--rounds R] [--sizes N,N,...] "
                "[--only browse,untyped,edit,id3v2-browse,id3v2-edit,formats,mixed,sizes,startup] "
                "[--cpu N]\n");
            return 2;
        }
    }
    if (count < 2 || rounds < 1) {
        fprintf(stderr, "player_steps: at least 2 files and 1 round\n");
        return 2;
    }
    sCpu = cpu;
    auto wanted = [&](const char *what) {
        return ("," + only + ",").find(std::string(",") + what + ",") != std::string::npos;
    };

    const test_support::TempDir directory("brindle-steps");
    const std::string &work = directory.Path();
    const std::string mp3 = encoded_mp3(work);
    const long steps = std::max<long>(count - 1, leastSteps);
    std::vector<Row> rows;

    // Everything is set up first, then measured in rounds.
    std::map<std::string, Series> scenarioSeries;
    for (const char *scenario : {"browse", "untyped", "edit", "id3v2-browse", "id3v2-edit"}) {
        if (!wanted(scenario))
            continue;
        fprintf(stderr, "player_steps: files for %s\n", scenario);
        const bool withType = strcmp(scenario, "untyped") != 0;
        const bool id3v2 = strncmp(scenario, "id3v2-", 6) == 0;
        const bool edit = strcmp(scenario, "edit") == 0 || strcmp(scenario, "id3v2-edit") == 0;
        const char *checked = strcmp(scenario, "browse") == 0 ? "browse-checked"
                              : strcmp(scenario, "edit") == 0 ? "edit-checked"
                                                              : nullptr;
        scenarioSeries.emplace(scenario,
                               Series(work,
                                      id3v2 ? make_id3v2_files(work, scenario, mp3, count)
                                            : make_files(work, scenario, mp3, count, withType),
                                      steps, edit, id3v2 ? nullptr : scenario, checked));
    }
    // The other formats: browse steps on small files with a 200 KB cover, a FLAC edit step,
    // and edit steps on 5 MB Ogg and M4A files (fewer files and steps: each one is a copy).
    std::map<std::string, Series> formatSeries;
    if (wanted("formats")) {
        for (const TaggedFormat &format : kTaggedFormats) {
            fprintf(stderr, "player_steps: files for %s\n", format.name);
            const std::string bytes = tagged_bytes(work, format, 1, 200 * 1024);
            const std::string browse = std::string(format.name) + "-browse";
            formatSeries.emplace(browse, Series(work,
                                                make_tagged_files(work, browse, bytes, format.name,
                                                                  format.type, count),
                                                steps, false, nullptr));
            if (strcmp(format.name, "flac") == 0) {
                formatSeries.emplace(
                    "flac-edit",
                    Series(work,
                           make_tagged_files(work, "flac-edit", bytes, "flac", format.type, count),
                           steps, true, nullptr));
            }
        }
        for (const char *name : {"ogg", "m4a"}) {
            const TaggedFormat &format = tagged_format(name);
            const std::string bytes = tagged_bytes(work, format, 320, 4096);
            const std::string edit = std::string(name) + "-edit-5mb";
            const int few = std::min(count, 20);
            formatSeries.emplace(
                edit, Series(work, make_tagged_files(work, edit, bytes, name, format.type, few),
                             std::min<long>(steps, 100), true, nullptr));
        }
    }
    std::vector<Series> mixedSeries;
    if (wanted("mixed")) {
        const int largest = 10000;
        fprintf(stderr, "player_steps: %d files of mixed formats\n", largest);
        std::vector<std::vector<std::string>> byFormat = {
            make_files(work, "mixed-mp3", mp3, largest / 5, true)};
        for (const TaggedFormat &format : kTaggedFormats) {
            byFormat.push_back(make_tagged_files(work, std::string("mixed-") + format.name,
                                                 tagged_bytes(work, format, 1, 4096), format.name,
                                                 format.type, largest / 5));
        }
        std::vector<std::string> mixed;
        for (int i = 0; i < largest / 5; i++) {
            for (const auto &files : byFormat)
                mixed.push_back(files[i]);
        }
        mixedSeries.emplace_back(work, mixed, std::max<long>(largest - 1, leastSteps), false,
                                 nullptr);
    }
    std::vector<Series> sizeSeries;
    if (wanted("sizes") && !sizes.empty()) {
        const int largest = *std::max_element(sizes.begin(), sizes.end());
        fprintf(stderr, "player_steps: files for sizes up to %d\n", largest);
        const std::vector<std::string> all = make_files(work, "sizes", mp3, largest, true);
        for (int size : sizes) {
            sizeSeries.emplace_back(work, std::vector<std::string>(all.begin(), all.begin() + size),
                                    std::max<long>(size - 1, leastSteps), false, nullptr);
        }
    }
    for (int round = 0; round < rounds; round++) {
        fprintf(stderr, "player_steps: round %d of %d\n", round + 1, rounds);
        for (auto &[name, series] : scenarioSeries)
            series.RunRound(round);
        for (auto &[name, series] : formatSeries)
            series.RunRound(round);
        for (Series &series : mixedSeries)
            series.RunRound(round);
        for (Series &series : sizeSeries)
            series.RunRound(round);
    }

    std::map<std::string, StepFigures> scenarios;
    for (const auto &[name, series] : scenarioSeries)
        scenarios[name] = series.Figures();
    for (auto &[name, figures] : scenarios) {
        if (name.rfind("id3v2-", 0) == 0) {
            // Beside the same step on plain files: what reading and writing ID3v2 adds.
            const std::string plain = name.substr(6);
            const double ratio =
                scenarios.count(plain) ? figures.playerMicros / scenarios[plain].playerMicros : 0;
            rows.push_back(
                {name + " step (" + (plain == "edit" ? "set title + next" : "next") + ")",
                 ratio > 0 ? format("%.1f us: %.2fx the %s step", figures.playerMicros, ratio,
                                    plain.c_str())
                           : format("%.1f us", figures.playerMicros),
                 "(for reference)", -1});
            continue;
        }
        const double ratio = figures.playerMicros / figures.floorMicros;
        const double goal = name == "untyped" ? 0 : 1.25;
        rows.push_back({name + " step (" + (name == "edit" ? "set title + next" : "next") + ")",
                        format("%.1f us, floor %.1f us: %.2fx", figures.playerMicros,
                               figures.floorMicros, ratio),
                        goal > 0 ? format("<= %.2fx floor", goal) : "(its floor, for reference)",
                        goal > 0 ? ratio / goal : -1});
        if (figures.checkedFloorMicros > 0) {
            rows.push_back({name + " step, floor with the add-on's checks",
                            format("%.1f us, floor %.1f us: %.2fx", figures.playerMicros,
                                   figures.checkedFloorMicros,
                                   figures.playerMicros / figures.checkedFloorMicros),
                            "(for reference)", -1});
        }
    }
    for (const auto &[name, series] : formatSeries) {
        const StepFigures figures = series.Figures();
        const bool edit = name.find("-edit") != std::string::npos;
        const bool bigFile = name.find("-5mb") != std::string::npos;
        const std::string beside = edit ? "id3v2-edit" : "id3v2-browse";
        const double ratio = !bigFile && scenarios.count(beside)
                                 ? figures.playerMicros / scenarios[beside].playerMicros
                                 : 0;
        // A FLAC edit that fits the padding is written in place, as an ID3v2 one is.
        const double goal = name == "flac-edit" ? 1.25 : 1.5;
        rows.push_back({name + " step (" + (edit ? "set title + next" : "next") + ")",
                        ratio > 0 ? format("%.1f us: %.2fx the %s step", figures.playerMicros,
                                           ratio, beside.c_str())
                                  : format("%.1f us", figures.playerMicros),
                        ratio > 0 ? format("<= %.2fx", goal) : "(for reference)",
                        ratio > 0 ? ratio / goal : -1});
    }
    for (const Series &series : mixedSeries) {
        const StepFigures figures = series.Figures();
        rows.push_back(
            {"browse step, 10,000 files of five formats",
             format("%.1f us, peak RSS %.1f MiB", figures.playerMicros, figures.peakKiB / 1024.0),
             "RSS <= 20 MiB", figures.peakKiB / 1024.0 / 20});
    }
    if (scenarios.count("untyped") && scenarios.count("browse")) {
        const double ratio = scenarios["untyped"].playerMicros / scenarios["browse"].playerMicros;
        rows.push_back(
            {"untyped step / browse step", format("%.2fx", ratio), "<= 1.10x", ratio / 1.1});
    }
    for (auto &[name, figures] : scenarios) {
        if (name.rfind("id3v2-", 0) == 0)
            continue;  // no floor to set them beside
        // An edit step is two commands, each with its hand-off.
        const int commands = name == "edit" ? 2 : 1;
        const double perCommand = figures.playerSwitches / commands;
        rows.push_back({"context switches per command, " + name,
                        format("%.2f (floor %.2f)", perCommand, figures.floorSwitches / commands),
                        "<= 3", perCommand / 3});
    }

    if (!sizeSeries.empty()) {
        const int largest = *std::max_element(sizes.begin(), sizes.end());
        std::vector<double> costs;
        for (size_t i = 0; i < sizes.size(); i++) {
            const StepFigures figures = sizeSeries[i].Figures();
            costs.push_back(figures.playerMicros);
            const bool largestSize = sizes[i] == largest;
            rows.push_back({"browse step, " + with_commas(sizes[i]) + " files",
                            format("%.1f us, peak RSS %.1f MiB", figures.playerMicros,
                                   figures.peakKiB / 1024.0),
                            largestSize ? "RSS <= 20 MiB" : "",
                            largestSize ? figures.peakKiB / 1024.0 / 20 : -1});
        }
        const double spread = *std::max_element(costs.begin(), costs.end()) /
                              *std::min_element(costs.begin(), costs.end());
        rows.push_back({"per-step cost, largest / smallest", format("%.2fx", spread),
                        "flat (<= 1.25x)", spread / 1.25});
    }

    if (wanted("startup")) {
        fprintf(stderr, "player_steps: start-up\n");
        const std::vector<std::string> one = make_files(work, "startup", mp3, 1, true);
        const std::string script = work + "/enable.script";
        std::ofstream(script) << "enable\n";
        std::vector<double> seconds, peaks;
        for (int round = 0; round < std::max(11, rounds); round++) {
            const Usage usage = run(player_args(script, one));
            seconds.push_back(usage.seconds * 1e3);
            peaks.push_back(usage.peakKiB / 1024.0);
        }
        rows.push_back({"headless start-up (one file, enable)", format("%.1f ms", median(seconds)),
                        "<= 10 ms", median(seconds) / 10});
        rows.push_back({"headless start-up peak RSS", format("%.1f MiB", median(peaks)), "", -1});
    }

    printf(
        "brindle-player, %d files per scenario, %ld steps a run, medians of %d interleaved "
        "rounds, %s\n\n",
        count, steps, rounds,
        sCpu >= 0 ? ("each process on CPU " + std::to_string(sCpu)).c_str()
                  : "processes placed by the scheduler");
    print_table(rows);
    return 0;
}
