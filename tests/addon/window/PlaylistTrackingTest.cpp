// Following the player's first playlist: attaching and detaching, and the volume
// adjustment each file brings.
#include <gtest/gtest.h>

#include "AddonHarness.h"

using namespace addon_test;

namespace {

std::string text_file(const TempDir &dir, const std::string &name, int volumeAdjustment) {
    std::string path = dir / name;
    write_file(path, "plain text\n");
    set_int32_attr(path, "Audio:VolumeAdjustment", volumeAdjustment);
    return path;
}

std::vector<std::string> volume_lines(const std::vector<std::string> &lines) {
    std::vector<std::string> found;
    for (const std::string &line : lines) {
        if (line.compare(0, 22, "Volume adjusted from: ") == 0 ||
            line.compare(0, 17, "changing vol from") == 0 || line.compare(0, 9, "= volume ") == 0)
            found.push_back(line);
    }
    return found;
}

}  // namespace

TEST(VolumeAdjustment, IsClampedToTwoAndToZero) {
    TempDir dir;
    std::string up = text_file(dir, "up.txt", 2);
    std::string down = text_file(dir, "down.txt", -4);
    std::string gentle = text_file(dir, "gentle.txt", -3);

    RunResult result = run_player(dir,
                                  "volume 1.9\n"
                                  "enable\n"
                                  "volume\n"
                                  "volume 0.1\n"
                                  "next\n"
                                  "volume\n"
                                  "volume 2.5\n"
                                  "next\n"
                                  "volume\n",
                                  {up, down, gentle});
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(volume_lines(result.OutLines()),
              (std::vector<std::string>{
                  "Volume adjusted from: 0 to 2",
                  "changing vol from 1.900000 to 2.000000",
                  "= volume 2",
                  "Volume adjusted from: 2 to -4",
                  "changing vol from 0.100000 to 0.000000",
                  "= volume 0",
                  // Above 2.0, even a step up from -4 to -3 lands on 2.0.
                  "Volume adjusted from: -4 to -3",
                  "changing vol from 2.500000 to 2.000000",
                  "= volume 2",
                  // Closing gives back what was applied: +0.1, -0.1 and -0.5 (clamped),
                  // which from 2.0 is again clamped at 2.0.
                  "changing vol from 2.000000 to 2.000000",
              }))
        << result.out;
}

TEST(VolumeAdjustment, EqualAdjustmentsChangeNoVolume) {
    TempDir dir;
    std::string first = text_file(dir, "first.txt", 3);
    std::string second = text_file(dir, "second.txt", 3);
    RunResult result = run_player(dir, "enable\nnext\nvolume\n", {first, second});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(volume_lines(result.OutLines()), (std::vector<std::string>{
                                                   "Volume adjusted from: 0 to 3",
                                                   "changing vol from 1.000000 to 1.750000",
                                                   "Volume adjusted from: 3 to 3",
                                                   "= volume 1.75",
                                                   "changing vol from 1.750000 to 1.000000",
                                               }))
        << result.out;
}

TEST(VolumeAdjustment, AFirstFileThatCannotBeOpenedChangesNoVolume) {
    TempDir dir;
    std::string missing = dir / "missing.mp3";
    RunResult result = run_player(dir, "enable\nform\nvolume\n", {missing});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.OutLines();
    EXPECT_EQ(count_lines(lines, "Switching files"), 1);
    // The form keeps the "0" it was built with, so the playlist volume stays.
    EXPECT_EQ(count_lines(lines, "Volume adjusted from: 0 to 0"), 1) << result.out;
    EXPECT_TRUE(lines_starting(lines, "changing vol from").empty());
    EXPECT_EQ(form_answers(lines)["volume"], "0");
    EXPECT_EQ(lines.end()[-3], "= volume 1");
    EXPECT_EQ(file_size(missing), -1);
}

TEST(VolumeAdjustment, PickedWhileDetachedChangesNoVolumeAndAPlaylistStartsFromZero) {
    TempDir dir;
    std::string plain = dir / "plain.txt";
    write_file(plain, "plain text\n");
    RunResult result = run_player(dir,
                                  "enable\n"
                                  "pick volume 2\n"
                                  "add " +
                                      plain +
                                      "\n"
                                      "goto 0\n"
                                      "volume\n",
                                  {});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    // The pick changes no volume (nothing is watched), and the playlist attached later
    // starts from adjustment 0: loading a file with adjustment 0 changes nothing.
    EXPECT_EQ(volume_lines(result.OutLines()), (std::vector<std::string>{
                                                   "Volume adjusted from: 0 to 2",
                                                   "Volume adjusted from: 0 to 0",
                                                   "= volume 1",
                                               }))
        << result.out;
}

TEST(VolumeAdjustment, CloseAndReopenLeaveTheVolumeWhereItWas) {
    TempDir dir;
    std::string up = text_file(dir, "up.txt", 1);
    std::string down = text_file(dir, "down.txt", -2);
    RunResult result = run_player(dir,
                                  "enable\nvolume\nclose\nvolume\n"
                                  "enable\nvolume\nclose\nvolume\n"
                                  "next\nenable\nvolume\nclose\nvolume\n",
                                  {up, down});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(lines_starting(result.OutLines(), "= volume "),
              (std::vector<std::string>{"= volume 1.25", "= volume 1", "= volume 1.25",
                                        "= volume 1", "= volume 0.5", "= volume 1"}))
        << result.out;
}

TEST(PlaylistTracking, LostControlsDetachesAndNewControlsAttachAgain) {
    TempDir dir;
    std::string first = text_file(dir, "first.txt", 2);
    std::string later = text_file(dir, "later.txt", 0);
    RunResult result = run_player(dir,
                                  "enable\n"
                                  "close-playlist\n"
                                  "new-playlist\n"
                                  "add " +
                                      later +
                                      "\n"
                                      "goto 0\n"
                                      "form\n"
                                      "volume\n",
                                  {first});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.OutLines();
    auto closed =
        std::find(lines.begin(), lines.end(), "PluginWindow::Impl::playlistLostControls() called");
    ASSERT_NE(closed, lines.end()) << result.out;
    std::vector<std::string> rest(closed, lines.end());
    rest.resize(std::min<size_t>(rest.size(), 8));
    EXPECT_EQ(rest, (std::vector<std::string>{
                        "PluginWindow::Impl::playlistLostControls() called",
                        "PluginWindow::Impl::controlsAdded() called",
                        "PluginWindow::Impl::controlsAdded: no playlist available",
                        "PluginWindow::Impl::controlsAdded() called",
                        "Getting pointer to first play list",
                        // The form still holds first.txt, unchanged: nothing to save.
                        "PluginWindow::Impl::playlistCurrent() called",
                        "PluginWindow::Impl::playlistCurrent() called",
                        "playlist item path: " + later,
                    }))
        << result.out;
    EXPECT_EQ(count_lines(lines, "Switching files"), 2);
    // The new playlist starts from adjustment 0, not from first.txt's +2.
    EXPECT_EQ(volume_lines(lines), (std::vector<std::string>{
                                       "Volume adjusted from: 0 to 2",
                                       "changing vol from 1.000000 to 1.500000",
                                       "Volume adjusted from: 0 to 0",
                                       "= volume 0",  // the form's Vol. Adjust
                                       "= volume 1",
                                   }));
}

TEST(PlaylistTracking, NewControlsWhileAttachedAreIgnored) {
    TempDir dir;
    std::string first = text_file(dir, "first.txt", 0);
    RunResult result = run_player(dir, "enable\nnew-playlist\n", {first});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> lines = result.OutLines();
    auto ignored = std::find(lines.begin(), lines.end(),
                             "Ignoring new controls (we are already watching a playlist)");
    ASSERT_NE(ignored, lines.end()) << result.out;
    ASSERT_LT(ignored + 1, lines.end());
    // The watched playlist's address: lower-case hex, no prefix, no leading zeros.
    const std::string kPrefix = "Current playlsit ptr is: ";
    const std::string &pointer = *(ignored + 1);
    ASSERT_EQ(pointer.compare(0, kPrefix.size(), kPrefix), 0) << pointer;
    std::string digits = pointer.substr(kPrefix.size());
    EXPECT_FALSE(digits.empty());
    EXPECT_NE(digits[0], '0') << pointer;
    EXPECT_EQ(digits.find_first_not_of("0123456789abcdef"), std::string::npos) << pointer;
    EXPECT_EQ(*(ignored + 2), "Brindle - destroyplugin");
    EXPECT_EQ(count_lines(lines, "PluginWindow::Impl::controlsAdded() called"), 2);
}
