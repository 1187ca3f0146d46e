// The desktop's rating attribute as KDE's tools keep it, set with the attr tools. (Writing it
// is checked through the player, in the window's tests.)
#include <gtest/gtest.h>

#include <map>
#include <string>

#include <Node.h>

#include "TagsTestSupport.h"
#include "tags/desktop_rating.h"

using namespace tags_test;

namespace {

TEST(DesktopRating, OneToTenIsARatingAnythingElseIsNone) {
    TempDir dir;
    std::string path = dir.Write("song.mp3", "audio");
    {
        BNode node(path.c_str());
        EXPECT_EQ(0, get_desktop_rating(node));  // missing
    }
    const std::map<std::string, int32> cases = {{"6", 6},  {"10", 10}, {"1", 1},  {"0", 0},
                                                {"11", 0}, {"x", 0},   {"-2", 0}, {"", 0}};
    for (const auto &[value, rating] : cases) {
        ASSERT_TRUE(setfattr(path, DESKTOP_RATING_ATTR, value));
        BNode node(path.c_str());
        EXPECT_EQ(rating, get_desktop_rating(node)) << "\"" << value << "\"";
    }
}

}  // namespace
