// The candidates for guessing a file's type from its content, side by side on the corpus
// the type check is tested with (MP3s made by lame; FLAC, Ogg Vorbis, Opus and M4A files made
// by their encoders; other formats built by hand):
//
//   libmagic         what the kit did before: magic_buffer on the first 4 KiB (read on
//                    past an ID3v2 tag), every check on
//   libmagic-narrow  the same read, with the checks MAGIC_NO_CHECK_* can leave out
//   gio              shared-mime-info, the desktop's own database, via g_content_type_guess
//                    (libgio-2.0.so.0 opened at run time; left out when it is missing)
//   probe+libmagic   what the kit does now: the MPEG header probe and the other formats'
//                    quick path, libmagic for the rest
//
// Each check starts from an open descriptor, so reads are part of its cost; figures are
// medians of interleaved runs, in microseconds. An answer other than libmagic's, in this
// platform's words (MPEG audio is "audio/x-mpeg"), is marked '*' and listed. The one-time
// cost of loading each candidate is measured in a fresh child process.
//
// usage: type_check [ROUNDS]   (default 300)
#include <MagicLibrary.h>
#include <ModuleLoader.h>
#include <MimeSniffer.h>
#include <MpegAudioProbe.h>
#include <StorageDefs.h>

#include <fcntl.h>
#include <magic.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "TestFiles.h"
#include "TypeCorpus.h"

namespace {

using Clock = std::chrono::steady_clock;
using Check = std::function<std::string(int fd)>;

const size_t kHead = BPrivate::MimeSniffer::kSniffLength;

std::string platform_name(const char *type) {
    if (type == nullptr)
        return "(none)";
    return BPrivate::MimeSniffer::IsMpegAudioName(type) ? "audio/x-mpeg" : type;
}

// The read the kit has always given libmagic: 4 KiB, or that much past an ID3v2 tag.
std::vector<unsigned char> sniff_read(int fd) {
    std::vector<unsigned char> content(kHead);
    ssize_t length = pread(fd, content.data(), kHead, 0);
    content.resize(length > 0 ? static_cast<size_t>(length) : 0);
    size_t tagEnd;
    bool footer;
    if (content.size() == kHead &&
        BPrivate::parse_id3v2_header(content.data(), content.size(), &tagEnd, &footer)) {
        const size_t wanted =
            std::min(tagEnd + (footer ? 10 : 0) + kHead, BPrivate::kMagicLookahead);
        content.resize(wanted);
        ssize_t more = pread(fd, content.data() + kHead, wanted - kHead, kHead);
        content.resize(kHead + (more > 0 ? static_cast<size_t>(more) : 0));
    }
    return content;
}

magic_t open_magic(int flags) {
    magic_t cookie = magic_open(flags);
    if (cookie == nullptr || magic_load(cookie, nullptr) != 0) {
        std::fprintf(stderr, "type_check: libmagic cannot be loaded\n");
        std::exit(1);
    }
    return cookie;
}

Check libmagic_check(int flags) {
    magic_t cookie = open_magic(flags);
    return [cookie](int fd) {
        std::vector<unsigned char> content = sniff_read(fd);
        return platform_name(magic_buffer(cookie, content.data(), content.size()));
    };
}

// The checks libmagic runs besides its magic database, all but the text checks (which
// answer text/plain) and the encoding check they need.
const int kNarrowFlags = MAGIC_MIME_TYPE | MAGIC_NO_CHECK_COMPRESS | MAGIC_NO_CHECK_TAR |
                         MAGIC_NO_CHECK_APPTYPE | MAGIC_NO_CHECK_ELF | MAGIC_NO_CHECK_CDF |
                         MAGIC_NO_CHECK_TOKENS | MAGIC_NO_CHECK_JSON | MAGIC_NO_CHECK_CSV;

// GIO, found at run time so the benchmark builds without its headers.
struct Gio {
    using Guess = char *(*)(const char *, const unsigned char *, size_t, int *);
    using MimeType = char *(*)(const char *);
    using Free = void (*)(void *);
    Guess guess = nullptr;
    MimeType mimeType = nullptr;
    Free free = nullptr;

    bool Load() {
        void *library = brindle::open_module("libgio-2.0.so.0");
        if (library == nullptr)
            return false;
        guess = brindle::module_entry<Guess>(library, "g_content_type_guess");
        mimeType = brindle::module_entry<MimeType>(library, "g_content_type_get_mime_type");
        free = brindle::module_entry<Free>(library, "g_free");
        return guess != nullptr && mimeType != nullptr && free != nullptr;
    }

    std::string Type(const unsigned char *data, size_t length) const {
        int uncertain = 0;
        char *contentType = guess(nullptr, data, length, &uncertain);
        char *mime = mimeType(contentType);
        std::string type = platform_name(mime);
        free(mime);
        free(contentType);
        return type;
    }
};

Check gio_check(const Gio &gio) {
    return [gio](int fd) {
        std::vector<unsigned char> content(kHead);
        ssize_t length = pread(fd, content.data(), kHead, 0);
        return gio.Type(content.data(), length > 0 ? static_cast<size_t>(length) : 0);
    };
}

std::string kept_check(int fd) {
    char type[B_MIME_TYPE_LENGTH];
    return BPrivate::MimeSniffer::Guess(fd, type) == B_OK ? std::string(type) : "(error)";
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Microseconds `body` takes in a fresh child process: the first use, loading included.
double first_use_in_child(const std::function<void()> &body) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return -1;
    test_support::run_in_child([&] {
        Clock::time_point start = Clock::now();
        body();
        double micros = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        return write(pipeFds[1], &micros, sizeof(micros)) == sizeof(micros) ? 0 : 1;
    });
    close(pipeFds[1]);
    double micros = -1;
    if (read(pipeFds[0], &micros, sizeof(micros)) != sizeof(micros))
        micros = -1;
    close(pipeFds[0]);
    return micros;
}

}  // namespace

int main(int argc, char **argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    test_support::TempDir directory("brindle-type-check");
    std::vector<std::string> missing;
    const auto corpus = test_support::make_type_corpus(directory.Path(), &missing);
    for (const std::string &name : missing)
        std::fprintf(stderr, "type_check: left out (lame failed or missing): %s\n", name.c_str());

    // The first file that is not MPEG audio makes each candidate load what it needs.
    const std::string text = corpus.size() > 0 ? directory / "notes.txt" : "";
    auto first_guess = [&](const Check &check) {
        int fd = open(text.c_str(), O_RDONLY | O_CLOEXEC);
        check(fd);
        close(fd);
    };

    struct Candidate {
        const char *name;
        std::function<Check()> make;
        Check check;
        double loadMicros = 0;
    };
    Gio gio;
    const bool haveGio = gio.Load();
    std::vector<Candidate> candidates = {
        {"libmagic", [] { return libmagic_check(MAGIC_MIME_TYPE); }, {}},
        {"libmagic-narrow", [] { return libmagic_check(kNarrowFlags); }, {}},
        {"probe+libmagic", [] { return Check(kept_check); }, {}},
    };
    if (haveGio)
        candidates.insert(candidates.begin() + 2, {"gio", [&] { return gio_check(gio); }, {}});
    for (Candidate &candidate : candidates) {
        candidate.loadMicros = first_use_in_child([&] { first_guess(candidate.make()); });
        candidate.check = candidate.make();
    }

    // samples[file][candidate], answers[file][candidate]
    std::vector<std::vector<std::vector<double>>> samples(
        corpus.size(), std::vector<std::vector<double>>(candidates.size()));
    std::vector<std::vector<std::string>> answers(corpus.size(),
                                                  std::vector<std::string>(candidates.size()));
    std::vector<int> fds;
    for (const auto &file : corpus)
        fds.push_back(open(file.path.c_str(), O_RDONLY | O_CLOEXEC));
    for (int round = 0; round < rounds; ++round) {
        for (size_t f = 0; f < corpus.size(); ++f) {
            for (size_t i = 0; i < candidates.size(); ++i) {
                const size_t c = (i + static_cast<size_t>(round)) % candidates.size();
                Clock::time_point start = Clock::now();
                std::string answer = candidates[c].check(fds[f]);
                samples[f][c].push_back(
                    std::chrono::duration<double, std::micro>(Clock::now() - start).count());
                answers[f][c] = std::move(answer);
            }
        }
    }

    std::printf("%-32s", "file (us per check, median)");
    for (const Candidate &candidate : candidates)
        std::printf(" %16s", candidate.name);
    std::printf("\n");
    std::vector<std::vector<double>> mp3Medians(candidates.size());
    std::vector<std::vector<double>> taggedMedians(candidates.size());
    std::vector<std::vector<double>> otherMedians(candidates.size());
    std::vector<std::string> differences;
    for (size_t f = 0; f < corpus.size(); ++f) {
        const bool isMp3 = corpus[f].name.compare(0, 4, "mp3 ") == 0;
        // The formats the quick path names besides MPEG, as their encoders wrote them.
        const std::string &name = corpus[f].name;
        const bool isTagged =
            name == "flac" || name == "ogg vorbis by oggenc" || name == "opus" || name == "m4a";
        std::printf("%-32s", corpus[f].name.c_str());
        for (size_t c = 0; c < candidates.size(); ++c) {
            const double m = median(samples[f][c]);
            (isMp3 ? mp3Medians : isTagged ? taggedMedians : otherMedians)[c].push_back(m);
            const bool same = answers[f][c] == answers[f][0];
            std::printf(" %15.1f%c", m, same ? ' ' : '*');
            if (!same) {
                differences.push_back(std::string(candidates[c].name) + " on " + corpus[f].name +
                                      ": " + answers[f][c] + " (libmagic: " + answers[f][0] + ")");
            }
        }
        std::printf("\n");
    }
    auto summary = [&](const char *label, const std::vector<std::vector<double>> &medians) {
        std::printf("%-32s", label);
        for (const auto &values : medians)
            std::printf(" %15.1f ", median(values));
        std::printf("\n");
    };
    summary("median, MP3s", mp3Medians);
    summary("median, FLAC, Ogg, Opus, M4A", taggedMedians);
    summary("median, other files", otherMedians);
    std::printf("%-32s", "first use, loading included");
    for (const Candidate &candidate : candidates)
        std::printf(" %15.0f ", candidate.loadMicros);
    std::printf("\n");
    if (!haveGio)
        std::printf("gio: libgio-2.0.so.0 not found, left out\n");
    std::printf("answers other than libmagic's: %zu\n", differences.size());
    for (const std::string &line : differences)
        std::printf("  %s\n", line.c_str());
    for (int fd : fds)
        close(fd);
    return 0;
}
