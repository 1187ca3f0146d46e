// The player's view of the add-on: its descriptor, its exports, the lines each entry
// point prints, and the window's frame through setconfig/getconfig.
#include <gtest/gtest.h>

#include <cstdlib>

#include "AddonHarness.h"

using namespace addon_test;

namespace {

const std::vector<std::string> kConstructionWithoutPlaylist = {
    "Brindle - getplugin",
    "PluginWindow constructor",
    "PluginWindow::Impl::controlsAdded() called",
    "PluginWindow::Impl::controlsAdded: no playlist available",
    "Brindle - show",
};

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The four numbers of a "= frame L T R B" answer.
std::vector<double> frame_numbers(const std::string &answer) {
    std::vector<double> numbers;
    const char *text = answer.c_str() + strlen("= frame");
    char *end;
    for (int i = 0; i < 4; i++) {
        numbers.push_back(strtod(text, &end));
        if (end == text)
            return {};
        text = end;
    }
    return numbers;
}

}  // namespace

TEST(EntryPoints, PlayerListsOneDescriptorWithTheAddonsValues) {
    TempDir dir;
    RunResult result = run_player(dir, "add-ons\n");
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.OutLines(),
              (std::vector<std::string>{
                  "Brindle - get_plugin_list",
                  "= add-on sp-brindle \"Brindle User-interface\" version 1 flags 16",
              }));
}

TEST(EntryPoints, ImageExportsOnlyGetPluginList) {
    ChildProcess nm({"/usr/bin/nm", "-D", "--defined-only", addon_path()});
    RunResult result = nm.Finish();
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> names;
    for (const std::string &line : result.OutLines()) {
        std::string::size_type space = line.rfind(' ');
        names.push_back(space == std::string::npos ? line : line.substr(space + 1));
    }
    EXPECT_EQ(names, std::vector<std::string>{"get_plugin_list"});
}

TEST(EntryPoints, EnableWithoutPlaylistBuildsADetachedWindow) {
    TempDir dir;
    RunResult result = run_player(dir, "enable\nquit\n");
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.OutLines(), concat({{"Brindle - get_plugin_list"},
                                         kConstructionWithoutPlaylist,
                                         {"Brindle - destroyplugin", "PluginWindow destructor"}}));
}

TEST(EntryPoints, FreshFormShowsNoGenreAndNoVolumeChange) {
    TempDir dir;
    RunResult result = run_player(dir, "enable\nform\n");
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::map<std::string, std::string> form = form_answers(result.OutLines());
    EXPECT_EQ(form, (std::map<std::string, std::string>{{"title", ""},
                                                        {"album", ""},
                                                        {"artist", ""},
                                                        {"genre", "unknown"},
                                                        {"rating", ""},
                                                        {"volume", "0"}}));
}

TEST(EntryPoints, MenusHoldTheirItemsInOrder) {
    TempDir dir;
    RunResult result = run_player(dir, "enable\nitems genre\nitems rating\nitems volume\n");
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> items = lines_starting(result.OutLines(), "= item ");
    ASSERT_EQ(items.size(), 149u + 10u + 9u);

    std::vector<std::string> genre(items.begin(), items.begin() + 149);
    EXPECT_EQ(genre.front(), "= item A Capella");
    EXPECT_EQ(genre[147], "= item Vocal");
    EXPECT_EQ(genre.back(), "= item unknown");
    // The menu order ranks the end of a name after a space: "Acid Punk" before "Acid".
    EXPECT_EQ(genre[2], "= item Acid Punk");
    EXPECT_EQ(genre[3], "= item Acid");
    EXPECT_EQ(count_lines(genre, "= item Fusion"), 2);

    std::vector<std::string> rating(items.begin() + 149, items.begin() + 159);
    std::vector<std::string> volume(items.begin() + 159, items.end());
    for (int i = 0; i < 10; i++)
        EXPECT_EQ(rating[i], "= item " + std::to_string(i + 1));
    for (int i = 0; i < 9; i++)
        EXPECT_EQ(volume[i], "= item " + std::to_string(i - 4));
}

TEST(EntryPoints, ShowHideAndConfigCallsPrintTheirLinesAndKeepTheFrame) {
    TempDir dir;
    RunResult result = run_player(dir, "enable\ngetconfig\nsetconfig\ngetconfig\nhide\nshow\n");
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    std::vector<std::string> frames = lines_starting(result.OutLines(), "= frame ");
    ASSERT_EQ(frames.size(), 2u) << result.out;
    // Built at (200, 200), sized to its contents; a message without "frame" moves nothing.
    std::vector<double> built = frame_numbers(frames[0]);
    ASSERT_EQ(built.size(), 4u) << frames[0];
    EXPECT_EQ(built[0], 200);
    EXPECT_EQ(built[1], 200);
    EXPECT_GT(built[2], built[0]);
    EXPECT_GT(built[3], built[1]);
    EXPECT_EQ(frames[1], frames[0]);

    std::vector<std::string> lines = result.OutLines();
    auto shown = std::find(lines.begin(), lines.end(), "Brindle - show");
    ASSERT_NE(shown, lines.end());
    EXPECT_EQ(std::vector<std::string>(shown + 1, lines.end()), (std::vector<std::string>{
                                                                    "Brindle - getconfig",
                                                                    frames[0],
                                                                    "Brindle - setconfig",
                                                                    "Brindle - getconfig",
                                                                    frames[0],
                                                                    "Brindle - hide",
                                                                    "Brindle - show",
                                                                    "Brindle - destroyplugin",
                                                                    "PluginWindow destructor",
                                                                }));
}
