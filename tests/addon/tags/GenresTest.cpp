// The genre tables and the lookups between names, genre ids and alpha indices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tags/genres.h"

namespace {

// Genre-menu order: byte order, except that the end of a name ranks after a space and before
// every other character.
bool menu_order(const std::string &a, const std::string &b) {
    auto rank = [](const std::string &s, size_t i) {
        if (i == s.size())
            return 0x20 * 2 + 1;  // between ' ' and '!'
        return static_cast<unsigned char>(s[i]) * 2;
    };
    for (size_t i = 0;; i++) {
        if (i == a.size() && i == b.size())
            return false;
        int ra = rank(a, i);
        int rb = rank(b, i);
        if (ra != rb)
            return ra < rb;
    }
}

std::vector<std::string> names(const char *const table[]) {
    return std::vector<std::string>(table, table + NUM_GENRES);
}

TEST(GenreTables, BothHoldTheSameNamesWithUnknownLast) {
    EXPECT_EQ(148, NUM_GENRES);
    EXPECT_EQ(148, UNKNOWN_GENRE_VALUE);
    EXPECT_STREQ("unknown", genres[NUM_GENRES]);
    EXPECT_STREQ("unknown", alphabetized_genres[NUM_GENRES]);
    std::vector<std::string> byId = names(genres);
    std::vector<std::string> byMenu = names(alphabetized_genres);
    std::sort(byId.begin(), byId.end());
    std::sort(byMenu.begin(), byMenu.end());
    EXPECT_EQ(byId, byMenu);
    EXPECT_EQ(byId.end(), std::find(byId.begin(), byId.end(), "unknown"));
}

TEST(GenreTables, MenuOrderIsGenreIdsSortedWithEndOfNameAfterSpace) {
    std::vector<std::string> expected = names(genres);
    std::stable_sort(expected.begin(), expected.end(), menu_order);
    EXPECT_EQ(expected, names(alphabetized_genres));
}

TEST(GenreTables, MenuOrderDiffersFromByteOrderInFivePlacesOnly) {
    // Every pair the menu lists against byte order: each is a name listed after the longer
    // names it begins, so five names move, "Acid" past two.
    std::vector<std::string> menu = names(alphabetized_genres);
    std::vector<std::pair<std::string, std::string>> inverted;
    for (int i = 0; i < NUM_GENRES; i++) {
        for (int j = i + 1; j < NUM_GENRES; j++) {
            if (std::strcmp(menu[j].c_str(), menu[i].c_str()) < 0)
                inverted.emplace_back(menu[i], menu[j]);
        }
    }
    std::vector<std::pair<std::string, std::string>> expected = {
        {"Acid Jazz", "Acid"},     {"Acid Punk", "Acid"}, {"Dance Hall", "Dance"},
        {"Gothic Rock", "Gothic"}, {"Punk Rock", "Punk"}, {"Rock & Roll", "Rock"}};
    EXPECT_EQ(expected, inverted);
}

TEST(GenreLookup, FindsFirstIdAndAlphaIndexOfEachName) {
    EXPECT_EQ(0, get_genre_id("Blues"));
    EXPECT_EQ(17, get_genre_id("Rock"));
    EXPECT_EQ(147, get_genre_id("Synthpop"));
    EXPECT_EQ(0, get_genre_alpha_index("A Capella"));
    EXPECT_EQ(118, get_genre_alpha_index("Rock"));
    EXPECT_EQ(147, get_genre_alpha_index("Vocal"));
    for (int id = 0; id < NUM_GENRES; id++) {
        uint8 found = get_genre_id(genres[id]);
        EXPECT_STREQ(genres[id], genres[found]);
        EXPECT_LE(found, id);
        EXPECT_STREQ(genres[id], alphabetized_genres[get_genre_alpha_index(genres[id])]);
    }
}

TEST(GenreLookup, FusionIsListedTwiceAndFoundFirst) {
    EXPECT_STREQ("Fusion", genres[30]);
    EXPECT_STREQ("Fusion", genres[84]);
    EXPECT_STREQ("Fusion", alphabetized_genres[57]);
    EXPECT_STREQ("Fusion", alphabetized_genres[58]);
    EXPECT_EQ(30, get_genre_id("Fusion"));
    EXPECT_EQ(57, get_genre_alpha_index("Fusion"));
    // A tag holding the second Fusion id still finds its menu item.
    EXPECT_EQ(57, get_genre_alpha_index(genres[84]));
}

TEST(GenreLookup, NamesOutsideTheTablesAreUnknown) {
    for (const char *name : {"unknown", "", "blues", "BLUES", "Blues ", "Rock&Roll", "Acid P"}) {
        EXPECT_EQ(UNKNOWN_GENRE_VALUE, get_genre_id(name)) << name;
        EXPECT_EQ(UNKNOWN_GENRE_VALUE, get_genre_alpha_index(name)) << name;
    }
    EXPECT_EQ(UNKNOWN_GENRE_VALUE, get_genre_id(nullptr));
    EXPECT_EQ(UNKNOWN_GENRE_VALUE, get_genre_alpha_index(nullptr));
}

}  // namespace
