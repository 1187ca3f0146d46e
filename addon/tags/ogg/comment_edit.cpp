#include "tags/ogg/comment_edit.h"

#include <strings.h>

#include <cstdint>
#include <cstring>

#include "tags/save_check.h"

namespace {

// The names an edit sets, by its slots; rating conventions without a comment name are null.
struct edited_name {
    const char *name;
    const char *text;
};

std::vector<edited_name> edited_names(const format_edit &edit) {
    const edited_name all[] = {{"TITLE", edit.title},
                               {"ARTIST", edit.artist},
                               {"ALBUM", edit.album},
                               {"GENRE", edit.genre},
                               {"FMPS_RATING", edit.ratings[RATING_FMPS]},
                               {"RATING", edit.ratings[RATING_COMMENT]},
                               {QUOD_LIBET_RATING, edit.ratings[RATING_QUOD_LIBET]}};
    std::vector<edited_name> names;
    for (const edited_name &entry : all) {
        if (entry.text != nullptr)
            names.push_back(entry);
    }
    return names;
}

// True when `field` is "NAME=..." for `name` in any case.
bool has_name(const std::string &field, const char *name) {
    const size_t length = strlen(name);
    return field.size() > length && field[length] == '=' &&
           strncasecmp(field.c_str(), name, length) == 0;
}

bool any_edited(const std::string &field, const std::vector<edited_name> &names) {
    for (const edited_name &entry : names) {
        if (has_name(field, entry.name))
            return true;
    }
    return false;
}

uint32_t le32(const std::string &bytes, size_t at) {
    const auto *byte = reinterpret_cast<const unsigned char *>(bytes.data() + at);
    return byte[0] | (byte[1] << 8) | (byte[2] << 16) | (static_cast<uint32_t>(byte[3]) << 24);
}

void put_le32(std::string *bytes, size_t value) {
    for (int i = 0; i < 4; i++)
        *bytes += static_cast<char>((value >> (8 * i)) & 0xff);
}

}  // namespace

bool parse_vorbis_comment(const std::string &bytes, vorbis_comment *comment) {
    vorbis_comment result;
    size_t at = 0;
    auto take = [&](std::string *out) {
        if (bytes.size() - at < 4 || bytes.size() - at - 4 < le32(bytes, at))
            return false;
        const size_t length = le32(bytes, at);
        out->assign(bytes, at + 4, length);
        at += 4 + length;
        return true;
    };
    if (!take(&result.vendor) || bytes.size() - at < 4)
        return false;
    const uint32_t count = le32(bytes, at);
    at += 4;
    // Each field takes at least its 4-byte length: a count past that is damage, not a reason
    // to reserve memory.
    if (count > (bytes.size() - at) / 4)
        return false;
    result.fields.resize(count);
    for (std::string &field : result.fields) {
        if (!take(&field))
            return false;
    }
    result.tail = bytes.substr(at);
    *comment = std::move(result);
    return true;
}

std::string render_vorbis_comment(const vorbis_comment &comment) {
    std::string bytes;
    put_le32(&bytes, comment.vendor.size());
    bytes += comment.vendor;
    put_le32(&bytes, comment.fields.size());
    for (const std::string &field : comment.fields) {
        put_le32(&bytes, field.size());
        bytes += field;
    }
    return bytes + comment.tail;
}

bool edit_vorbis_comment(vorbis_comment *comment, const format_edit &edit) {
    bool changed = false;
    for (const edited_name &entry : edited_names(edit)) {
        std::vector<std::string> kept;
        bool placed = false;
        for (std::string &field : comment->fields) {
            if (!has_name(field, entry.name)) {
                kept.push_back(std::move(field));
                continue;
            }
            if (*entry.text != '\0' && !placed) {
                std::string replaced = field.substr(0, strlen(entry.name) + 1) + entry.text;
                changed = changed || replaced != field;
                kept.push_back(std::move(replaced));
                placed = true;
            } else {
                changed = true;
            }
        }
        if (*entry.text != '\0' && !placed) {
            kept.push_back(std::string(entry.name) + "=" + entry.text);
            changed = true;
        }
        comment->fields = std::move(kept);
    }
    return changed;
}

status_t check_vorbis_comment(const vorbis_comment &original, const vorbis_comment &written,
                              const format_edit &edit) {
    const std::vector<edited_name> names = edited_names(edit);
    for (const edited_name &entry : names) {
        std::vector<const std::string *> found;
        for (const std::string &field : written.fields) {
            if (has_name(field, entry.name))
                found.push_back(&field);
        }
        const size_t value = strlen(entry.name) + 1;
        if (*entry.text == '\0'
                ? !found.empty()
                : found.size() != 1 || found[0]->compare(value, std::string::npos, entry.text) != 0)
            return CHECK_FIELD_WRONG;
    }
    if (written.vendor != original.vendor || written.tail != original.tail)
        return CHECK_OTHER_DATA_CHANGED;
    std::vector<const std::string *> before, after;
    for (const std::string &field : original.fields) {
        if (!any_edited(field, names))
            before.push_back(&field);
    }
    for (const std::string &field : written.fields) {
        if (!any_edited(field, names))
            after.push_back(&field);
    }
    if (before.size() != after.size())
        return CHECK_OTHER_DATA_CHANGED;
    for (size_t i = 0; i < before.size(); i++) {
        if (*before[i] != *after[i])
            return CHECK_OTHER_DATA_CHANGED;
    }
    return B_OK;
}
