// BFile: a regular file's data, on top of the node's attributes.
//
// Opening never creates or empties a file unless B_CREATE_FILE or B_ERASE_FILE say so.
// Anything but a regular file fails at once: a directory with B_IS_A_DIRECTORY, a missing
// file or dangling link with B_ENTRY_NOT_FOUND, a FIFO, socket or device with B_BAD_TYPE
// (opened non-blocking and closed again at once, so nothing blocks).
#ifndef BRINDLE_STORAGE_FILE_H
#define BRINDLE_STORAGE_FILE_H

#include <Node.h>
#include <StorageDefs.h>

class BFile : public BNode {
public:
    BFile();
    BFile(const entry_ref *ref, uint32 openMode);
    BFile(const BEntry *entry, uint32 openMode);
    BFile(const char *path, uint32 openMode);
    BFile(const BFile &file);
    virtual ~BFile();

    BFile &operator=(const BFile &file);

    status_t SetTo(const entry_ref *ref, uint32 openMode);
    status_t SetTo(const BEntry *entry, uint32 openMode);
    status_t SetTo(const char *path, uint32 openMode);
    void Unset();

    bool IsReadable() const;
    bool IsWritable() const;

    // Byte counts, or a negative status. Read and Write use and move the file position
    // (one pread or pwrite there); ReadAt and WriteAt leave it alone. The position belongs
    // to this BFile: a copy starts at the same place and then moves on its own. With
    // B_OPEN_AT_END every Write goes to the end and leaves the position there.
    virtual ssize_t Read(void *buffer, size_t size);
    virtual ssize_t ReadAt(off_t location, void *buffer, size_t size);
    virtual ssize_t Write(const void *buffer, size_t size);
    virtual ssize_t WriteAt(off_t location, const void *buffer, size_t size);

    // `seekMode` is SEEK_SET, SEEK_CUR or SEEK_END. Returns the new position, or a negative
    // status (a position before the start of the file is B_BAD_VALUE). SEEK_END takes the
    // size the file has at that moment (one fstat), never one remembered from before.
    virtual off_t Seek(off_t offset, uint32 seekMode);
    virtual off_t Position() const;

    virtual status_t GetSize(off_t *size) const;
    virtual status_t SetSize(off_t size);

private:
    status_t _Open(const entry_ref *ref, const char *path, uint32 openMode);

    uint32 fMode;
    off_t fPosition;
};

#endif  // BRINDLE_STORAGE_FILE_H
