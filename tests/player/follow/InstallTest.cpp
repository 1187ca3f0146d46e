// `cmake --install` into a prefix of the test's own, and the installed programs run from
// there: the player finds its add-on and the follow module, the launcher its app entry.
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FollowHarness.h"

namespace follow_test {
namespace {

using testing::HasSubstr;

bool is_file(const std::string &path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

class Install : public testing::Test {
protected:
    void SetUp() override {
        std::string output;
        ASSERT_EQ(test_support::run_command(
                      test_support::shell_quote(installed("cmake")) + " --install " +
                          test_support::shell_quote(BRINDLE_BUILD_DIR) + " --prefix " +
                          test_support::shell_quote(fPrefix.Path()) + " 2>&1",
                      &output),
                  0)
            << output;
    }

    std::string Path(const std::string &name) const { return fPrefix / name; }

    TempDir fDir;
    TempDir fPrefix;
};

TEST_F(Install, LaysOutThePrefixWithADesktopEntryThatFollows) {
    for (const char *name :
         {"bin/brindle-player", "bin/brindle", "lib/brindle/libbe.so", "lib/brindle/liblayout.so",
          "lib/brindle/brindle-follow.so", "lib/brindle/libbrindle-display.so",
          "lib/brindle/brindle-id3v2.so", "lib/brindle/brindle-formats.so",
          "lib/brindle/add-ons/brindle.so", "lib/brindle/apps/application%x-vnd.tarvik-soundplay",
          "share/applications/org.brindle.Brindle.desktop",
          "share/metainfo/org.brindle.Brindle.metainfo.xml",
          "share/icons/hicolor/scalable/apps/org.brindle.Brindle.svg",
          "share/man/man1/brindle-player.1.gz", "share/man/man1/brindle.1.gz"})
        EXPECT_TRUE(is_file(Path(name))) << name;
    EXPECT_THAT(test_support::read_file(Path("share/applications/org.brindle.Brindle.desktop")),
                HasSubstr("\nExec=brindle-player --follow\n"));
    // The installed player's libraries are the prefix's, not the build tree's.
    std::string libraries;
    test_support::run_command("ldd " + test_support::shell_quote(Path("bin/brindle-player")),
                              &libraries);
    EXPECT_THAT(libraries, HasSubstr("libbe.so => " + Path("bin/../lib/brindle/libbe.so")));
}

TEST_F(Install, InstalledPlayerFollowsWithItsOwnAddOnAndModule) {
    SessionBus bus;
    const auto files = titled_mp3s(fDir, {"One"});
    Mpv mpv(bus, files);
    FollowingPlayer player(fDir, bus, {{"--follow"}, false, false, Path("bin/brindle-player")});
    player.Ask("enable");
    EXPECT_TRUE(player.AskUntil("form", "= title One"));
    EXPECT_EQ(player.Quit().exitStatus, 0);
}

TEST_F(Install, InstalledLauncherStartsTheInstalledPlayer) {
    addon_test::PlayerReaper reaper{addon_test::runtime_dir(fDir), Path("bin/brindle-player")};
    // The player it starts draws (offscreen): without a display the launcher starts none.
    // It inherits the launcher's standard output.
    ChildProcess launcher({Path("bin/brindle")}, addon_test::drawn_options(fDir));
    EXPECT_TRUE(launcher.WaitForLine("Brindle - show")) << launcher.Output();
    EXPECT_EQ(addon_test::players_using(reaper.runtime, reaper.player).size(), 1u);
}

}  // namespace
}  // namespace follow_test
