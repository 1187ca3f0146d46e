// Follow-step benchmark: mpv (with mpv-mpris) changes track on `playerctl next`, and
// brindle-player --follow shows the new file in the Brindle form. Timed from the moment
// playerctl is started to
//   - a bare D-Bus client (sdbus-c++, its own connection, nothing else) seeing mpv's
//     PropertiesChanged with the new xesam:url, and
//   - the player's add-on printing the line that ends loading the new file into the form
//     ("Volume adjusted from: ..."), read from the player's standard output.
// The difference is the follow step's own cost: the bus client, the player's queue, the
// playlist message, the window's save of the old file and load of the new one.
//
// usage: dbus-run-session -- follow_steps [COUNT]   (default 200)
#include <signal.h>

#include <sdbus-c++/sdbus-c++.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "Polling.h"
#include "TestFiles.h"

namespace {

using Clock = std::chrono::steady_clock;
using test_support::ChildProcess;
using test_support::Input;

[[noreturn]] void fail(const std::string &what) {
    std::fprintf(stderr, "follow_steps: %s\n", what.c_str());
    std::exit(1);
}

// The full path of `program` on PATH; a missing one ends the benchmark.
std::string program_path(const std::string &program) {
    const std::string path = test_support::installed(program);
    if (path.empty())
        fail(program + " is not installed (scripts/install-deps installs it)");
    return path;
}

// Starts `argv` (argv[0] a full path), ended by the benchmark itself: no deadline short of
// an hour, a bound against a hang.
std::unique_ptr<ChildProcess> start(const std::vector<std::string> &argv, Input input) {
    test_support::SpawnOptions options;
    options.input = input;
    options.deadlineSeconds = 3600;
    try {
        return std::make_unique<ChildProcess>(argv, options);
    } catch (const std::exception &error) {
        fail(error.what());
    }
}

// Runs `argv` to its end: its exit status, -1 when it did not exit.
int run(const std::vector<std::string> &argv) {
    return start(argv, Input::kDevNull)->Finish().exitStatus;
}

// Three short MP3s, silence encoded by lame.
std::vector<std::string> make_files(const std::string &directory) {
    const std::string wav = directory + "/silence.wav";
    const uint32_t rate = 8000, bytes = rate / 5 * 2;
    std::ofstream out(wav, std::ios::binary);
    auto le32 = [&](uint32_t v) { out.write(reinterpret_cast<const char *>(&v), 4); };
    auto le16 = [&](uint16_t v) { out.write(reinterpret_cast<const char *>(&v), 2); };
    out << "RIFF";
    le32(36 + bytes);
    out << "WAVEfmt ";
    le32(16), le16(1), le16(1), le32(rate), le32(rate * 2), le16(2), le16(16);
    out << "data";
    le32(bytes);
    out << std::string(bytes, '\0');
    out.close();
    std::vector<std::string> files;
    for (const char *name : {"one", "two", "three"}) {
        files.push_back(directory + "/" + name + ".mp3");
        if (run({program_path("lame"), "--quiet", wav, files.back()}) != 0)
            fail("lame failed (scripts/install-deps installs it)");
    }
    return files;
}

// Time stamps of lines, as a reader thread sees them arrive.
class Stamps {
public:
    void Add(Clock::time_point when) {
        std::lock_guard<std::mutex> lock(fLock);
        fTimes.push_back(when);
        fChanged.notify_all();
    }
    // The first stamp at or after `start`, waiting for it up to 10 s.
    bool FirstAfter(Clock::time_point start, Clock::time_point *when) {
        std::unique_lock<std::mutex> lock(fLock);
        auto found = [&] {
            auto first = std::lower_bound(fTimes.begin(), fTimes.end(), start);
            if (first == fTimes.end())
                return false;
            *when = *first;
            return true;
        };
        return fChanged.wait_for(lock, std::chrono::seconds(10), found);
    }

private:
    std::mutex fLock;
    std::condition_variable fChanged;
    std::vector<Clock::time_point> fTimes;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * (values.size() - 1))];
}

}  // namespace

int main(int argc, char **argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 200;
    if (count < 1 || getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) {
        std::fprintf(stderr, "usage: dbus-run-session -- follow_steps [COUNT >= 1]\n");
        return 2;
    }
    signal(SIGPIPE, SIG_IGN);
    const test_support::TempDir scratch("follow-steps");
    const std::vector<std::string> files = make_files(scratch.Path());
    const std::string playerctl = program_path("playerctl");

    std::vector<std::string> mpvArgs = {
        program_path("mpv"), "--no-config",    "--script=/usr/lib/mpv-mpris/mpris.so",
        "--ao=null",         "--vo=null",      "--idle=yes",
        "--pause",           "--really-quiet", "--loop-playlist=inf"};
    mpvArgs.insert(mpvArgs.end(), files.begin(), files.end());
    const std::unique_ptr<ChildProcess> mpv = start(mpvArgs, Input::kDevNull);

    // The bare client: one connection, one match, its own event loop thread.
    Stamps bare;
    std::string lastUrl;
    auto connection = sdbus::createSessionBusConnection();
    auto proxy =
        sdbus::createProxy(*connection, "org.mpris.MediaPlayer2.mpv", "/org/mpris/MediaPlayer2");
    proxy->uponSignal("PropertiesChanged")
        .onInterface("org.freedesktop.DBus.Properties")
        .call([&](const std::string &, const std::map<std::string, sdbus::Variant> &changed,
                  const std::vector<std::string> &) {
            const Clock::time_point now = Clock::now();
            auto metadata = changed.find("Metadata");
            if (metadata == changed.end())
                return;
            auto values = metadata->second.get<std::map<std::string, sdbus::Variant>>();
            auto url = values.find("xesam:url");
            if (url == values.end())
                return;
            const std::string text = url->second.get<std::string>();
            if (text != lastUrl) {
                lastUrl = text;
                bare.Add(now);
            }
        });
    proxy->finishRegistration();
    connection->enterEventLoopAsync();

    const std::string build = BRINDLE_BUILD_DIR;
    const std::unique_ptr<ChildProcess> player =
        start({build + "/brindle-player", "--headless", "--add-on", build + "/add-ons/brindle.so",
               "--follow=mpv", "--script", "-"},
              Input::kPipe);
    Stamps shown;
    // The only thread reading the player's output; the main thread only writes its input.
    std::thread reader([&] {
        while (!player->WaitForLineStarting("Volume adjusted from: ").empty())
            shown.Add(Clock::now());
    });
    if (!player->Send("enable"))
        fail("the player is not reading");

    // The first file shown: the starting line.
    Clock::time_point ignored;
    if (!shown.FirstAfter(Clock::time_point(), &ignored))
        fail("the player never showed mpv's first file (is mpv-mpris installed?)");

    std::vector<double> bareMs, shownMs, gapMs;
    for (int i = 0; i < count; i++) {
        const Clock::time_point start = Clock::now();
        if (run({playerctl, "-p", "mpv", "next"}) != 0)
            fail("playerctl next failed");
        Clock::time_point seen, loaded;
        if (!bare.FirstAfter(start, &seen) || !shown.FirstAfter(start, &loaded))
            fail("step " + std::to_string(i + 1) + " was not seen within 10 s");
        auto ms = [](Clock::duration d) {
            return std::chrono::duration<double, std::milli>(d).count();
        };
        bareMs.push_back(ms(seen - start));
        shownMs.push_back(ms(loaded - start));
        gapMs.push_back(ms(loaded - seen));
    }

    if (!player->Send("quit"))
        fail("the player stopped reading");
    player->CloseInput();
    reader.join();
    player->Finish();
    mpv->Signal(SIGTERM);
    mpv->Finish();
    connection->leaveEventLoop();

    std::printf("follow steps: %d playerctl next calls, times from starting playerctl (ms)\n",
                count);
    std::printf("  %-36s median %7.2f  p90 %7.2f\n", "bare D-Bus client sees the new URL",
                median(bareMs), percentile(bareMs, 0.9));
    std::printf("  %-36s median %7.2f  p90 %7.2f\n", "the form shows the new file", median(shownMs),
                percentile(shownMs, 0.9));
    std::printf("  %-36s median %7.2f  p90 %7.2f\n", "difference (the follow step itself)",
                median(gapMs), percentile(gapMs, 0.9));
    return 0;
}
