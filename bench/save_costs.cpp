// What a checked tag save costs, beside what it is measured against: TagLib's own save of the
// same edit on the same file (in place and unchecked: the anchor), and, for a big FLAC whose
// metadata must grow, `cp` of the same file followed by `sync` on the same file system, and
// the same save on a file system that shares blocks (btrfs, XFS), where the copy beside costs
// what the metadata costs. Medians of --rounds runs; a plain program, not a test.
//
//   save_costs [--rounds R] [--big-mb N] [--only small,big,reflink]
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchTable.h"
#include "TestFiles.h"

#include <File.h>

#include "tags/copy_writer.h"
#include "tags/flac/flac_metadata.h"
#include "tags/flac/flac_writer.h"
#include "tags/format_tags.h"

namespace {

using bench::print_table;
using bench::Row;

[[noreturn]] void fail(const std::string &what) {
    fprintf(stderr, "save_costs: %s\n", what.c_str());
    exit(1);
}

void run(const std::string &command) {
    if (system(command.c_str()) != 0)
        fail("failed: " + command);
}

std::string quoted(const std::string &path) {
    return "'" + path + "'";
}

double seconds_of(const std::function<void()> &step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void set_type(const std::string &path, const char *type) {
    std::string value = "SMIM";
    value += type;
    value += '\0';
    if (setxattr(path.c_str(), "user.haiku.BEOS:TYPE", value.data(), value.size(), 0) != 0)
        fail("setxattr " + path);
}

struct Format {
    const char *name;
    const char *type;
    const char *codec;  // ffmpeg's options
    tag_format tag;
};
const Format kFormats[] = {
    {"flac", "audio/flac", "-c:a flac", TAG_FORMAT_FLAC},
    {"ogg", "audio/ogg", "-c:a libvorbis -b:a 128k", TAG_FORMAT_VORBIS},
    {"opus", "audio/ogg", "-c:a libopus -b:a 128k", TAG_FORMAT_OPUS},
};

// `seconds` of noise at `amplitude` in `format`, with the four texts set.
void make_file(const std::string &path, const Format &format, int seconds, double amplitude,
               int channels) {
    char source[128];
    snprintf(source, sizeof source, "anoisesrc=d=%d:a=%.2f", seconds, amplitude);
    run("ffmpeg -nostdin -loglevel error -y -f lavfi -i " + std::string(source) + " -ac " +
        std::to_string(channels) + " -ar 48000 " + format.codec + " -metadata title=Song " +
        "-metadata artist=Examples -metadata album=Bench -metadata genre=Rock " + quoted(path));
    set_type(path, format.type);
}

// Our save of `title` into the file at `path`, checked as every save is.
void our_save(const std::string &path, tag_format format, const std::string &title) {
    BFile file(path.c_str(), B_READ_WRITE);
    format_changes changes;
    changes.title = title.c_str();
    bool replaced = false;
    node_ref replacement;
    if (file.InitCheck() != B_OK ||
        write_format_fields(file, format, changes, &replaced, &replacement) != B_OK)
        fail("our save of " + path);
}

// TagLib's own save of the same edit, in place, unchecked.
void taglib_save(const std::string &path, const std::string &title) {
    TagLib::FileRef file(path.c_str(), false);
    if (file.isNull() || file.tag() == nullptr)
        fail("TagLib cannot open " + path);
    file.tag()->setTitle(TagLib::String(title, TagLib::String::UTF8));
    if (!file.save())
        fail("TagLib's save of " + path);
}

// Title saves that fit the file's room (two titles of one length, in turn) on a 5 MB file of
// each format: ours against TagLib's in place.
void small_saves(const std::string &work, int rounds, std::vector<Row> *rows) {
    for (const Format &format : kFormats) {
        const std::string ours = work + "/ours." + format.name;
        const std::string theirs = work + "/taglib." + format.name;
        // 5 MB: about 300 s at 128 kb/s for the lossy ones, 40 s of noise for FLAC.
        make_file(ours, format, strcmp(format.name, "flac") == 0 ? 40 : 300, 0.05, 1);
        run("cp " + quoted(ours) + " " + quoted(theirs));
        std::vector<double> ourTimes, theirTimes;
        for (int i = 0; i < rounds * 4; i++) {
            const std::string title = i % 2 == 0 ? "Song A" : "Song B";
            ourTimes.push_back(seconds_of([&] { our_save(ours, format.tag, title); }));
            theirTimes.push_back(seconds_of([&] { taglib_save(theirs, title); }));
        }
        const double ourMicros = median(ourTimes) * 1e6, theirMicros = median(theirTimes) * 1e6;
        const off_t size = std::filesystem::file_size(ours);
        rows->push_back(
            {bench::format("%s title save, %.1f MB (ours, checked)", format.name, size / 1e6),
             bench::format("%.0f us, TagLib in place %.0f us: %.2fx", ourMicros, theirMicros,
                           ourMicros / theirMicros),
             "<= 1.00x TagLib (aim)", ourMicros / theirMicros});
    }
}

// A title save of a big FLAC whose comment must grow past its padding, so the file is copied
// beside: against `cp` and `sync` of the same file in the same folder.
double big_save_seconds(const std::string &folder, const std::string &big, int rounds,
                        double *copySeconds) {
    const std::string path = folder + "/big.flac", copy = folder + "/copy.flac";
    // Past the padding ffmpeg leaves (8 KiB), so each save must grow the metadata.
    std::vector<double> saves, copies;
    for (int i = 0; i < rounds; i++) {
        run("cp --reflink=never " + quoted(big) + " " + quoted(path) + " && sync");
        set_type(path, "audio/flac");
        const std::string title(16384 + i, 'x');
        saves.push_back(seconds_of([&] { our_save(path, TAG_FORMAT_FLAC, title); }));
        copies.push_back(
            seconds_of([&] { run("cp " + quoted(path) + " " + quoted(copy) + " && sync"); }));
        unlink(copy.c_str());
    }
    *copySeconds = median(copies);
    return median(saves);
}

// What the check costs within a FLAC save beside: the save of `title` into a copy of `big`
// (the whole save, check included), then the check alone, run again on a copy built as the
// writer builds it (the saved file's new metadata written, the original's audio copied).
// Both in seconds.
void check_share(const std::string &folder, const std::string &big, const std::string &title,
                 double *saveSeconds, double *checkSeconds) {
    const std::string path = folder + "/checked.flac", scratch = folder + "/scratch.flac";
    run("cp --reflink=never " + quoted(big) + " " + quoted(path) + " && sync");
    set_type(path, "audio/flac");
    *saveSeconds = seconds_of([&] { our_save(path, TAG_FORMAT_FLAC, title); });

    const int original = open(big.c_str(), O_RDONLY | O_CLOEXEC);
    const int saved = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const int copy = open(scratch.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    flac_metadata before, after;
    if (original < 0 || saved < 0 || copy < 0 || read_flac_metadata(original, &before) != B_OK ||
        read_flac_metadata(saved, &after) != B_OK)
        fail("reading the saved FLAC back");
    std::string head(static_cast<size_t>(after.audio), '\0');
    if (pread(saved, head.data(), head.size(), 0) != static_cast<ssize_t>(head.size()))
        fail("reading the saved FLAC's metadata");
    copy_writer writer(original, copy);
    if (writer.Write(head) != B_OK ||
        writer.Copy(before.audio, before.fileSize - before.audio) != B_OK || fsync(copy) != 0)
        fail("building the scratch copy");
    format_edit edit;
    edit.title = title.c_str();
    status_t checked = B_ERROR;
    *checkSeconds = seconds_of([&] { checked = check_flac_copy(original, copy, writer, edit); });
    if (checked != B_OK)
        fail("the check refused a sound copy");
    close(original);
    close(saved);
    close(copy);
    unlink(scratch.c_str());
    unlink(path.c_str());
}

// A loop-mounted file system of `type` under `work`, or "" when it cannot be had here (not
// root, no mkfs). Unmounted by unmount_image.
std::string mount_image(const std::string &work, const char *type, long megabytes) {
    const std::string image = work + "/" + type + ".img", mount = work + "/" + type;
    const std::string mkfs = std::string("mkfs.") + type;
    if (geteuid() != 0 || system(("command -v " + mkfs + " >/dev/null").c_str()) != 0)
        return "";
    std::filesystem::create_directory(mount);
    run("truncate -s " + std::to_string(megabytes) + "M " + quoted(image));
    if (system((mkfs + " -q -f " + quoted(image) + " >/dev/null 2>&1 || " + mkfs + " -q " +
                quoted(image) + " >/dev/null 2>&1")
                   .c_str()) != 0 ||
        system(("mount -o loop " + quoted(image) + " " + quoted(mount)).c_str()) != 0)
        return "";
    return mount;
}

void unmount_image(const std::string &mount) {
    if (!mount.empty())
        run("umount " + quoted(mount));
}

}  // namespace

int main(int argc, char **argv) {
    int rounds = 5, bigMegabytes = 300;
    std::string only = "small,big,reflink";
    for (int i = 1; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--rounds") == 0)
            rounds = atoi(argv[i + 1]);
        else if (strcmp(argv[i], "--big-mb") == 0)
            bigMegabytes = atoi(argv[i + 1]);
        else if (strcmp(argv[i], "--only") == 0)
            only = argv[i + 1];
        else
            fail(std::string("unknown option ") + argv[i]);
    }
    auto wanted = [&](const char *part) { return only.find(part) != std::string::npos; };
    const test_support::TempDir directory("brindle-save-costs");
    const std::string &work = directory.Path();
    // The tag code's own lines stay out of the table.
    fflush(stdout);
    const int table = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);

    std::vector<Row> rows;
    if (wanted("small"))
        small_saves(work, rounds, &rows);
    if (wanted("big") || wanted("reflink")) {
        // Stereo noise at half scale barely compresses: about 140 kB of FLAC a second.
        const std::string big = work + "/template.flac";
        make_file(big, kFormats[0], bigMegabytes * 1000 / 138, 0.5, 2);
        const double megabytes = std::filesystem::file_size(big) / 1e6;
        if (wanted("big")) {
            double copy = 0;
            const double save = big_save_seconds(work, big, std::max(1, rounds / 2), &copy);
            rows.push_back(
                {bench::format("flac %.0f MB save that must grow (ext4 here)", megabytes),
                 bench::format("%.0f ms, cp + sync %.0f ms: %.2fx", save * 1e3, copy * 1e3,
                               save / copy),
                 "<= 1.30x cp + sync", save / copy / 1.3});
            double whole = 0, check = 0;
            check_share(work, big, std::string(20000, 'y'), &whole, &check);
            rows.push_back({"check's share of that save",
                            bench::format("%.2f ms of %.0f ms: %.1f%%", check * 1e3, whole * 1e3,
                                          100 * check / whole),
                            "<= 20%", check / whole / 0.2});
        }
        if (wanted("reflink")) {
            for (const char *type : {"btrfs", "xfs"}) {
                const std::string mount = mount_image(work, type, 3 * bigMegabytes + 600);
                if (mount.empty()) {
                    rows.push_back({bench::format("flac save that must grow on %s", type),
                                    "not measured (needs root and mkfs." + std::string(type) + ")",
                                    "< 50 ms", -1});
                    continue;
                }
                double copy = 0;
                const double save = big_save_seconds(mount, big, std::max(1, rounds / 2), &copy);
                rows.push_back(
                    {bench::format("flac %.0f MB save that must grow on %s", megabytes, type),
                     bench::format("%.1f ms (cp + sync %.0f ms)", save * 1e3, copy * 1e3),
                     "< 50 ms", save / 0.05});
                unmount_image(mount);
            }
        }
    }
    fflush(stdout);
    dup2(table, STDOUT_FILENO);
    printf("checked tag saves, medians of %d rounds\n\n", rounds);
    print_table(rows);
    return 0;
}
