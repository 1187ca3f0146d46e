#include "tags/genres.h"

#include <string>
#include <unordered_map>

// Indexed by genre id: the ID3v1 numbering (0-79) and its common extensions (80-147).
const char *const genres[NUM_GENRES + 1] = {
    "Blues",                   // 0
    "Classic Rock",            // 1
    "Country",                 // 2
    "Dance",                   // 3
    "Disco",                   // 4
    "Funk",                    // 5
    "Grunge",                  // 6
    "Hip-Hop",                 // 7
    "Jazz",                    // 8
    "Metal",                   // 9
    "New Age",                 // 10
    "Oldies",                  // 11
    "Other",                   // 12
    "Pop",                     // 13
    "R&B",                     // 14
    "Rap",                     // 15
    "Reggae",                  // 16
    "Rock",                    // 17
    "Techno",                  // 18
    "Industrial",              // 19
    "Alternative",             // 20
    "Ska",                     // 21
    "Death Metal",             // 22
    "Pranks",                  // 23
    "Soundtrack",              // 24
    "Euro-Techno",             // 25
    "Ambient",                 // 26
    "Trip-Hop",                // 27
    "Vocal",                   // 28
    "Jazz+Funk",               // 29
    "Fusion",                  // 30
    "Trance",                  // 31
    "Classical",               // 32
    "Instrumental",            // 33
    "Acid",                    // 34
    "House",                   // 35
    "Game",                    // 36
    "Sound Clip",              // 37
    "Gospel",                  // 38
    "Noise",                   // 39
    "Alt. Rock",               // 40
    "Bass",                    // 41
    "Soul",                    // 42
    "Punk",                    // 43
    "Space",                   // 44
    "Meditative",              // 45
    "Instrum. Pop",            // 46
    "Instrum. Rock",           // 47
    "Ethnic",                  // 48
    "Gothic",                  // 49
    "Darkwave",                // 50
    "Techno-Indust.",          // 51
    "Electronic",              // 52
    "Pop-Folk",                // 53
    "Eurodance",               // 54
    "Dream",                   // 55
    "Southern Rock",           // 56
    "Comedy",                  // 57
    "Cult",                    // 58
    "Gangsta",                 // 59
    "Top 40",                  // 60
    "Christian Rap",           // 61
    "Pop/Funk",                // 62
    "Jungle",                  // 63
    "Native American",         // 64
    "Cabaret",                 // 65
    "New Wave",                // 66
    "Psychadelic",             // 67
    "Rave",                    // 68
    "Showtunes",               // 69
    "Trailer",                 // 70
    "Lo-Fi",                   // 71
    "Tribal",                  // 72
    "Acid Punk",               // 73
    "Acid Jazz",               // 74
    "Polka",                   // 75
    "Retro",                   // 76
    "Musical",                 // 77
    "Rock & Roll",             // 78
    "Hard Rock",               // 79
    "Folk",                    // 80
    "Folk/Rock",               // 81
    "National Folk",           // 82
    "Swing",                   // 83
    "Fusion",                  // 84
    "Bebob",                   // 85
    "Latin",                   // 86
    "Revival",                 // 87
    "Celtic",                  // 88
    "Bluegrass",               // 89
    "Avantgarde",              // 90
    "Gothic Rock",             // 91
    "Progress. Rock",          // 92
    "Psychadel. Rock",         // 93
    "Symphonic Rock",          // 94
    "Slow Rock",               // 95
    "Big Band",                // 96
    "Chorus",                  // 97
    "Easy Listening",          // 98
    "Acoustic",                // 99
    "Humour",                  // 100
    "Speech",                  // 101
    "Chanson",                 // 102
    "Opera",                   // 103
    "Chamber Music",           // 104
    "Sonata",                  // 105
    "Symphony",                // 106
    "Booty Bass",              // 107
    "Primus",                  // 108
    "Porn Groove",             // 109
    "Satire",                  // 110
    "Slow Jam",                // 111
    "Club",                    // 112
    "Tango",                   // 113
    "Samba",                   // 114
    "Folklore",                // 115
    "Ballad",                  // 116
    "Power Ballad",            // 117
    "Rhythmic Soul",           // 118
    "Freestyle",               // 119
    "Duet",                    // 120
    "Punk Rock",               // 121
    "Drum Solo",               // 122
    "A Capella",               // 123
    "Euro-House",              // 124
    "Dance Hall",              // 125
    "Goa",                     // 126
    "Drum & Bass",             // 127
    "Club-House",              // 128
    "Hardcore",                // 129
    "Terror",                  // 130
    "Indie",                   // 131
    "BritPop",                 // 132
    "Negerpunk",               // 133
    "Polsk Punk",              // 134
    "Beat",                    // 135
    "Christian Gangsta Rap",   // 136
    "Heavy Metal",             // 137
    "Black Metal",             // 138
    "Crossover",               // 139
    "Contemporary Christian",  // 140
    "Christian Rock",          // 141
    "Merengue",                // 142
    "Salsa",                   // 143
    "Thrash Metal",            // 144
    "Anime",                   // 145
    "Jpop",                    // 146
    "Synthpop",                // 147
    "unknown",                 // 148
};

// The same names in Genre-menu order: byte order, except that the end of a name ranks after
// a space and before any other character ("Acid Punk" before "Acid").
const char *const alphabetized_genres[NUM_GENRES + 1] = {
    "A Capella",               // 0
    "Acid Jazz",               // 1
    "Acid Punk",               // 2
    "Acid",                    // 3
    "Acoustic",                // 4
    "Alt. Rock",               // 5
    "Alternative",             // 6
    "Ambient",                 // 7
    "Anime",                   // 8
    "Avantgarde",              // 9
    "Ballad",                  // 10
    "Bass",                    // 11
    "Beat",                    // 12
    "Bebob",                   // 13
    "Big Band",                // 14
    "Black Metal",             // 15
    "Bluegrass",               // 16
    "Blues",                   // 17
    "Booty Bass",              // 18
    "BritPop",                 // 19
    "Cabaret",                 // 20
    "Celtic",                  // 21
    "Chamber Music",           // 22
    "Chanson",                 // 23
    "Chorus",                  // 24
    "Christian Gangsta Rap",   // 25
    "Christian Rap",           // 26
    "Christian Rock",          // 27
    "Classic Rock",            // 28
    "Classical",               // 29
    "Club",                    // 30
    "Club-House",              // 31
    "Comedy",                  // 32
    "Contemporary Christian",  // 33
    "Country",                 // 34
    "Crossover",               // 35
    "Cult",                    // 36
    "Dance Hall",              // 37
    "Dance",                   // 38
    "Darkwave",                // 39
    "Death Metal",             // 40
    "Disco",                   // 41
    "Dream",                   // 42
    "Drum & Bass",             // 43
    "Drum Solo",               // 44
    "Duet",                    // 45
    "Easy Listening",          // 46
    "Electronic",              // 47
    "Ethnic",                  // 48
    "Euro-House",              // 49
    "Euro-Techno",             // 50
    "Eurodance",               // 51
    "Folk",                    // 52
    "Folk/Rock",               // 53
    "Folklore",                // 54
    "Freestyle",               // 55
    "Funk",                    // 56
    "Fusion",                  // 57
    "Fusion",                  // 58
    "Game",                    // 59
    "Gangsta",                 // 60
    "Goa",                     // 61
    "Gospel",                  // 62
    "Gothic Rock",             // 63
    "Gothic",                  // 64
    "Grunge",                  // 65
    "Hard Rock",               // 66
    "Hardcore",                // 67
    "Heavy Metal",             // 68
    "Hip-Hop",                 // 69
    "House",                   // 70
    "Humour",                  // 71
    "Indie",                   // 72
    "Industrial",              // 73
    "Instrum. Pop",            // 74
    "Instrum. Rock",           // 75
    "Instrumental",            // 76
    "Jazz",                    // 77
    "Jazz+Funk",               // 78
    "Jpop",                    // 79
    "Jungle",                  // 80
    "Latin",                   // 81
    "Lo-Fi",                   // 82
    "Meditative",              // 83
    "Merengue",                // 84
    "Metal",                   // 85
    "Musical",                 // 86
    "National Folk",           // 87
    "Native American",         // 88
    "Negerpunk",               // 89
    "New Age",                 // 90
    "New Wave",                // 91
    "Noise",                   // 92
    "Oldies",                  // 93
    "Opera",                   // 94
    "Other",                   // 95
    "Polka",                   // 96
    "Polsk Punk",              // 97
    "Pop",                     // 98
    "Pop-Folk",                // 99
    "Pop/Funk",                // 100
    "Porn Groove",             // 101
    "Power Ballad",            // 102
    "Pranks",                  // 103
    "Primus",                  // 104
    "Progress. Rock",          // 105
    "Psychadel. Rock",         // 106
    "Psychadelic",             // 107
    "Punk Rock",               // 108
    "Punk",                    // 109
    "R&B",                     // 110
    "Rap",                     // 111
    "Rave",                    // 112
    "Reggae",                  // 113
    "Retro",                   // 114
    "Revival",                 // 115
    "Rhythmic Soul",           // 116
    "Rock & Roll",             // 117
    "Rock",                    // 118
    "Salsa",                   // 119
    "Samba",                   // 120
    "Satire",                  // 121
    "Showtunes",               // 122
    "Ska",                     // 123
    "Slow Jam",                // 124
    "Slow Rock",               // 125
    "Sonata",                  // 126
    "Soul",                    // 127
    "Sound Clip",              // 128
    "Soundtrack",              // 129
    "Southern Rock",           // 130
    "Space",                   // 131
    "Speech",                  // 132
    "Swing",                   // 133
    "Symphonic Rock",          // 134
    "Symphony",                // 135
    "Synthpop",                // 136
    "Tango",                   // 137
    "Techno",                  // 138
    "Techno-Indust.",          // 139
    "Terror",                  // 140
    "Thrash Metal",            // 141
    "Top 40",                  // 142
    "Trailer",                 // 143
    "Trance",                  // 144
    "Tribal",                  // 145
    "Trip-Hop",                // 146
    "Vocal",                   // 147
    "unknown",                 // 148
};

namespace {

// The name with ASCII letters in lower case, as strcasecmp compares them; other bytes stay.
std::string ascii_lower(const char *name) {
    std::string lower(name);
    for (char &c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

// A genre table's names to their first index, built once: the form looks up a label on every
// load and save, and a scan of NUM_GENRES names each time showed in the step's profile. Entry
// NUM_GENRES ("unknown") is never a key: it names no genre. The first of two equal names
// (Fusion) keeps its index.
using GenreIndex = std::unordered_map<std::string, uint8>;

GenreIndex index_genres(const char *const table[], bool foldCase) {
    GenreIndex index;
    for (int32 i = 0; i < NUM_GENRES; i++)
        index.emplace(foldCase ? ascii_lower(table[i]) : table[i], static_cast<uint8>(i));
    return index;
}

uint8 find_genre(const GenreIndex &index, const std::string &name) {
    auto found = index.find(name);
    return found == index.end() ? UNKNOWN_GENRE_VALUE : found->second;
}

}  // namespace

uint8 get_genre_id(const char *name) {
    static const GenreIndex index = index_genres(genres, false);
    return name == nullptr ? UNKNOWN_GENRE_VALUE : find_genre(index, name);
}

uint8 get_genre_id_ignoring_case(const char *name) {
    static const GenreIndex index = index_genres(genres, true);
    return name == nullptr ? UNKNOWN_GENRE_VALUE : find_genre(index, ascii_lower(name));
}

uint8 get_genre_alpha_index(const char *name) {
    static const GenreIndex index = index_genres(alphabetized_genres, false);
    return name == nullptr ? UNKNOWN_GENRE_VALUE : find_genre(index, name);
}
