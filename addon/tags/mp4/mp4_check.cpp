#include "tags/mp4/mp4_check.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <Errors.h>
#include <SystemIo.h>

#include "tags/mp4/mp4_atoms.h"
#include "tags/save_check.h"

namespace {

constexpr size_t kBlock = 1 << 20;
const char kIlstPath[] = "moov/udta/meta/ilst";

bool is_free(const std::string &type) {
    return type == "free" || type == "skip";
}

// Compares `length` bytes from `a` in one file with those from `b` in the other, as far as
// both files reach (they must reach equally far). B_OK, `failure`, or CHECK_UNREADABLE.
status_t same_bytes(int fdA, uint64_t a, int fdB, uint64_t b, uint64_t length, status_t failure) {
    std::vector<char> one(static_cast<size_t>(std::min<uint64_t>(length, kBlock)));
    std::vector<char> two(one.size());
    for (uint64_t done = 0; done < length;) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(length - done, kBlock));
        ssize_t countA = brindle::read_all_at(fdA, one.data(), want, static_cast<off_t>(a + done));
        ssize_t countB = brindle::read_all_at(fdB, two.data(), want, static_cast<off_t>(b + done));
        if (countA < 0 || countB < 0)
            return CHECK_UNREADABLE;
        if (countA != countB || memcmp(one.data(), two.data(), static_cast<size_t>(countA)) != 0)
            return failure;
        if (static_cast<size_t>(countA) < want)
            return B_OK;  // both end here
        done += want;
    }
    return B_OK;
}

std::string payload(const mp4_layout &layout, const mp4_atom &atom) {
    return layout.moov.substr(atom.PayloadOffset(), atom.End() - atom.PayloadOffset());
}

const mp4_node *find_node(const mp4_layout &layout, const std::string &path) {
    for (const mp4_node &node : layout.nodes) {
        if (node.path == path)
            return &node;
    }
    return nullptr;
}

// The atoms below moov that must match one for one: free atoms and the ilst (its items are
// compared on their own) left out, and in the copy the udta, meta and hdlr TagLib adds to a
// file that had none.
std::vector<const mp4_node *> compared_nodes(const mp4_layout &layout, const mp4_layout *original) {
    std::vector<const mp4_node *> nodes;
    const bool hadUdta = original == nullptr || find_node(*original, "moov/udta") != nullptr;
    const bool hadMeta = original == nullptr || find_node(*original, "moov/udta/meta") != nullptr;
    for (const mp4_node &node : layout.nodes) {
        if (is_free(node.atom.type) || node.path == kIlstPath ||
            (!hadUdta && node.path == "moov/udta") ||
            (!hadMeta && (node.path == "moov/udta/meta" || node.path == "moov/udta/meta/hdlr")))
            continue;
        nodes.push_back(&node);
    }
    return nodes;
}

// Every atom below moov the same, but for sizes and the chunk offsets' values.
status_t compare_moov(const mp4_layout &original, const mp4_layout &copy) {
    const std::vector<const mp4_node *> before = compared_nodes(original, nullptr);
    const std::vector<const mp4_node *> after = compared_nodes(copy, &original);
    if (before.size() != after.size())
        return CHECK_OTHER_DATA_CHANGED;
    for (size_t i = 0; i < before.size(); i++) {
        const mp4_node &a = *before[i], &b = *after[i];
        if (a.path != b.path || a.container != b.container)
            return CHECK_OTHER_DATA_CHANGED;
        std::string bytesA, bytesB;
        if (a.container) {
            // What lies before the children: meta's version and flags.
            bytesA = original.moov.substr(a.atom.PayloadOffset(),
                                          a.childrenOffset - a.atom.PayloadOffset());
            bytesB =
                copy.moov.substr(b.atom.PayloadOffset(), b.childrenOffset - b.atom.PayloadOffset());
        } else {
            bytesA = payload(original, a.atom);
            bytesB = payload(copy, b.atom);
            // The chunk offsets are checked against the data they point to; here only their
            // version, flags and count.
            if ((a.atom.type == "stco" || a.atom.type == "co64") &&
                bytesA.size() == bytesB.size()) {
                bytesA.resize(std::min<size_t>(bytesA.size(), 8));
                bytesB.resize(bytesA.size());
            }
        }
        if (bytesA != bytesB)
            return CHECK_OTHER_DATA_CHANGED;
    }
    return B_OK;
}

bool read_items(const mp4_layout &layout, std::vector<mp4_item> *items) {
    const mp4_node *ilst = find_node(layout, kIlstPath);
    return ilst == nullptr || parse_mp4_items(layout.moov, ilst->atom, items);
}

// An item holding `text` as TagLib writes it: one data atom (after a freeform item's mean and
// name) of type 1 (UTF-8), or with `integer` of type 21 holding that number big-endian.
bool holds_value(const mp4_item &item, const char *text, bool integer) {
    std::vector<mp4_atom> parts;
    if (!parse_mp4_atoms(item.payload, 0, item.payload.size(), &parts))
        return false;
    const mp4_atom *data = nullptr;
    for (const mp4_atom &part : parts) {
        if (part.type == "data") {
            if (data != nullptr)
                return false;
            data = &part;
        } else if (part.type != "mean" && part.type != "name") {
            return false;
        }
    }
    if (data == nullptr || data->size < data->headerSize + 8)
        return false;
    const uint64_t at = data->PayloadOffset();
    const std::string value = item.payload.substr(at + 8, data->End() - at - 8);
    if (!integer)
        return item.payload.compare(at, 4, std::string("\0\0\0\x01", 4)) == 0 && value == text;
    if (item.payload.compare(at, 4, std::string("\0\0\0\x15", 4)) != 0 || value.empty() ||
        value.size() > 8)
        return false;
    int64_t number = static_cast<int8_t>(value[0]);
    for (size_t i = 1; i < value.size(); i++)
        number = number * 256 + static_cast<uint8_t>(value[i]);
    return number == strtoll(text, nullptr, 10);
}

status_t compare_items(const mp4_layout &original, const mp4_layout &copy,
                       const format_edit &edit) {
    std::vector<mp4_item> before, after;
    if (!read_items(original, &before) || !read_items(copy, &after))
        return CHECK_UNREADABLE;
    // What the edit wrote; a genre goes to ©gen, and the numbered gnre goes.
    std::vector<std::pair<std::string, const char *>> written = {
        {"\xa9nam", edit.title},
        {"\xa9"
         "ART",
         edit.artist},
        {"\xa9"
         "alb",
         edit.album},
        {"\xa9gen", edit.genre},
        {"gnre", edit.genre != nullptr ? "" : nullptr},
        {"rate", edit.ratings[RATING_MP4_RATE]},
        {"----:com.apple.iTunes:FMPS_Rating", edit.ratings[RATING_FMPS]}};
    auto is_written = [&](const std::string &name) {
        for (const auto &field : written) {
            if (field.second != nullptr && field.first == name)
                return true;
        }
        return false;
    };
    for (const auto &field : written) {
        if (field.second == nullptr)
            continue;
        std::vector<const mp4_item *> found;
        for (const mp4_item &item : after) {
            if (item.name == field.first)
                found.push_back(&item);
        }
        const bool removed = *field.second == '\0';
        if (found.size() != (removed ? 0u : 1u) ||
            (!removed &&
             !holds_value(*found[0], field.second, field.first == "rate" && edit.rateAsInteger)))
            return CHECK_FIELD_WRONG;
    }
    // Every other item kept byte for byte, wherever TagLib put it.
    std::vector<bool> matched(after.size(), false);
    size_t kept = 0;
    for (const mp4_item &item : before) {
        if (is_written(item.name))
            continue;
        kept++;
        bool found = false;
        for (size_t i = 0; i < after.size() && !found; i++) {
            found = !matched[i] && after[i].name == item.name && after[i].payload == item.payload;
            matched[i] = matched[i] || found;
        }
        if (!found)
            return CHECK_OTHER_DATA_CHANGED;
    }
    size_t others = 0;
    for (const mp4_item &item : after)
        others += is_written(item.name) ? 0 : 1;
    return others == kept ? B_OK : CHECK_OTHER_DATA_CHANGED;
}

using atom_pair = std::pair<const mp4_atom *, const mp4_atom *>;

// Every chunk of every track lies in the copy where the same bytes went: inside a top-level
// atom (mdat), at the same place in its payload; elsewhere, with the same bytes.
status_t compare_chunks(int sourceFd, int copyFd, const mp4_layout &original,
                        const mp4_layout &copy, const std::vector<atom_pair> &pairs) {
    std::vector<size_t> traksA, traksB;
    for (size_t i = 0; i < original.nodes.size(); i++) {
        if (original.nodes[i].path == "moov/trak")
            traksA.push_back(i);
    }
    for (size_t i = 0; i < copy.nodes.size(); i++) {
        if (copy.nodes[i].path == "moov/trak")
            traksB.push_back(i);
    }
    if (traksA.size() != traksB.size())
        return CHECK_AUDIO_CHANGED;
    for (size_t t = 0; t < traksA.size(); t++) {
        std::vector<mp4_chunk> a, b;
        const bool readA = read_mp4_chunks(original, traksA[t], &a);
        const bool readB = read_mp4_chunks(copy, traksB[t], &b);
        if (readA != readB || a.size() != b.size())
            return CHECK_AUDIO_CHANGED;
        for (size_t i = 0; i < a.size(); i++) {
            const uint64_t at = a[i].offset, length = a[i].length;
            // The last top-level atom starting at or before the chunk.
            auto next = std::upper_bound(pairs.begin(), pairs.end(), at,
                                         [](uint64_t offset, const atom_pair &pair) {
                                             return offset < pair.first->PayloadOffset();
                                         });
            if (next != pairs.begin()) {
                const atom_pair &pair = *(next - 1);
                if (at + length >= at && at + length <= pair.first->End()) {
                    if (b[i].offset !=
                        pair.second->PayloadOffset() + (at - pair.first->PayloadOffset()))
                        return CHECK_AUDIO_CHANGED;
                    continue;
                }
            }
            status_t status =
                same_bytes(sourceFd, at, copyFd, b[i].offset, length, CHECK_AUDIO_CHANGED);
            if (status != B_OK)
                return status;
        }
    }
    return B_OK;
}

}  // namespace

status_t check_mp4_copy(int sourceFd, int copyFd, const format_edit &edit) {
    mp4_layout original, copy;
    if (read_mp4_layout(sourceFd, &original) != B_OK || read_mp4_top(copyFd, &copy) != B_OK)
        return CHECK_UNREADABLE;
    // The atoms end where the file does, or miss it by as much as the original's did.
    auto shape = [](const mp4_layout &layout) {
        return std::make_pair(
            layout.atomsEnd > layout.length ? layout.atomsEnd - layout.length : 0,
            layout.atomsEnd < layout.length ? layout.length - layout.atomsEnd : 0);
    };
    if (shape(original) != shape(copy))
        return CHECK_LENGTH_WRONG;
    if (read_mp4_layout(copyFd, &copy) != B_OK)
        return CHECK_UNREADABLE;

    // The same top-level atoms in the same order, free ones aside.
    std::vector<atom_pair> pairs;
    std::vector<const mp4_atom *> before, after;
    for (const mp4_atom &atom : original.top) {
        if (!is_free(atom.type))
            before.push_back(&atom);
    }
    for (const mp4_atom &atom : copy.top) {
        if (!is_free(atom.type))
            after.push_back(&atom);
    }
    if (before.size() != after.size())
        return CHECK_OTHER_DATA_CHANGED;
    for (size_t i = 0; i < before.size(); i++) {
        if (before[i]->type != after[i]->type)
            return CHECK_OTHER_DATA_CHANGED;
        if (before[i]->offset != original.moovOffset)
            pairs.emplace_back(before[i], after[i]);
        else if (after[i]->offset != copy.moovOffset)
            return CHECK_OTHER_DATA_CHANGED;
    }

    status_t status = compare_moov(original, copy);
    if (status == B_OK)
        status = compare_items(original, copy, edit);
    if (status == B_OK)
        status = compare_chunks(sourceFd, copyFd, original, copy, pairs);
    // Then every other top-level atom's payload in full (the mdat holds the audio), and
    // whatever follows the atoms.
    for (size_t i = 0; i < pairs.size() && status == B_OK; i++) {
        const mp4_atom &a = *pairs[i].first, &b = *pairs[i].second;
        const status_t failure = a.type == "mdat" ? CHECK_AUDIO_CHANGED : CHECK_OTHER_DATA_CHANGED;
        if (a.size - a.headerSize != b.size - b.headerSize)
            return failure;
        status = same_bytes(sourceFd, a.PayloadOffset(), copyFd, b.PayloadOffset(),
                            a.size - a.headerSize, failure);
    }
    if (status == B_OK && original.atomsEnd < original.length)
        status = same_bytes(sourceFd, original.atomsEnd, copyFd, copy.atomsEnd,
                            original.length - original.atomsEnd, CHECK_OTHER_DATA_CHANGED);
    return status;
}
