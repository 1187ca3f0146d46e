// The player following VLC. VLC 3.0 answers the TrackList interface but says
// HasTrackList=false, and a player that says so is never asked for its tracks: VLC is
// followed by its current track alone, as mpv is.
#include <sys/stat.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FollowHarness.h"

namespace follow_test {
namespace {

using testing::Contains;

constexpr uid_t kNobody = 65534;

TEST(FollowVlc, CurrentTrackIsFollowedAndNextMovesIt) {
    const std::string cvlc = installed("cvlc");
    if (cvlc.empty())
        GTEST_SKIP() << "VLC is not installed";
    TempDir dir;
    // VLC will not run as root: there it runs as nobody, which must reach the files, its
    // home and the bus.
    const bool root = getuid() == 0;
    const std::string home = dir / "vlc-home";
    ASSERT_EQ(mkdir(home.c_str(), 0755), 0);
    if (root) {
        ASSERT_EQ(chmod(dir.Path().c_str(), 0755), 0);
        ASSERT_EQ(chown(home.c_str(), kNobody, kNobody), 0);
    }
    SessionBus bus(root);
    const auto files = titled_mp3s(dir, {"One", "Two", "Three"});
    addon_test::SpawnOptions options;
    options.env = bus.Env();
    options.env["HOME"] = home;
    options.dropToUser = root ? kNobody : 0;
    std::vector<std::string> argv = {
        cvlc,     "-I",    "dummy",      "--control", "dbus",
        "--aout", "dummy", "--no-video", "--quiet",   "--start-paused"};
    argv.insert(argv.end(), files.begin(), files.end());
    ChildProcess vlc(tied_to_test(argv), options);

    FollowingPlayer player(dir, bus, {{"--follow=vlc"}});
    player.Ask("enable");
    ASSERT_TRUE(player.AskUntil("form", "= title One"));
    player.Ask("next");
    EXPECT_TRUE(player.AskUntil("form", "= title Two"));
    EXPECT_THAT(player.Ask("current"), Contains("= current 0 " + files[1]));
    EXPECT_EQ(player.Quit().exitStatus, 0);
}

}  // namespace
}  // namespace follow_test
