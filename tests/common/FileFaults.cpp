#include "FileFaults.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "NextDefinition.h"

using test_support::next_definition;

FileFaults &file_faults() {
    static FileFaults faults;
    return faults;
}

namespace {

// Takes the action out before running it, so it runs once even if it renames.
template <typename... Arguments>
void run_once(std::function<void(Arguments...)> &slot, Arguments... arguments) {
    std::function<void(Arguments...)> action;
    action.swap(slot);
    if (action)
        action(arguments...);
}

// How much of a write of `length` bytes goes through; `*die` when that uses up what was
// left, and the process is to die once it is written.
size_t write_budget(size_t length, bool *die) {
    long long &left = file_faults().writesBeforeKill;
    *die = left >= 0 && static_cast<long long>(length) >= left;
    if (*die)
        return static_cast<size_t>(left);
    if (left >= 0)
        left -= static_cast<long long>(length);
    return length;
}

template <typename Result>
Result die_if(bool die, Result result) {
    if (die)
        kill(getpid(), SIGKILL);
    return result;
}

template <typename Rename>
int faulty_rename(Rename rename) {
    run_once(file_faults().beforeRename);
    const int result = rename();
    run_once(file_faults().afterRename);
    return result;
}

bool unnamed_file(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 0;
}

}  // namespace

extern "C" {

int renameat(int fromDir, const char *from, int toDir, const char *to) {
    using Function = int (*)(int, const char *, int, const char *);
    static const Function next = next_definition<Function>("renameat");
    return faulty_rename([&] { return next(fromDir, from, toDir, to); });
}

int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned int flags) {
    using Function = int (*)(int, const char *, int, const char *, unsigned int);
    static const Function next = next_definition<Function>("renameat2");
    if (file_faults().noRenameExchange) {
        errno = EINVAL;
        return -1;
    }
    return faulty_rename([&] { return next(fromDir, from, toDir, to, flags); });
}

ssize_t write(int fd, const void *buffer, size_t length) {
    using Function = ssize_t (*)(int, const void *, size_t);
    static const Function next = next_definition<Function>("write");
    bool die;
    const size_t allowed = write_budget(length, &die);
    if (file_faults().corruptCopyWrite && allowed > 0 && unnamed_file(fd)) {
        file_faults().corruptCopyWrite = false;
        std::string changed(static_cast<const char *>(buffer), allowed);
        changed[0] ^= 0x20;
        return die_if(die, next(fd, changed.data(), allowed));
    }
    return die_if(die, next(fd, buffer, allowed));
}

ssize_t pwrite(int fd, const void *buffer, size_t length, off_t offset) {
    using Function = ssize_t (*)(int, const void *, size_t, off_t);
    static const Function next = next_definition<Function>("pwrite");
    bool die;
    const size_t allowed = write_budget(length, &die);
    return die_if(die, next(fd, buffer, allowed, offset));
}

ssize_t copy_file_range(int in, loff_t *inOffset, int out, loff_t *outOffset, size_t length,
                        unsigned int flags) {
    using Function = ssize_t (*)(int, loff_t *, int, loff_t *, size_t, unsigned int);
    static const Function next = next_definition<Function>("copy_file_range");
    bool die;
    const size_t allowed = write_budget(length, &die);
    return die_if(die, next(in, inOffset, out, outOffset, allowed, flags));
}

int fsync(int fd) {
    using Function = int (*)(int);
    static const Function next = next_definition<Function>("fsync");
    if (file_faults().beforeCopyFlush && unnamed_file(fd))
        run_once(file_faults().beforeCopyFlush, fd);
    return next(fd);
}

}  // extern "C"
