// MP4 (ISO base media) atoms, read by our own small parser: enough to tell whether TagLib can
// write a file's ilst without breaking it, and to check the copy it wrote (tags/mp4/mp4_check.h)
// against the original. Nothing here writes.
#ifndef BRINDLE_TAGS_MP4_ATOMS_H
#define BRINDLE_TAGS_MP4_ATOMS_H

#include <cstdint>
#include <string>
#include <vector>

#include <SupportDefs.h>

// One atom: where it lies and what it is. Offsets are into the file (or, for atoms parsed from
// bytes in memory, into those bytes).
struct mp4_atom {
    std::string type;         // four characters
    uint64_t offset = 0;      // where its header starts
    uint64_t headerSize = 8;  // 16 with a 64-bit size
    uint64_t size = 0;        // header included, as declared

    uint64_t PayloadOffset() const { return offset + headerSize; }
    uint64_t End() const { return offset + size; }
};

// The atoms one after another in `bytes` from `begin` to `end`, all of which they must fill.
// False when one makes no sense or runs past `end`.
bool parse_mp4_atoms(const std::string &bytes, uint64_t begin, uint64_t end,
                     std::vector<mp4_atom> *atoms);

// An atom below moov, depth first, with the types of the atoms around it: "moov/trak/mdia".
struct mp4_node {
    std::string path;  // the parents' types and its own, joined by '/'
    mp4_atom atom;     // offsets into the moov atom's bytes
    bool container = false;
    // For a container: where its children start (meta has four bytes of version and flags
    // before them, as ISO files write it; QuickTime's has none).
    uint64_t childrenOffset = 0;
};

// The file's layout as far as a tag save needs it.
struct mp4_layout {
    uint64_t length = 0;
    // The top-level atoms, up to the end of the file or the first header that makes no
    // sense; `atomsEnd` is where the last one ends as declared (past `length` when the file
    // is cut short, before it when bytes that are no atom follow).
    std::vector<mp4_atom> top;
    uint64_t atomsEnd = 0;
    // The first moov atom, header included, and every atom below it, depth first.
    std::string moov;
    uint64_t moovOffset = 0;
    std::vector<mp4_node> nodes;
    // A moof atom at the top or an mvex in the moov: movie fragments, whose data offsets
    // TagLib does not move.
    bool fragmented = false;
};

// Reads the top-level atoms of the file open on `fd` (reading at offsets, never moving it).
// B_OK, or the host's error.
status_t read_mp4_top(int fd, mp4_layout *layout);

// Reads the top-level atoms, then the moov whole. B_OK; B_BAD_DATA when the file has no moov,
// a moov past the end of the file or of over 64 MiB, or one whose atoms make no sense; or the
// host's error.
status_t read_mp4_layout(int fd, mp4_layout *layout);

// The atoms of an ilst (its payload), each item's type and payload: "©nam" and the data atoms
// under it. A freeform item ("----") is named by its mean and name: "----:MEAN:NAME".
struct mp4_item {
    std::string name;
    std::string payload;
};
bool parse_mp4_items(const std::string &moov, const mp4_atom &ilst, std::vector<mp4_item> *items);

// One track's chunks, from its sample table (stsz, stsc, stco or co64): each chunk's offset
// in the file and its length (0 where stz2 or a damaged table leaves it unknown).
struct mp4_chunk {
    uint64_t offset = 0;
    uint64_t length = 0;
};
// The chunks of the trak node at `trak` in `layout.nodes`. False when its table has no chunk
// offsets or they run past their atom.
bool read_mp4_chunks(const mp4_layout &layout, size_t trak, std::vector<mp4_chunk> *chunks);

#endif  // BRINDLE_TAGS_MP4_ATOMS_H
