// The remembered place of interface windows: the frames file as a hostile folder may hold
// it, and which kept places count as on a screen.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <Message.h>

#include "FrameStore.h"
#include "Player.h"
#include "TestFiles.h"

namespace {

using test_support::read_file;
using test_support::TempDir;
using test_support::write_file;

std::vector<std::string> names_in(const std::string &directory) {
    std::vector<std::string> names;
    DIR *folder = opendir(directory.c_str());
    while (dirent *entry = folder != nullptr ? readdir(folder) : nullptr) {
        if (entry->d_name[0] != '.')
            names.push_back(entry->d_name);
    }
    if (folder != nullptr)
        closedir(folder);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FrameStore, KeepingAFrameNeverWritesThroughALinkPlantedBesideTheFile) {
    TempDir dir;
    const std::string victim = dir.Write("victim", "not yours\n");
    const std::string frames = dir / "config/frames";
    ASSERT_EQ(mkdir((dir / "config").c_str(), 0700), 0);
    // The old fixed temporary name, and the file's own name, both links to the victim.
    ASSERT_EQ(symlink(victim.c_str(), (frames + ".new").c_str()), 0);
    ASSERT_EQ(symlink(victim.c_str(), frames.c_str()), 0);

    FrameStore store(frames);
    const Status kept = store.Keep("sp-brindle", BRect(10, 20, 310, 220));
    ASSERT_TRUE(kept.IsOK()) << kept.Text();
    EXPECT_EQ(read_file(victim), "not yours\n");
    EXPECT_EQ(read_file(frames), "sp-brindle 10 20 310 220\n");
    // The link at the file's name was replaced by the file, and no temporary is left.
    EXPECT_EQ(names_in(dir / "config"), (std::vector<std::string>{"frames", "frames.new"}));
}

// A display with one 1280x1024 screen and no player's window.
class OneScreen : public Display {
public:
    Status Screenshot(const std::string &) override { return Status(B_ERROR, "no screenshot"); }
    std::vector<BRect> ScreenFrames() override { return {BRect(0, 0, 1279, 1023)}; }
};

TEST(FrameStore, AKeptPlaceCountsOnlyWhenTheWindowAtItsOwnSizeIsSeen) {
    TempDir dir;
    OneScreen display;
    const BRect current(200, 200, 499, 399);  // 300 x 200, the window as made
    const std::string frames = dir / "frames";
    for (const auto &[kept, used] : std::vector<std::pair<std::string, bool>>{
             {"100 100 400 300", true},
             // The rectangle reaches the screen, but a window 200 high at y -5000 does not.
             {"100 -5000 400 300", false},
             {"90000 90000 90400 90200", false},
             {"1250 100 1550 300", false},  // 30 pixels wide on the screen: not enough to grab
         }) {
        write_file(frames, "sp-brindle " + kept + "\n");
        RememberedFrames place(frames, display);
        BMessage config;
        EXPECT_EQ(place.Place("sp-brindle", current, &config), used) << kept;
        EXPECT_EQ(config.HasRect("frame"), used) << kept;
    }
}

}  // namespace
