// The genre names, in two orders.
//
// A genre id is a position in `genres`: the ID3v1 numbering kept as one byte in a tag. An
// alpha index is a position in `alphabetized_genres`: the order of the Genre menu. Both tables
// hold NUM_GENRES names followed by "unknown"; "Fusion" occurs twice in each (ids 30 and 84,
// alpha indices 57 and 58). The lookups between names and positions are below.
#ifndef BRINDLE_TAGS_GENRES_H
#define BRINDLE_TAGS_GENRES_H

#include <SupportDefs.h>

constexpr int32 NUM_GENRES = 148;

// No genre, both as a genre id and as an alpha index; as an alpha index it is the position of
// the "unknown" item that ends the Genre menu. Fixed at compile time, so other static
// initialisers may use it without an ordering hazard.
constexpr uint8 UNKNOWN_GENRE_VALUE = static_cast<uint8>(NUM_GENRES);

extern const char *const genres[NUM_GENRES + 1];
extern const char *const alphabetized_genres[NUM_GENRES + 1];

// The first genre id (0 to NUM_GENRES - 1) whose name equals `name` byte for byte, else
// UNKNOWN_GENRE_VALUE (so for "unknown", "" and nullptr too).
uint8 get_genre_id(const char *name);
// The same search, ignoring the case of ASCII letters ("rock" is Rock): for genre texts
// other programs wrote into a file's tag.
uint8 get_genre_id_ignoring_case(const char *name);
// The same search in Genre-menu order: the name's alpha index.
uint8 get_genre_alpha_index(const char *name);

#endif  // BRINDLE_TAGS_GENRES_H
