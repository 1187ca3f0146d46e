// Following real MPRIS players: a private session bus (dbus-run-session), mpv with the
// mpv-mpris plugin or VLC as the player nobody here wrote, playerctl as the person's
// hand, and the real brindle-player with the add-on following it. Nothing waits a fixed
// time: answers are polled with a generous time limit.
#ifndef BRINDLE_TESTS_PLAYER_FOLLOW_FOLLOW_HARNESS_H
#define BRINDLE_TESTS_PLAYER_FOLLOW_FOLLOW_HARNESS_H

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "AddonHarness.h"
#include "Polling.h"

namespace follow_test {

using addon_test::RunResult;
using addon_test::TempDir;
using test_support::ChildProcess;

using test_support::eventually;
using test_support::installed;

// A session bus of the test's own; it ends with the object. `otherUsers` lets processes
// of other users connect (VLC refuses to run as root).
class SessionBus {
public:
    explicit SessionBus(bool otherUsers = false);
    ~SessionBus();
    SessionBus(const SessionBus &) = delete;
    SessionBus &operator=(const SessionBus &) = delete;

    // DBUS_SESSION_BUS_ADDRESS for the processes on this bus.
    std::map<std::string, std::string> Env() const;

private:
    TempDir fDirectory;
    std::unique_ptr<ChildProcess> fProcess;
    std::string fAddress;
};

// `argv` run through setpriv, so that a player nobody here wrote dies with the test should
// the test die before it can end it.
std::vector<std::string> tied_to_test(const std::vector<std::string> &argv);

// mpv with the mpv-mpris plugin on `bus`, paused, with no audio or video output.
class Mpv {
public:
    Mpv(const SessionBus &bus, const std::vector<std::string> &files,
        const std::vector<std::string> &options = {});
    // Quits as a person quitting it would (SIGTERM), and waits for it to end.
    void Quit();

private:
    ChildProcess fProcess;
};

// Audacious in its headless mode on `bus`, playing `files` from the first, with its own
// configuration in `home` (its software volume control on) and a PulseAudio of its own whose
// only output is a null sink: it plays in real time with no sound card. The user's own
// configuration is never read.
class Audacious {
public:
    Audacious(const SessionBus &bus, const TempDir &home, const std::vector<std::string> &files);
    // Quits as a person quitting it would (SIGTERM), and waits for it to end.
    void Quit();

private:
    std::unique_ptr<ChildProcess> fSound;
    std::unique_ptr<ChildProcess> fProcess;
};

// A player we wrote to behave as others may (fake_mpris_player.py, on Debian's python3
// with python3-dbus): "org.mpris.MediaPlayer2.NAME" on `bus` with `arguments` after
// --name, ready once constructed.
class FakePlayer {
public:
    FakePlayer(const SessionBus &bus, const std::string &name,
               const std::vector<std::string> &arguments);
    // Reads its standard output until the whole line `line` comes (what it was asked).
    bool WaitForLine(const std::string &line) { return fProcess.WaitForLine(line); }
    // Its first line starting with `prefix` from here on; "" when none came.
    std::string WaitForLineStarting(const std::string &prefix) {
        return fProcess.WaitForLineStarting(prefix);
    }
    // Ends it and returns every line it wrote.
    std::vector<std::string> Quit();

private:
    ChildProcess fProcess;
};

// The --url arguments of a fake player whose tracks are `files`.
std::vector<std::string> track_urls(const std::vector<std::string> &files);

// The volume `player` says it holds (playerctl asks for it with a Get); -1 when it does not say.
double player_volume(const SessionBus &bus, const std::string &player);

// playerctl on `bus` with `arguments`; its standard output without the line end.
std::string playerctl(const SessionBus &bus, const std::vector<std::string> &arguments);

// How a test runs the player: brindle-player --add-on brindle.so OPTIONS... with commands
// from a pipe.
struct PlayerRun {
    PlayerRun(std::vector<std::string> options, bool typed = false, bool offscreen = false,
              std::string program = "")
        : options(std::move(options)),
          typed(typed),
          offscreen(offscreen),
          program(std::move(program)) {}

    std::vector<std::string> options;
    // As typed commands (a bad one is reported and the player goes on), not as a script
    // (--script -, where a bad command ends it).
    bool typed;
    // Windows drawn on Qt's offscreen platform, not headless.
    bool offscreen;
    // Another player than the build's, with the add-ons it finds itself.
    std::string program;
    // Windows drawn on this X display (Desktop::Options().env), not headless.
    std::map<std::string, std::string> display;
};

// The player following on `bus`.
class FollowingPlayer : public addon_test::CommandedPlayer {
public:
    FollowingPlayer(const TempDir &dir, const SessionBus &bus, const PlayerRun &run);
};

// MP3 files `names` in `dir`, each with its name as its Title attribute, so the form's
// title says which one it shows.
std::vector<std::string> titled_mp3s(const TempDir &dir, const std::vector<std::string> &names);

}  // namespace follow_test

#endif  // BRINDLE_TESTS_PLAYER_FOLLOW_FOLLOW_HARNESS_H
