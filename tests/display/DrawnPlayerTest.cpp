// The real brindle-player with the real add-on, drawing its windows on Qt's offscreen
// platform: scripts drive the widgets as a person would (front-end commands), and what
// the widgets show, the models hold and the files keep is checked with tools we did
// not write (getfattr, TagLib, the PNG header).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "AddonHarness.h"

namespace {

using addon_test::ChildProcess;
using addon_test::drawn_options;
using addon_test::RunResult;
using addon_test::TempDir;

// Runs the player with the add-on on `script`, drawing its windows with `display` (an
// empty value counts as unset) unless `headless`.
RunResult run_drawn(const TempDir &dir, const std::string &script,
                    const std::vector<std::string> &files, bool headless = false,
                    const std::map<std::string, std::string> &display = {
                        {"QT_QPA_PLATFORM", "offscreen"}}) {
    std::vector<std::string> argv = {addon_test::player_path()};
    if (headless)
        argv.push_back("--headless");
    argv.insert(argv.end(), {"--add-on", addon_test::addon_path(), "--script",
                             dir.Write("script.txt", script)});
    argv.insert(argv.end(), files.begin(), files.end());
    return ChildProcess(argv, drawn_options(dir, display)).Finish();
}

// MP3 files with titles set as attributes, one per title.
std::vector<std::string> titled_files(const TempDir &dir, const std::vector<std::string> &titles) {
    std::vector<std::string> files;
    for (size_t i = 0; i < titles.size(); i++) {
        const std::string path = dir / ("song" + std::to_string(i) + ".mp3");
        addon_test::make_mp3(path);
        addon_test::set_string_attr(path, "Audio:Title", titles[i]);
        files.push_back(path);
    }
    return files;
}

std::vector<std::string> answers(const RunResult &result, const std::string &prefix) {
    return addon_test::lines_starting(result.OutLines(), prefix);
}

TEST(DrawnPlayer, TextTypedIntoTheTitleWidgetReachesTheModelAndTheFile) {
    TempDir dir;
    const std::vector<std::string> files = titled_files(dir, {"Old Title"});
    const RunResult result = run_drawn(dir,
                                       "enable\n"
                                       "widget-type title Typed By Hand\n"
                                       "form\n"
                                       "widget-state\n"
                                       "widget-press Save\n"
                                       "widget-state\n"
                                       "quit\n",
                                       files);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(addon_test::form_answers(result.OutLines())["title"], "Typed By Hand");
    // The status line under the form says what the load and the save did.
    EXPECT_EQ(answers(result, "= string status "),
              (std::vector<std::string>{"= string status song0.mp3",
                                        "= string status song0.mp3 \u2014 saved"}));
    const auto attributes = test_support::getfattr_all(files[0]);
    ASSERT_EQ(attributes.count("user.haiku.Audio:Title"), 1u);
    EXPECT_EQ(attributes.at("user.haiku.Audio:Title"), addon_test::stored_string("Typed By Hand"));
    EXPECT_EQ(addon_test::taglib_id3v1(files[0]).title, "Typed By Hand");
}

TEST(DrawnPlayer, AFileSwitchShowsTheNewFilesValuesInTheWidgets) {
    TempDir dir;
    const std::vector<std::string> files = titled_files(dir, {"First Song", "Second Song"});
    const RunResult result = run_drawn(dir,
                                       "enable\n"
                                       "widget-state\n"
                                       "next\n"
                                       "widget-state\n"
                                       "widget-prev\n"
                                       "widget-state\n"
                                       "quit\n",
                                       files);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(answers(result, "= text Title:"),
              (std::vector<std::string>{"= text Title: First Song", "= text Title: Second Song",
                                        "= text Title: First Song"}));
    EXPECT_EQ(answers(result, "= playlist "),
              (std::vector<std::string>{"= playlist 2 0", "= playlist 2 1", "= playlist 2 0"}));
}

TEST(DrawnPlayer, ChoosingAVolAdjustItemMovesTheVolumeSlider) {
    TempDir dir;
    const std::vector<std::string> files = titled_files(dir, {"Loud"});
    const RunResult result = run_drawn(dir,
                                       "enable\n"
                                       "slider\n"
                                       "widget-pick volume 3\n"
                                       "widget-state\n"
                                       "slider\n"
                                       "volume\n"
                                       "quit\n",
                                       files);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::vector<std::string> sliders = answers(result, "= slider ");
    ASSERT_EQ(sliders.size(), 2u);
    EXPECT_EQ(sliders[0], "= slider 1");
    EXPECT_NE(sliders[1], "= slider 1");
    // The slider shows what the playlist holds now.
    const std::vector<std::string> volumes = answers(result, "= volume ");
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_EQ(sliders[1].substr(9), volumes[0].substr(9));
    EXPECT_EQ(answers(result, "= popup Vol. Adjust:"),
              std::vector<std::string>{"= popup Vol. Adjust: 3"});
}

TEST(DrawnPlayer, DraggingTheSliderSetsThePlaylistVolume) {
    TempDir dir;
    const RunResult result =
        run_drawn(dir, "widget-volume 0.25\nvolume\nslider\n", titled_files(dir, {"A"}));
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(answers(result, "= volume "), std::vector<std::string>{"= volume 0.25"});
    EXPECT_EQ(answers(result, "= slider "), std::vector<std::string>{"= slider 0.25"});
}

TEST(DrawnPlayer, TheCloseBoxEndsTheInterface) {
    TempDir dir;
    const RunResult result = run_drawn(dir,
                                       "enable\n"
                                       "widget-close\n"
                                       "add-ons\n"
                                       "widget-state\n"
                                       "quit\n",
                                       titled_files(dir, {"A"}));
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::vector<std::string> lines = result.OutLines();
    EXPECT_EQ(addon_test::count_lines(lines, "Brindle - destroyplugin"), 1);
    // Ended before the next command ran, and its window is gone from the screen.
    const auto destroyed = std::find(lines.begin(), lines.end(), "Brindle - destroyplugin");
    const auto listed = std::find_if(lines.begin(), lines.end(), [](const std::string &line) {
        return line.rfind("= add-on ", 0) == 0;
    });
    EXPECT_LT(destroyed, listed);
    EXPECT_TRUE(answers(result, "= window ").empty());
}

// The PNG header's width and height (0, 0 when it is not a PNG).
std::pair<uint32_t, uint32_t> png_size(const std::string &bytes) {
    static const std::string kSignature("\x89PNG\r\n\x1a\n", 8);
    if (bytes.size() < 24 || bytes.compare(0, 8, kSignature) != 0 ||
        bytes.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    auto big_endian = [&](size_t at) {
        return (uint32_t(uint8_t(bytes[at])) << 24) | (uint32_t(uint8_t(bytes[at + 1])) << 16) |
               (uint32_t(uint8_t(bytes[at + 2])) << 8) | uint32_t(uint8_t(bytes[at + 3]));
    };
    return {big_endian(16), big_endian(20)};
}

TEST(DrawnPlayer, ScreenshotWritesAPngOfBothWindowsSideBySide) {
    TempDir dir;
    const std::string shot = dir / "shot.png";
    const std::string playerOnly = dir / "player.png";
    const RunResult result =
        run_drawn(dir, "screenshot " + playerOnly + "\nenable\nscreenshot " + shot + "\n",
                  titled_files(dir, {"A"}));
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const auto one = png_size(addon_test::read_file(playerOnly));
    const auto two = png_size(addon_test::read_file(shot));
    EXPECT_GE(one.first, 200u);
    EXPECT_GE(one.second, 100u);
    // The add-on's window stands beside the player's.
    EXPECT_GE(two.first, one.first + 200u);
    EXPECT_GE(two.second, one.second);
    EXPECT_LT(two.first, 10000u);
    EXPECT_GT(addon_test::file_size(shot), 2000);
}

TEST(DrawnPlayer, WithoutADisplayScreenshotsAndWidgetCommandsAreErrors) {
    TempDir dir;
    const std::string shot = dir / "shot.png";
    const RunResult headless = run_drawn(dir, "screenshot " + shot + "\n", {}, true);
    EXPECT_EQ(headless.exitStatus, 2);
    EXPECT_NE(headless.err.find("line 1:"), std::string::npos) << headless.err;
    const RunResult noDisplay =
        run_drawn(dir, "slider\n", {}, false,
                  {{"QT_QPA_PLATFORM", ""}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}});
    EXPECT_EQ(noDisplay.exitStatus, 2);
    EXPECT_NE(noDisplay.err.find("line 1:"), std::string::npos) << noDisplay.err;
    EXPECT_EQ(addon_test::file_size(shot), -1);
}

TEST(DrawnPlayer, BadFrontEndCommandsAreReportedWithTheirLine) {
    TempDir dir;
    const RunResult result =
        run_drawn(dir, "enable\nwidget-pick volume 99\n", titled_files(dir, {"A"}));
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_NE(result.err.find("line 2: widget-pick: no item \"99\""), std::string::npos)
        << result.err;
    // The interface was still ended cleanly.
    EXPECT_EQ(addon_test::count_lines(result.OutLines(), "Brindle - destroyplugin"), 1);
}

TEST(DrawnPlayer, TwoThousandRapidStepsEndShowingTheLastFile) {
    TempDir dir;
    const std::vector<std::string> files =
        titled_files(dir, {"Track One", "Track Two", "Track Three", "Track Four"});
    std::string script = "enable\n";
    for (int i = 0; i < 2000; i++)
        script += (i % 7 == 3) ? "prev\n" : "next\n";
    script += "widget-state\nform\nquit\n";
    const RunResult result = run_drawn(dir, script, files);
    ASSERT_FALSE(result.timedOut);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(answers(result, "= text Title:"),
              std::vector<std::string>{"= text Title: Track Four"});
    EXPECT_EQ(answers(result, "= playlist "), std::vector<std::string>{"= playlist 4 3"});
    EXPECT_EQ(addon_test::form_answers(result.OutLines())["title"], "Track Four");
}

}  // namespace

namespace {

TEST(DrawnPlayer, TheInterfacesMenuEnablesAndDisablesAnInterface) {
    TempDir dir;
    const RunResult result = run_drawn(dir,
                                       "widget-interface sp-brindle\n"
                                       "widget-state\n"
                                       "widget-interface sp-brindle\n"
                                       "widget-state\n"
                                       "widget-interface sp-nothing\n",
                                       titled_files(dir, {"Menu Song"}));
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_NE(result.err.find("line 5: widget-interface: no interface \"sp-nothing\""),
              std::string::npos)
        << result.err;
    const std::vector<std::string> lines = result.OutLines();
    EXPECT_EQ(addon_test::count_lines(lines, "Brindle - show"), 1);
    EXPECT_EQ(addon_test::count_lines(lines, "Brindle - destroyplugin"), 1);
    // Shown after the first choice, gone after the second.
    EXPECT_EQ(answers(result, "= window "), std::vector<std::string>{"= window Brindle"});
    EXPECT_EQ(answers(result, "= text Title:"),
              std::vector<std::string>{"= text Title: Menu Song"});
}

TEST(DrawnPlayer, QtIsLoadedOnlyWhenThePlayerDraws) {
    TempDir dir;
    const std::vector<std::string> files = titled_files(dir, {"Mapped"});
    for (const bool headless : {true, false}) {
        // A display is there either way; --headless alone keeps the front end out.
        addon_test::SpawnOptions options = drawn_options(dir);
        options.input = test_support::Input::kPipe;
        std::vector<std::string> argv = {addon_test::player_path(),
                                         "--add-on",
                                         addon_test::addon_path(),
                                         "--script",
                                         "-",
                                         files[0]};
        if (headless)
            argv.insert(argv.begin() + 1, "--headless");
        ChildProcess process(argv, options);
        process.Send("enable");
        ASSERT_TRUE(process.WaitForLine("Brindle - show"));
        // What the running player has mapped, while it waits for the next command.
        const std::string maps =
            addon_test::read_file("/proc/" + std::to_string(process.Pid()) + "/maps");
        EXPECT_EQ(maps.find("libQt6") == std::string::npos, headless);
        EXPECT_EQ(maps.find("/libbrindle-display.so") == std::string::npos, headless);
        process.CloseInput();
        EXPECT_EQ(process.Finish().exitStatus, 0);
    }
}

TEST(DrawnPlayer, WithoutAScriptTheWindowsStayUntilThePlayerIsEnded) {
    TempDir dir;
    ChildProcess process({addon_test::player_path(), "--add-on", addon_test::addon_path()},
                         drawn_options(dir));
    // Every interface is enabled and shown at start; standard input is not read.
    ASSERT_TRUE(process.WaitForLine("Brindle - show"));
    kill(process.Pid(), SIGTERM);
    const RunResult result = process.Finish();
    EXPECT_EQ(result.exitStatus, 128 + SIGTERM);
    EXPECT_EQ(addon_test::count_lines(result.OutLines(), "Brindle - destroyplugin"), 1);
}

}  // namespace

namespace {

// The lines between the first line equal to `from` and the next line equal to `to`.
std::vector<std::string> lines_between(const std::vector<std::string> &lines,
                                       const std::string &from, const std::string &to) {
    auto start = std::find(lines.begin(), lines.end(), from);
    if (start == lines.end())
        return {};
    auto end = std::find(start + 1, lines.end(), to);
    return std::vector<std::string>(start + 1, end);
}

TEST(DrawnPlayer, EnterInATextFieldSavesAndEscapeClosesTheWindow) {
    TempDir dir;
    const std::vector<std::string> files = titled_files(dir, {"Before"});
    const RunResult result = run_drawn(dir,
                                       "enable\n"
                                       "widget-type title After\n"
                                       "help widget-key\n"
                                       "widget-key title Return\n"
                                       "help widget-move\n"
                                       "widget-key artist Escape\n"
                                       "add-ons\n",
                                       files);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::vector<std::string> lines = result.OutLines();
    const std::vector<std::string> helps = answers(result, "= widget-");
    ASSERT_EQ(helps.size(), 2u);
    // Enter pressed Save: the form was written before the next command.
    const std::vector<std::string> saved = lines_between(lines, helps[0], helps[1]);
    EXPECT_EQ(addon_test::count_lines(saved, "Saved id3 info"), 1) << result.out;
    EXPECT_EQ(addon_test::taglib_id3v1(files[0]).title, "After");
    // Escape asked the window to close, and the player ended the interface.
    const std::vector<std::string> closed = lines_between(lines, helps[1],
                                                          "= add-on sp-brindle "
                                                          "\"Brindle User-interface\" "
                                                          "version 1 flags 16");
    EXPECT_EQ(addon_test::count_lines(closed, "PluginWindow::QuiteRequested"), 1) << result.out;
    EXPECT_EQ(addon_test::count_lines(closed, "Brindle - destroyplugin"), 1) << result.out;
}

// widget-geometry's answers of one call, by name: X, Y, width, height.
using Geometry = std::map<std::string, std::vector<int>>;

std::vector<Geometry> geometries(const RunResult &result) {
    std::vector<Geometry> calls;
    for (const std::string &line : answers(result, "= geometry ")) {
        std::istringstream words(line.substr(11));
        std::vector<int> numbers(4);
        std::string name;
        words >> numbers[0] >> numbers[1] >> numbers[2] >> numbers[3] >> std::ws;
        std::getline(words, name);
        if (name == "player")
            calls.emplace_back();
        if (!calls.empty())
            calls.back()[name] = numbers;
    }
    return calls;
}

TEST(DrawnPlayer, AWiderWindowWidensTheTextFieldsAndNothingGrowsInHeight) {
    TempDir dir;
    const RunResult result =
        run_drawn(dir,
                  // As small as the model allows, then much larger than it needs.
                  "enable\nsetconfig 10 10 11 11\nwidget-geometry\n"
                  "widget-resize 900 700\nwidget-geometry\n",
                  titled_files(dir, {"A"}));
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::vector<Geometry> calls = geometries(result);
    ASSERT_EQ(calls.size(), 2u) << result.out;
    Geometry before = calls[0];
    Geometry after = calls[1];
    ASSERT_EQ(after.count("Save"), 1u) << result.out;
    // The smallest window still holds the whole form, its margins too.
    EXPECT_LE(before["Save"][0] + before["Save"][2] + 8, before["window"][2]) << result.out;
    const int wider = after["window"][2] - before["window"][2];
    EXPECT_GT(wider, 100);
    EXPECT_EQ(after["window"][3], before["window"][3]);
    for (const char *field : {"Title:", "Album:", "Artist:"}) {
        EXPECT_EQ(after[field][2], before[field][2] + wider) << field;
        EXPECT_EQ(after[field][3], before[field][3]) << field;
    }
    for (const char *kept : {"Genre:", "Rating:", "Vol. Adjust:", "Save"}) {
        EXPECT_EQ(after[kept][2], before[kept][2]) << kept;
        EXPECT_EQ(after[kept][3], before[kept][3]) << kept;
    }
    // Save moved to the right edge, under the text fields' end.
    EXPECT_EQ(after["Save"][0] + after["Save"][2], after["Title:"][0] + after["Title:"][2]);
}

TEST(DrawnPlayer, TheWindowsPlaceIsKeptAcrossRunsAndAPlaceOffEveryScreenIsIgnored) {
    TempDir dir;
    const std::vector<std::string> files = titled_files(dir, {"A"});
    const std::string frames = addon_test::config_dir(dir) + "/brindle-player/frames";

    // A headless player neither reads nor writes the place.
    const RunResult headless = run_drawn(dir, "enable\ngetconfig\n", files, true);
    ASSERT_EQ(headless.exitStatus, 0) << headless.err;
    EXPECT_EQ(addon_test::count_lines(headless.OutLines(), "Brindle - setconfig"), 0);
    EXPECT_EQ(addon_test::file_size(frames), -1);

    // The first time the window opens beside the player's; moved, it is kept there.
    const RunResult first = run_drawn(dir, "enable\nwidget-geometry\nwidget-move 420 130\n", files);
    ASSERT_EQ(first.exitStatus, 0) << first.err;
    const std::vector<Geometry> placed = geometries(first);
    ASSERT_EQ(placed.size(), 1u) << first.out;
    Geometry shown = placed[0];
    EXPECT_GE(shown["window"][0], shown["player"][0] + shown["player"][2]);
    const std::string kept = addon_test::read_file(frames);
    EXPECT_EQ(kept.rfind("sp-brindle 420 130 ", 0), 0u) << kept;

    // The next run hands the kept frame to setconfig right after getplugin.
    const RunResult second = run_drawn(dir, "enable\ngetconfig\n", files);
    ASSERT_EQ(second.exitStatus, 0) << second.err;
    const std::vector<std::string> lines = second.OutLines();
    const std::vector<std::string> built =
        lines_between(lines, "Brindle - getplugin", "Brindle - show");
    ASSERT_FALSE(built.empty());
    EXPECT_EQ(built.back(), "Brindle - setconfig");
    EXPECT_EQ(answers(second, "= frame ").at(0), "= frame " + kept.substr(11, kept.size() - 12));

    // A place no screen shows is not used.
    addon_test::write_file(frames, "sp-brindle 90000 90000 90400 90200\n");
    const RunResult third = run_drawn(dir, "enable\ngetconfig\n", files);
    ASSERT_EQ(third.exitStatus, 0) << third.err;
    const std::vector<std::string> frame = answers(third, "= frame ");
    ASSERT_EQ(frame.size(), 1u);
    EXPECT_EQ(frame[0].find("90000"), std::string::npos) << frame[0];
}

TEST(DrawnPlayer, APlaceThatCannotBeKeptIsSaidInThePlayersWindow) {
    TempDir dir;
    // Where the frames file's folder should be, a file.
    ASSERT_EQ(mkdir(addon_test::config_dir(dir).c_str(), 0700), 0);
    addon_test::write_file(addon_test::config_dir(dir) + "/brindle-player", "");
    const RunResult result =
        run_drawn(dir, "enable\nwidget-close\nwidget-state\n", titled_files(dir, {"A"}));
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::vector<std::string> bar = answers(result, "= statusbar ");
    ASSERT_EQ(bar.size(), 1u) << result.out;
    EXPECT_EQ(bar[0].rfind("= statusbar cannot keep the place of sp-brindle's window: ", 0), 0u)
        << bar[0];
    EXPECT_NE(result.err.find("brindle-player: cannot keep the place of sp-brindle's window"),
              std::string::npos)
        << result.err;
}

}  // namespace
