// The desktop's own rating of a file: the `user.baloo.rating` extended attribute that KDE's
// file manager and indexer read and write. Its value is decimal text from 0 to 10 (two per
// star, 0 for none), without a NUL.
#ifndef BRINDLE_TAGS_DESKTOP_RATING_H
#define BRINDLE_TAGS_DESKTOP_RATING_H

#include <Node.h>
#include <SupportDefs.h>

constexpr char DESKTOP_RATING_ATTR[] = "user.baloo.rating";
constexpr int32 DESKTOP_RATING_MAX = 10;

// The desktop rating when it holds 1 to 10, else 0 (missing, 0 for "not rated", anything
// that is not such a number, or a file system without attributes). Prints nothing.
int32 get_desktop_rating(BNode &node);

// Stores `rating` (0 to 10) as decimal text. Returns the platform's status: B_BAD_VALUE for a
// rating out of range, a negative status when the attribute could not be written.
status_t write_desktop_rating(BNode &node, int32 rating);

#endif  // BRINDLE_TAGS_DESKTOP_RATING_H
