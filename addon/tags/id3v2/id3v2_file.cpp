#include "tags/id3v2/id3v2_file.h"

#include <algorithm>
#include <vector>

#include <Errors.h>

#include "tags/file_reads.h"
#include "tags/safe_rewrite.h"

namespace {

// A tag that must grow gets this much room for later edits in place, as other writers leave.
constexpr size_t GROW_PADDING = 1024;

// A tag's bytes read from the file a window at a time, so that a walk over its frames skips
// large ones (cover pictures) instead of reading them. A pointer it gives stays valid until
// the next Get.
class tag_window {
public:
    tag_window(BFile &file, size_t size) : fFile(file), fSize(size) {}

    const uint8 *Get(size_t offset, size_t length) {
        if (length > fSize || offset > fSize - length)
            return nullptr;
        if (offset < fStart || offset + length > fStart + fBytes.size()) {
            size_t want = std::min(std::max(length, kWindow), fSize - offset);
            fBytes.resize(want);
            if (!read_exactly_at(fFile, static_cast<off_t>(offset), &fBytes[0], want)) {
                fBytes.clear();
                return nullptr;
            }
            fStart = offset;
        }
        return reinterpret_cast<const uint8 *>(fBytes.data()) + (offset - fStart);
    }

private:
    static constexpr size_t kWindow = 4096;

    BFile &fFile;
    size_t fSize;
    size_t fStart = 0;
    std::string fBytes;
};

// Writes the bytes where `written` differs from `old` (the tag as the file holds it, of the
// same size) and nothing else.
status_t write_differences(BFile &file, const std::string &old, const std::string &written) {
    size_t first = 0, end = written.size();
    while (first < end && written[first] == old[first])
        first++;
    while (end > first && written[end - 1] == old[end - 1])
        end--;
    if (first == end)
        return B_OK;
    ssize_t count = file.WriteAt(static_cast<off_t>(first), written.data() + first, end - first);
    if (count < 0)
        return static_cast<status_t>(count);
    return count == static_cast<ssize_t>(end - first) ? B_OK : B_IO_ERROR;
}

}  // namespace

bool read_id3v2_header(BFile &file, id3v2_header *header) {
    char bytes[ID3V2_HEADER_SIZE];
    return file.ReadAt(0, bytes, sizeof(bytes)) == static_cast<ssize_t>(sizeof(bytes)) &&
           parse_id3v2_header(bytes, header);
}

bool read_id3v2_tag(BFile &file, const id3v2_header &header, std::string *tag) {
    off_t size;
    size_t total = header.TotalSize();
    if (file.GetSize(&size) != B_OK || size < static_cast<off_t>(total))
        return false;
    tag->resize(total);
    return read_exactly_at(file, 0, &(*tag)[0], total);
}

bool id3v2_frames_in(const id3v2_header &header, const std::string &tag,
                     const id3v2_frame_filter &wanted, std::string *frames) {
    std::string area;
    if (!id3v2_frame_area(header, tag, &area))
        return false;
    std::vector<id3v2_frame_span> spans;
    split_id3v2_frames(header.major, area, &spans);
    frames->clear();
    for (const id3v2_frame_span &span : spans) {
        if (wanted(span.id))
            frames->append(area, span.offset, span.length);
    }
    return true;
}

bool read_id3v2_frames(BFile &file, const id3v2_frame_filter &wanted, id3v2_header *header,
                       std::string *frames) {
    off_t fileSize;
    if (!read_id3v2_header(file, header) || file.GetSize(&fileSize) != B_OK)
        return false;
    // A 2.2 or 2.3 tag unsynchronised as a whole can only be read whole.
    if (header->major < 4 && (header->flags & ID3V2_FLAG_UNSYNCHRONISATION) != 0) {
        std::string tag;
        return read_id3v2_tag(file, *header, &tag) && id3v2_frames_in(*header, tag, wanted, frames);
    }
    // A tag cut short by the end of the file gives what is there, as other readers take it.
    const size_t areaEnd =
        std::min<size_t>(ID3V2_HEADER_SIZE + header->size, static_cast<size_t>(fileSize));
    tag_window window(file, areaEnd);
    size_t start = ID3V2_HEADER_SIZE;
    if ((header->flags & ID3V2_FLAG_EXTENDED_HEADER) != 0) {
        const uint8 *sizeBytes = header->major == 2 ? nullptr : window.Get(start, 4);
        if (sizeBytes == nullptr)
            return false;
        start += id3v2_extended_header_length(header->major, sizeBytes);
        if (start > areaEnd)
            return false;
    }
    std::vector<id3v2_frame_span> spans;
    size_t end;
    walk_id3v2_frames(
        header->major, areaEnd - start,
        [&](size_t offset, size_t length) { return window.Get(start + offset, length); }, &spans,
        &end);
    frames->clear();
    for (const id3v2_frame_span &span : spans) {
        if (!wanted(span.id))
            continue;
        const uint8 *bytes = window.Get(start + span.offset, span.length);
        if (bytes == nullptr)
            return false;
        frames->append(reinterpret_cast<const char *>(bytes), span.length);
    }
    return true;
}

status_t edit_id3v2_frames(const id3v2_header &header, const std::string &tag,
                           const id3v2_frame_edit &edit, std::string *frames, bool *moved) {
    *moved = false;
    std::string area;
    std::vector<id3v2_frame_span> spans;
    if (!id3v2_frame_area(header, tag, &area) || !split_id3v2_frames(header.major, area, &spans))
        return B_BAD_DATA;
    frames->clear();
    std::string replacement;
    for (const id3v2_frame_span &span : spans) {
        const std::string frame = area.substr(span.offset, span.length);
        replacement.clear();
        if (edit(span.id, frame, &replacement)) {
            frames->append(replacement);
        } else {
            *moved = *moved || frames->size() != span.offset;
            frames->append(frame);
        }
    }
    return B_OK;
}

status_t store_id3v2_frames(BFile &file, const id3v2_header &header, const std::string &tag,
                            const std::string &frames, bool moved, bool *replaced,
                            node_ref *replacement) {
    *replaced = false;
    const uint8 major = header.major;
    // Extended header and footer are not carried over (their checksums and sizes would be
    // stale); 2.2 and 2.3 frames come out resynchronised.
    uint8 flags = major == 4 ? (header.flags & ID3V2_FLAG_UNSYNCHRONISATION) : 0;
    const size_t oldTotal = header.TotalSize();
    const bool fits = ID3V2_HEADER_SIZE + frames.size() <= oldTotal;
    const size_t size = fits ? oldTotal - ID3V2_HEADER_SIZE : frames.size() + GROW_PADDING;
    std::string written = render_id3v2_header(major, flags, size);
    written += frames;
    written.resize(ID3V2_HEADER_SIZE + size, '\0');
    // In place only when every frame left as it was stays where it is, in the file's own
    // bytes: a kill mid-write then tears no frame but the changed ones' few bytes.
    const bool samePlaces = !moved && (header.flags & ID3V2_FLAG_EXTENDED_HEADER) == 0 &&
                            (major == 4 || (header.flags & ID3V2_FLAG_UNSYNCHRONISATION) == 0);
    if (fits && samePlaces)
        return write_differences(file, tag, written);

    status_t status = rewrite_file_head(file, static_cast<off_t>(oldTotal), written.data(),
                                        written.size(), replacement);
    *replaced = status == B_OK;
    return status;
}
