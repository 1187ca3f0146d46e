#include "tags/mp4/mp4_atoms.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include <Errors.h>
#include <SystemIo.h>

namespace {

// A moov this big is no audio file's: it is not read whole.
constexpr uint64_t kMaxMoovSize = 64 << 20;
// Containers nest a few levels deep; a file nesting deeper is not one this reads.
constexpr int kMaxDepth = 16;

uint64_t big_endian(const unsigned char *bytes, int count) {
    uint64_t value = 0;
    for (int i = 0; i < count; i++)
        value = (value << 8) | bytes[i];
    return value;
}

uint64_t big_endian_at(const std::string &bytes, uint64_t at, int count) {
    return big_endian(reinterpret_cast<const unsigned char *>(bytes.data()) + at, count);
}

bool is_container(const std::string &type) {
    static const char *const kContainers[] = {"moov", "trak", "mdia", "minf", "stbl",
                                              "udta", "edts", "dinf", "mvex", "meta"};
    for (const char *container : kContainers) {
        if (type == container)
            return true;
    }
    return false;
}

// The header at `bytes` (`available` of them) of an atom that may run to `end` from `at`.
// False when it makes no sense.
bool parse_header(const unsigned char *bytes, uint64_t available, uint64_t at, uint64_t end,
                  mp4_atom *atom) {
    if (available < 8)
        return false;
    atom->offset = at;
    atom->type.assign(reinterpret_cast<const char *>(bytes) + 4, 4);
    uint64_t size = big_endian(bytes, 4);
    atom->headerSize = 8;
    if (size == 1) {
        if (available < 16)
            return false;
        size = big_endian(bytes + 8, 8);
        atom->headerSize = 16;
    } else if (size == 0) {
        size = end - at;  // to the end
    }
    atom->size = size;
    return size >= atom->headerSize && size <= std::numeric_limits<uint64_t>::max() - at;
}

bool flatten(const std::string &bytes, const mp4_atom &atom, const std::string &path, int depth,
             std::vector<mp4_node> *nodes) {
    mp4_node node;
    node.path = path;
    node.atom = atom;
    node.container = is_container(atom.type);
    if (!node.container) {
        nodes->push_back(node);
        return true;
    }
    if (depth > kMaxDepth)
        return false;
    uint64_t start = atom.PayloadOffset();
    // ISO's meta has version and flags first; QuickTime's starts with its hdlr.
    if (atom.type == "meta" &&
        !(start + 8 <= atom.End() && bytes.compare(start + 4, 4, "hdlr") == 0))
        start += 4;
    if (start > atom.End())
        return false;
    node.childrenOffset = start;
    nodes->push_back(node);
    std::vector<mp4_atom> children;
    if (!parse_mp4_atoms(bytes, start, atom.End(), &children))
        return false;
    for (const mp4_atom &child : children) {
        if (!flatten(bytes, child, path + "/" + child.type, depth + 1, nodes))
            return false;
    }
    return true;
}

// The payload of the node at `path` in the trak whose subtree is nodes (trak, end).
const mp4_node *find_in_trak(const mp4_layout &layout, size_t trak, const std::string &tail) {
    const std::string path = layout.nodes[trak].path + "/mdia/minf/stbl/" + tail;
    const std::string prefix = layout.nodes[trak].path + "/";
    for (size_t i = trak + 1; i < layout.nodes.size(); i++) {
        if (layout.nodes[i].path.compare(0, prefix.size(), prefix) != 0)
            break;
        if (layout.nodes[i].path == path)
            return &layout.nodes[i];
    }
    return nullptr;
}

}  // namespace

bool parse_mp4_atoms(const std::string &bytes, uint64_t begin, uint64_t end,
                     std::vector<mp4_atom> *atoms) {
    if (end > bytes.size() || begin > end)
        return false;
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.data());
    for (uint64_t at = begin; at < end;) {
        mp4_atom atom;
        if (!parse_header(data + at, end - at, at, end, &atom) || atom.size > end - at)
            return false;
        atoms->push_back(atom);
        at += atom.size;
    }
    return true;
}

status_t read_mp4_top(int fd, mp4_layout *layout) {
    struct stat st;
    if (fstat(fd, &st) != 0)
        return status_from_errno(errno);
    layout->length = static_cast<uint64_t>(st.st_size);
    layout->top.clear();
    uint64_t at = 0;
    while (at < layout->length) {
        unsigned char header[16];
        const uint64_t want = std::min<uint64_t>(sizeof(header), layout->length - at);
        ssize_t count = brindle::read_all_at(fd, header, want, static_cast<off_t>(at));
        if (count < 0)
            return status_from_errno(errno);
        mp4_atom atom;
        if (static_cast<uint64_t>(count) != want ||
            !parse_header(header, want, at, layout->length, &atom))
            break;
        layout->top.push_back(atom);
        at += atom.size;
    }
    layout->atomsEnd = at;
    return B_OK;
}

status_t read_mp4_layout(int fd, mp4_layout *layout) {
    status_t status = read_mp4_top(fd, layout);
    if (status != B_OK)
        return status;
    const mp4_atom *moov = nullptr;
    layout->fragmented = false;
    for (const mp4_atom &atom : layout->top) {
        if (atom.type == "moov" && moov == nullptr)
            moov = &atom;
        layout->fragmented = layout->fragmented || atom.type == "moof";
    }
    if (moov == nullptr || moov->End() > layout->length || moov->size > kMaxMoovSize)
        return B_BAD_DATA;
    layout->moovOffset = moov->offset;
    layout->moov.resize(moov->size);
    ssize_t count =
        brindle::read_all_at(fd, &layout->moov[0], moov->size, static_cast<off_t>(moov->offset));
    if (count < 0)
        return status_from_errno(errno);
    if (static_cast<uint64_t>(count) != moov->size)
        return B_BAD_DATA;
    mp4_atom inMemory = *moov;
    inMemory.offset = 0;
    layout->nodes.clear();
    if (!flatten(layout->moov, inMemory, "moov", 0, &layout->nodes))
        return B_BAD_DATA;
    for (const mp4_node &node : layout->nodes)
        layout->fragmented = layout->fragmented || node.path == "moov/mvex";
    return B_OK;
}

bool parse_mp4_items(const std::string &moov, const mp4_atom &ilst, std::vector<mp4_item> *items) {
    std::vector<mp4_atom> atoms;
    if (!parse_mp4_atoms(moov, ilst.PayloadOffset(), ilst.End(), &atoms))
        return false;
    for (const mp4_atom &atom : atoms) {
        if (atom.type == "free")
            continue;
        mp4_item item;
        item.name = atom.type;
        item.payload = moov.substr(atom.PayloadOffset(), atom.End() - atom.PayloadOffset());
        std::vector<mp4_atom> parts;
        if (atom.type == "----" &&
            parse_mp4_atoms(moov, atom.PayloadOffset(), atom.End(), &parts)) {
            // mean and name carry four bytes of version and flags before their text.
            for (const char *part : {"mean", "name"}) {
                for (const mp4_atom &child : parts) {
                    if (child.type == part && child.size >= child.headerSize + 4) {
                        item.name += ":" + moov.substr(child.PayloadOffset() + 4,
                                                       child.End() - child.PayloadOffset() - 4);
                        break;
                    }
                }
            }
        }
        items->push_back(item);
    }
    return true;
}

bool read_mp4_chunks(const mp4_layout &layout, size_t trak, std::vector<mp4_chunk> *chunks) {
    const std::string &moov = layout.moov;
    const mp4_node *stco = find_in_trak(layout, trak, "stco");
    const mp4_node *co64 = find_in_trak(layout, trak, "co64");
    const mp4_node *offsets = stco != nullptr ? stco : co64;
    if (offsets == nullptr)
        return false;
    const int width = stco != nullptr ? 4 : 8;
    const uint64_t at = offsets->atom.PayloadOffset();
    if (offsets->atom.End() < at + 8)
        return false;
    const uint64_t count = big_endian_at(moov, at + 4, 4);
    if (count > (offsets->atom.End() - at - 8) / width)
        return false;
    chunks->resize(count);
    for (uint64_t i = 0; i < count; i++)
        (*chunks)[i].offset = big_endian_at(moov, at + 8 + i * width, width);

    // Each chunk's length: its samples' sizes (stsz), as many as stsc gives it. A table that
    // is missing or too short leaves lengths at 0: the offsets are still checked.
    const mp4_node *stsz = find_in_trak(layout, trak, "stsz");
    const mp4_node *stsc = find_in_trak(layout, trak, "stsc");
    if (stsz == nullptr || stsc == nullptr)
        return true;
    const uint64_t sizesAt = stsz->atom.PayloadOffset();
    const uint64_t runsAt = stsc->atom.PayloadOffset();
    if (stsz->atom.End() < sizesAt + 12 || stsc->atom.End() < runsAt + 8)
        return true;
    const uint64_t fixedSize = big_endian_at(moov, sizesAt + 4, 4);
    uint64_t samples = big_endian_at(moov, sizesAt + 8, 4);
    if (fixedSize == 0)
        samples = std::min(samples, (stsz->atom.End() - sizesAt - 12) / 4);
    const uint64_t runs =
        std::min(big_endian_at(moov, runsAt + 4, 4), (stsc->atom.End() - runsAt - 8) / 12);
    auto run_field = [&](uint64_t run, int field) {
        return big_endian_at(moov, runsAt + 8 + run * 12 + field * 4, 4);
    };
    uint64_t sample = 0, run = 0;
    for (uint64_t i = 0; i < count && sample < samples; i++) {
        while (run + 1 < runs && run_field(run + 1, 0) <= i + 1)
            run++;
        const uint64_t perChunk = runs > 0 && run_field(run, 0) <= i + 1 ? run_field(run, 1) : 0;
        const uint64_t taken = std::min(perChunk, samples - sample);
        uint64_t length = 0;
        if (fixedSize != 0) {
            length = taken * fixedSize;  // both below 2^32: no overflow
        } else {
            for (uint64_t s = sample; s < sample + taken; s++)
                length += big_endian_at(moov, sizesAt + 12 + s * 4, 4);
        }
        (*chunks)[i].length = length;
        sample += taken;
    }
    return true;
}
