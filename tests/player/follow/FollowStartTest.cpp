// What --follow accepts before any player is followed: its command line, the names and
// URLs it reads, and a missing session bus.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FollowHarness.h"
#include "MprisNames.h"

namespace follow_test {
namespace {

using follow::is_player_name;
using follow::local_path_from_url;
using testing::HasSubstr;

RunResult run_with_options(const TempDir &dir, const std::vector<std::string> &arguments,
                           const std::map<std::string, std::string> &env = {}) {
    std::vector<std::string> argv = {addon_test::player_path(), "--headless", "--add-on",
                                     addon_test::addon_path()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    addon_test::SpawnOptions options = addon_test::player_options(dir);
    for (const auto &variable : env)
        options.env[variable.first] = variable.second;
    return ChildProcess(argv, options).Finish();
}

TEST(FollowStart, FileArgumentsAndBadNamesAreRefused) {
    TempDir dir;
    const std::string file = dir.Write("mpv", "a file named like a player");
    RunResult result = run_with_options(dir, {"--follow", file});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_THAT(result.err, HasSubstr("\"" + file + "\": no FILE arguments with --follow"));
    result = run_with_options(dir, {"--follow=mpv", file});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_THAT(result.err, HasSubstr("no FILE arguments with --follow"));
    result = run_with_options(dir, {"--follow=mpv/2"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_THAT(result.err, HasSubstr("--follow: \"mpv/2\" is not a player name"));
}

TEST(FollowStart, NoSessionBusIsSaidAndEndsThePlayer) {
    TempDir dir;
    const RunResult result =
        run_with_options(dir, {"--follow=mpv", "--script", dir.Write("script", "enable\n")},
                         {{"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + dir / "no-bus-here"}});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_THAT(result.err, testing::StartsWith("brindle-player: --follow: no session bus: "));
    EXPECT_EQ(result.out, "Brindle - get_plugin_list\n");  // nothing was enabled
}

TEST(FollowStart, BusLibraryIsLoadedOnlyWithFollow) {
    TempDir dir;
    SessionBus bus;
    auto maps = [](const FollowingPlayer &player) {
        return test_support::read_file("/proc/" + std::to_string(player.Pid()) + "/maps");
    };
    FollowingPlayer plain(dir, bus, {{}});
    plain.Ask("enable");
    EXPECT_THAT(maps(plain), testing::Not(HasSubstr("libsdbus-c++")));
    EXPECT_EQ(plain.Quit().exitStatus, 0);
    FollowingPlayer following(dir, bus, {{"--follow=mpv"}});
    following.Ask("enable");
    EXPECT_THAT(maps(following), HasSubstr("brindle-follow.so"));
    EXPECT_THAT(maps(following), HasSubstr("libsdbus-c++"));
    EXPECT_EQ(following.Quit().exitStatus, 0);
}

TEST(FollowNames, NameIsMatchedInAnyCaseAndWithItsBusPrefix) {
    TempDir dir;
    SessionBus bus;
    const auto files = titled_mp3s(dir, {"One"});
    FakePlayer lollypop(bus, "Lollypop", track_urls(files));
    // As people type it, and as D-Bus tools print it.
    for (const std::string name : {"lollypop", "org.mpris.MediaPlayer2.LOLLYPOP"}) {
        SCOPED_TRACE(name);
        FollowingPlayer player(dir, bus, {{"--follow=" + name}});
        player.Ask("enable");
        EXPECT_TRUE(player.AskUntil("form", "= title One"));
        EXPECT_EQ(player.Quit().exitStatus, 0);
    }
}

TEST(FollowNames, LocalFileUrlsArePercentDecoded) {
    std::string path;
    ASSERT_TRUE(local_path_from_url("file:///music/a%20b/caf%C3%A9%25.mp3", &path));
    EXPECT_EQ(path, "/music/a b/caf\xC3\xA9%.mp3");
    ASSERT_TRUE(local_path_from_url("FILE://localhost/x.mp3", &path));
    EXPECT_EQ(path, "/x.mp3");
}

TEST(FollowNames, OtherUrlsNameNoFile) {
    std::string path;
    for (const char *url : {"", "http://host/x.mp3", "av://lavfi:sine", "file://elsewhere/x.mp3",
                            "file:///x%2", "file:///x%zz.mp3", "file:///x%00.mp3", "file:x.mp3"})
        EXPECT_FALSE(local_path_from_url(url, &path)) << url;
}

TEST(FollowNames, PlayerNamesAreWhatPlayerctlLists) {
    for (const char *name : {"mpv", "vlc", "mpv.instance1234", "chromium.instance42_3", "Lollypop"})
        EXPECT_TRUE(is_player_name(name)) << name;
    for (const char *name : {"", "-x", "a..b", ".a", "a.", "1abc", "a.1b", "a b", "a/b"})
        EXPECT_FALSE(is_player_name(name)) << name;
}

}  // namespace
}  // namespace follow_test
