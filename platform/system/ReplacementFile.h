// A new file written beside an old one, to take its name in one step once it is complete:
// an exclusive temporary of a random name (O_CREAT | O_EXCL | O_NOFOLLOW, mode 0600), so it
// is never a file that existed nor one reached through a link planted in the folder; then
// flushed, renamed over the old name, and the folder flushed so the rename lasts. A crash
// leaves the old file or the new one under the name, never a mixture. Not Be API: the
// kits, the player and the add-on share it.
//
//   ReplacementFile file;
//   if (file.Create(folder, ".name.new-") != 0 || write_all(file.Fd(), ...) != 0 ||
//       file.Finish() != 0 || file.Commit("name") != 0)
//       ... errno says why; the temporary is gone
#ifndef BRINDLE_SYSTEM_REPLACEMENT_FILE_H
#define BRINDLE_SYSTEM_REPLACEMENT_FILE_H

#include <functional>
#include <string>

#include <UniqueFd.h>

namespace brindle {

class ReplacementFile {
public:
    ReplacementFile() = default;
    // Removes the temporary unless it was committed or kept.
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    // Makes the temporary in `folder` (a descriptor the caller keeps open until the end),
    // named `prefix` and twelve random hex digits, open for reading and writing. 0, or -1
    // with errno set.
    int Create(int folder, const char *prefix);

    int Fd() const { return fFile.Get(); }
    // The temporary's name in the folder.
    const std::string &Name() const { return fName; }

    // Flushes the content to the disk and closes the descriptor. 0, or -1 with errno set.
    int Finish();
    // Renames the finished temporary to `name` in the folder, then flushes the folder.
    // 0, or -1 with errno set (the temporary is then removed).
    int Commit(const char *name);
    // Swaps the finished temporary with `name` in one step (renameat2 RENAME_EXCHANGE):
    // the old file is then under Name(). 0, or -1 with errno set.
    int Exchange(const char *name);

    // Removes what is under Name() now.
    void Discard();
    // Leaves what is under Name() in place (it holds a file that must not be lost).
    void Keep() { fName.clear(); }
    // Flushes the folder, so that a rename in it reaches the disk.
    void SyncFolder() const;

private:
    int fFolder = -1;
    UniqueFd fFile;
    std::string fName;
};

// Calls `make` with `prefix` followed by twelve random hex digits (48 random bits), again with
// another name for as long as it fails with EEXIST (a hundred tries at most): 0 once `make`
// returned 0, or -1 with errno set.
int with_random_name(const std::string &prefix,
                     const std::function<int(const std::string &)> &make);

}  // namespace brindle

#endif  // BRINDLE_SYSTEM_REPLACEMENT_FILE_H
