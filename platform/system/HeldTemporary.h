// A temporary file beside the one it will replace, that nothing can mistake for abandoned: it
// is made without a name (O_TMPFILE) where the file system allows, so a crash before the swap
// leaves nothing behind, and it is held under an exclusive flock for as long as it lives, so
// a later save can tell an abandoned temporary (one nobody holds) from a live one. It gets a
// name (the prefix and twelve random hex digits) only just before it is swapped in. Where the
// file system refuses unnamed files (vfat, exFAT, NFS, CIFS, some overlays) it is named from
// the start. Not Be API: the add-on's rewrite beside a file uses it.
//
//   HeldTemporary copy;
//   HeldTemporary::RemoveAbandoned(folder, ".x-");
//   if (copy.Create(folder, ".x-") != 0 || write_all(copy.Fd(), ...) != 0 ||
//       copy.Flush() != 0 || copy.Exchange("name") != 0)
//       ... errno says why; the temporary is gone
//   copy.Discard();  // the old file, now under copy.Name()
#ifndef BRINDLE_SYSTEM_HELD_TEMPORARY_H
#define BRINDLE_SYSTEM_HELD_TEMPORARY_H

#include <string>

#include <UniqueFd.h>

namespace brindle {

class HeldTemporary {
public:
    HeldTemporary() = default;
    // Discard().
    ~HeldTemporary();
    HeldTemporary(const HeldTemporary &) = delete;
    HeldTemporary &operator=(const HeldTemporary &) = delete;

    // Makes the temporary in `folder` (a descriptor the caller keeps open until the end), open
    // for reading and writing, mode 0600, locked. 0, or -1 with errno set.
    int Create(int folder, const char *prefix);

    int Fd() const { return fFile.Get(); }
    // A path that opens the temporary, named or not (/proc/self/fd/N), for code that opens
    // files by path.
    std::string Path() const;
    // Its name in the folder; "" while it has none.
    const std::string &Name() const { return fName; }

    // Flushes the content to the disk; the descriptor (and the lock) stay. 0, or -1 with errno.
    int Flush();
    // Swaps the temporary with `name` in one step (renameat2 RENAME_EXCHANGE), naming it first
    // when it has no name: the old file is then under Name(). 0, or -1 with errno set.
    int Exchange(const char *name);
    // Renames the temporary to `name` (where names cannot be swapped), then flushes the
    // folder. 0, or -1 with errno set.
    int Commit(const char *name);
    // Removes what is under Name() now and lets go of the temporary (and its lock).
    void Discard();
    // Moves what is under Name() now (another program's file a swap took out and could not
    // put back) to `fileName` + ".brindle-kept-" and random hex digits, a name no cleanup
    // touches; its name goes to `kept`. 0, or -1 with errno set (it then stays under Name()).
    int KeepAside(const char *fileName, std::string *kept);
    // Flushes the folder, so that a rename in it reaches the disk.
    void SyncFolder() const;

    // Removes every regular file in `folder` whose name starts with `prefix` and that nobody
    // holds locked (the temporaries of saves that were killed); returns how many.
    static int RemoveAbandoned(int folder, const char *prefix);

private:
    int _GiveName();

    int fFolder = -1;
    UniqueFd fFile;
    std::string fPrefix;
    std::string fName;
};

}  // namespace brindle

#endif  // BRINDLE_SYSTEM_HELD_TEMPORARY_H
