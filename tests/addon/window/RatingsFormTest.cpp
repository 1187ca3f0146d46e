// Ratings through the real player, in every convention other programs write: each read on its
// own scale, kept byte for byte by a Save that leaves Rating alone, and given the person's
// rating in each (and in those the players people use read) when they pick one. Tags are made
// and read back by mutagen.
#include <gtest/gtest.h>

#include "AddonHarness.h"
#include "Id3v2Files.h"

using namespace addon_test;
using test_support::mutagen_read;
using test_support::mutagen_read_other;
using test_support::mutagen_tag;
using test_support::mutagen_tag_other;

namespace {

const std::string kWmp = "Windows Media Player 9 Series";

// KDE's table, byte by byte: 1 from a writer other than KDE is 2; then 0.032 x byte + 2.
TEST(RatingsForm, PopmOnlyRatingsReadAsKdesTableAndATitleSaveLeavesThem) {
    TempDir dir;
    const std::vector<std::pair<std::string, std::string>> shown = {
        {"1", "2"}, {"64", "4"}, {"128", "6"}, {"196", "8"}, {"242", "9"}, {"255", "10"}};
    std::vector<std::string> paths;
    std::string script = "enable\n";
    for (const auto &[byte, rating] : shown) {
        paths.push_back(dir / ("popm" + byte + ".mp3"));
        make_mp3(paths.back());
        mutagen_tag(paths.back(), {{"title", "Old"}, {"popm", kWmp + ":" + byte + ":5"}});
        script += "form\nset title New\nsave\nnext\n";
    }

    RunResult result = run_player(dir, script, paths);
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    for (size_t i = 0; i < shown.size(); i++) {
        EXPECT_EQ(form_answers(result.OutLines(), i)["rating"], shown[i].second) << paths[i];
        auto tag = mutagen_read(paths[i]);
        EXPECT_EQ(tag["TIT2"], "New");
        EXPECT_EQ(tag["POPM:" + kWmp], shown[i].first + " 5") << paths[i];
        EXPECT_EQ(getfattr_all(paths[i]).count("user.baloo.rating"), 0u);
    }
}

// What other programs stored as "not rated", or on a scale of their own, that the form shows
// as an unrated "1": a title Save keeps each byte for byte; a picked Rating reaches each one
// on its own scale and type, play counter kept.
TEST(RatingsForm, UnchangedRatingsKeepTheirBytesAndAPickedOneReachesEachConvention) {
    TempDir dir;
    const std::string mp3 = dir / "popm0.mp3", flac = dir / "five.flac", opus = dir / "nan.opus",
                      m4a = dir / "rate255.m4a";
    make_mp3(mp3);
    mutagen_tag(mp3, {{"title", "Old"}, {"popm", kWmp + ":0:7"}});
    make_audio(flac, "flac");
    mutagen_tag_other(flac, {{"title", "Old"}, {"RATING", "4"}});
    make_audio(opus, "opus");
    mutagen_tag_other(opus, {{"title", "Old"}, {"FMPS_RATING", "NaN"}});
    make_audio(m4a, "m4a");
    mutagen_tag_other(m4a, {{"title", "Old"}, {"rate", "int:255"}});
    const std::vector<std::string> paths = {mp3, flac, opus, m4a};

    auto titled = run_player(dir,
                             "enable\nset title A\nsave\nnext\nset title A\nsave\nnext\n"
                             "set title A\nsave\nnext\nset title A\nsave\n",
                             paths);
    ASSERT_EQ(titled.exitStatus, 0) << titled.err;
    EXPECT_EQ(mutagen_read(mp3)["POPM:" + kWmp], "0 7");
    EXPECT_EQ(mutagen_read_other(flac)["RATING"], "4");
    EXPECT_EQ(mutagen_read_other(opus)["FMPS_RATING"], "NaN");
    auto rate = mutagen_read_other(m4a);
    EXPECT_EQ(rate["title"], "A");
    EXPECT_EQ(rate["rate.data"], "000000150000000000ff");  // integer 255
    for (const std::string &path : paths) {
        EXPECT_EQ(getfattr_all(path).count("user.baloo.rating"), 0u) << path;
        EXPECT_EQ(getfattr_all(path)["user.haiku.Audio:Rating"], stored_int32(1)) << path;
    }

    auto rated = run_player(dir,
                            "enable\npick rating 6\nsave\nnext\npick rating 6\nsave\nnext\n"
                            "pick rating 6\nsave\nnext\npick rating 6\nsave\n",
                            paths);
    ASSERT_EQ(rated.exitStatus, 0) << rated.err;
    EXPECT_EQ(mutagen_read(mp3)["POPM:" + kWmp], "128 7");
    EXPECT_EQ(mutagen_read_other(flac)["RATING"], "60");
    EXPECT_EQ(mutagen_read_other(opus)["FMPS_RATING"], "0.6");
    rate = mutagen_read_other(m4a);
    EXPECT_EQ(rate["rate.data"], "0000001500000000003c");  // still an integer: 60
    for (const std::string &path : paths)
        EXPECT_EQ(getfattr_all(path)["user.baloo.rating"], "6") << path;
}

// A file nobody rated, rated in the form: beside KDE's own convention, what Strawberry,
// Clementine and Lollypop read (FMPS), and for Vorbis comments Quod Libet's own.
class RatingsCreated : public ::testing::TestWithParam<std::string> {};

TEST_P(RatingsCreated, ARatedFileCarriesEveryConventionThePlayersRead) {
    TempDir dir;
    const std::string path = dir / ("song." + GetParam());
    make_audio(path, GetParam());

    RunResult result = run_player(dir, "enable\npick rating 8\nsave\n", {path});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    auto tag = mutagen_read_other(path);
    if (GetParam() == "m4a") {
        EXPECT_EQ(tag["rate"], "80");
        EXPECT_EQ(tag["FMPS_Rating"], "0.8");
    } else {
        EXPECT_EQ(tag["RATING"], "80");
        EXPECT_EQ(tag["FMPS_RATING"], "0.8");
        EXPECT_EQ(tag["RATING:QUODLIBET@LISTS.SACREDCHAO.NET"], "0.8");
    }
    EXPECT_EQ(getfattr_all(path)["user.baloo.rating"], "8");
}

INSTANTIATE_TEST_SUITE_P(Formats, RatingsCreated, ::testing::Values("flac", "opus", "m4a"),
                         [](const auto &info) { return info.param; });

}  // namespace
