#include "tags/desktop_rating.h"

#include <cstdio>

int32 get_desktop_rating(BNode &node) {
    // Room for "10" and a little more, so a longer value is seen as one and refused.
    char text[8];
    ssize_t length = node.ReadHostAttr(DESKTOP_RATING_ATTR, text, sizeof(text));
    // Some writers store the terminating NUL as well.
    if (length > 0 && text[length - 1] == '\0')
        length--;
    if (length <= 0 || length > 2)
        return 0;
    int32 rating = 0;
    for (ssize_t i = 0; i < length; i++) {
        if (text[i] < '0' || text[i] > '9')
            return 0;
        rating = rating * 10 + (text[i] - '0');
    }
    return rating <= DESKTOP_RATING_MAX ? rating : 0;
}

status_t write_desktop_rating(BNode &node, int32 rating) {
    if (rating < 0 || rating > DESKTOP_RATING_MAX)
        return B_BAD_VALUE;
    char text[4];
    int length = snprintf(text, sizeof(text), "%d", static_cast<int>(rating));
    ssize_t written = node.WriteHostAttr(DESKTOP_RATING_ATTR, text, static_cast<size_t>(length));
    if (written < 0)
        return static_cast<status_t>(written);
    return written == length ? B_OK : B_IO_ERROR;
}
