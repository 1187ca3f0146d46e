#include "SaveOutcome.h"

bool status_line_says_saved(const std::string &statusLine) {
    // The add-on prints this spelling ("NAME — saved"); anything after it ("saved, but not
    // in its ID3v2 tag: ...") or instead of it is a save that left something unwritten.
    static const std::string kSaved = " \xE2\x80\x94 saved";
    return statusLine.size() >= kSaved.size() &&
           statusLine.compare(statusLine.size() - kSaved.size(), kSaved.size(), kSaved) == 0;
}
