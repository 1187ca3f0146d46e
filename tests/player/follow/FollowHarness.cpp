#include "FollowHarness.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace follow_test {

namespace {

using addon_test::SpawnOptions;
using test_support::required;

SpawnOptions on_bus(const SessionBus &bus) {
    SpawnOptions options;
    options.env = bus.Env();
    return options;
}

}  // namespace

std::vector<std::string> tied_to_test(const std::vector<std::string> &argv) {
    std::vector<std::string> tied = {required("setpriv"), "--pdeathsig", "KILL", "--"};
    tied.insert(tied.end(), argv.begin(), argv.end());
    return tied;
}

SessionBus::SessionBus(bool otherUsers) : fDirectory() {
    std::vector<std::string> argv = {required("dbus-run-session")};
    if (otherUsers) {
        // The session bus's own configuration, opened to every user of this machine.
        std::string config = test_support::read_file("/usr/share/dbus-1/session.conf");
        const size_t end = config.rfind("</busconfig>");
        if (end == std::string::npos)
            throw std::runtime_error("no session bus configuration to extend");
        config.insert(end, "<policy context=\"default\"><allow user=\"*\"/></policy>\n");
        argv.push_back("--config-file=" + fDirectory.Write("session.conf", config));
    }
    // The bus lives while the child does; the child lives until its input closes.
    argv.insert(argv.end(),
                {"--", "/bin/sh", "-c", "echo \"$DBUS_SESSION_BUS_ADDRESS\"; exec cat"});
    SpawnOptions options;
    options.input = test_support::Input::kPipe;
    fProcess = std::make_unique<ChildProcess>(argv, options);
    fAddress = fProcess->WaitForLineStarting("unix:");
    if (fAddress.empty())
        throw std::runtime_error("dbus-run-session gave no bus address");
}

SessionBus::~SessionBus() {
    fProcess->CloseInput();
    fProcess->Finish();
}

std::map<std::string, std::string> SessionBus::Env() const {
    return {{"DBUS_SESSION_BUS_ADDRESS", fAddress}};
}

Mpv::Mpv(const SessionBus &bus, const std::vector<std::string> &files,
         const std::vector<std::string> &options)
    : fProcess(
          [&] {
              std::vector<std::string> argv = {
                  required("mpv"), "--no-config",   "--script=/usr/lib/mpv-mpris/mpris.so",
                  "--ao=null",     "--vo=null",     "--idle=yes",
                  "--pause",       "--really-quiet"};
              argv.insert(argv.end(), options.begin(), options.end());
              argv.insert(argv.end(), files.begin(), files.end());
              return tied_to_test(argv);
          }(),
          on_bus(bus)) {}

void Mpv::Quit() {
    fProcess.Signal(SIGTERM);
    fProcess.Finish();
}

Audacious::Audacious(const SessionBus &bus, const TempDir &home,
                     const std::vector<std::string> &files) {
    const std::string config = home / "config", runtime = home / "runtime";
    const std::string socket = runtime + "/sound";
    for (const std::string &directory : {config, config + "/audacious", runtime}) {
        if (mkdir(directory.c_str(), 0700) != 0)
            test_support::fail_with_errno("mkdir " + directory);
    }
    home.Write("config/audacious/config", "[audacious]\nsoftware_volume_control=TRUE\n");
    SpawnOptions options = on_bus(bus);
    options.env.insert({{"HOME", home.Path()},
                        {"XDG_CONFIG_HOME", config},
                        {"XDG_RUNTIME_DIR", runtime},
                        {"PULSE_SERVER", "unix:" + socket}});
    fSound = std::make_unique<ChildProcess>(
        tied_to_test({required("pulseaudio"), "--daemonize=no", "-n", "--exit-idle-time=-1",
                      "--use-pid-file=no", "--disable-shm=yes", "--load=module-null-sink",
                      "--load=module-native-protocol-unix socket=" + socket}),
        options);
    if (!eventually([&] { return access(socket.c_str(), F_OK) == 0; }))
        throw std::runtime_error("pulseaudio did not start: " + fSound->Finish().err);
    std::vector<std::string> argv = {required("audacious"), "--headless"};
    argv.insert(argv.end(), files.begin(), files.end());
    fProcess = std::make_unique<ChildProcess>(tied_to_test(argv), options);
    if (!eventually([&] { return playerctl(bus, {"-p", "audacious", "status"}) == "Playing"; }))
        throw std::runtime_error("audacious did not play: " + fProcess->Finish().err);
}

void Audacious::Quit() {
    fProcess->Signal(SIGTERM);
    fProcess->Finish();
    fSound->Signal(SIGTERM);
    fSound->Finish();
}

FakePlayer::FakePlayer(const SessionBus &bus, const std::string &name,
                       const std::vector<std::string> &arguments)
    : fProcess(
          [&] {
              std::vector<std::string> argv = {
                  "/usr/bin/python3",
                  std::string(BRINDLE_FOLLOW_TEST_DIR) + "/fake_mpris_player.py", "--name", name};
              argv.insert(argv.end(), arguments.begin(), arguments.end());
              return tied_to_test(argv);
          }(),
          on_bus(bus)) {
    if (!fProcess.WaitForLine("ready"))
        throw std::runtime_error("the fake player did not start: " + fProcess.Finish().err);
}

std::vector<std::string> FakePlayer::Quit() {
    fProcess.Signal(SIGTERM);
    fProcess.Finish();
    return test_support::split_lines(fProcess.Output());
}

std::vector<std::string> track_urls(const std::vector<std::string> &files) {
    std::vector<std::string> arguments;
    for (const std::string &file : files)
        arguments.insert(arguments.end(), {"--url", "file://" + file});
    return arguments;
}

double player_volume(const SessionBus &bus, const std::string &player) {
    const std::string volume = playerctl(bus, {"-p", player, "volume"});
    char *end = nullptr;
    const double value = std::strtod(volume.c_str(), &end);
    return end != volume.c_str() ? value : -1;
}

std::string playerctl(const SessionBus &bus, const std::vector<std::string> &arguments) {
    std::vector<std::string> argv = {required("playerctl")};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    ChildProcess process(argv, on_bus(bus));
    std::string out = process.Finish().out;
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

FollowingPlayer::FollowingPlayer(const TempDir &dir, const SessionBus &bus, const PlayerRun &run)
    : CommandedPlayer(
          [&] {
              std::vector<std::string> argv = {run.program.empty() ? addon_test::player_path()
                                                                   : run.program};
              if (!run.offscreen && run.display.empty())
                  argv.push_back("--headless");
              if (run.program.empty())
                  argv.insert(argv.end(), {"--add-on", addon_test::addon_path()});
              argv.insert(argv.end(), run.options.begin(), run.options.end());
              if (!run.typed)
                  argv.insert(argv.end(), {"--script", "-"});
              return argv;
          }(),
          [&] {
              SpawnOptions spawn = run.offscreen ? addon_test::drawn_options(dir)
                                                 : addon_test::drawn_options(dir, run.display);
              for (const auto &variable : bus.Env())
                  spawn.env[variable.first] = variable.second;
              return spawn;
          }()) {}

std::vector<std::string> titled_mp3s(const TempDir &dir, const std::vector<std::string> &names) {
    std::vector<std::string> paths;
    for (const std::string &name : names) {
        // A space in every name: the player's URLs percent-encode it.
        const std::string path = dir / (name + " song.mp3");
        addon_test::make_mp3(path);
        addon_test::set_string_attr(path, "Audio:Title", name);
        paths.push_back(path);
    }
    return paths;
}

}  // namespace follow_test
