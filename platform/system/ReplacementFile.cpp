#include <ReplacementFile.h>

#include <fcntl.h>
#include <stdio.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>

#include <SystemIo.h>

namespace brindle {

namespace {

// Tries before giving up on names that exist already (each one 48 random bits).
const int kAttempts = 100;

}  // namespace

ReplacementFile::~ReplacementFile() {
    Discard();
}

int with_random_name(const std::string &prefix,
                     const std::function<int(const std::string &)> &make) {
    for (int attempt = 0; attempt < kAttempts; attempt++) {
        unsigned char random[6];
        if (getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random))
            return -1;
        char suffix[2 * sizeof random + 1];
        for (size_t i = 0; i < sizeof random; i++)
            snprintf(suffix + 2 * i, 3, "%02x", random[i]);
        if (make(prefix + suffix) == 0)
            return 0;
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

int ReplacementFile::Create(int folder, const char *prefix) {
    Discard();
    fFolder = folder;
    return with_random_name(prefix, [&](const std::string &name) {
        const int fd = retry_on_eintr([&] {
            return openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          0600);
        });
        if (fd < 0)
            return -1;
        fFile.Reset(fd);
        fName = name;
        return 0;
    });
}

int ReplacementFile::Finish() {
    if (retry_on_eintr([&] { return fsync(fFile.Get()); }) != 0) {
        const int error = errno;
        fFile.Close();
        errno = error;
        return -1;
    }
    const int error = fFile.Close();
    if (error == 0)
        return 0;
    errno = error;
    return -1;
}

int ReplacementFile::Commit(const char *name) {
    if (renameat(fFolder, fName.c_str(), fFolder, name) != 0) {
        const int error = errno;
        Discard();
        errno = error;
        return -1;
    }
    fName.clear();
    SyncFolder();
    return 0;
}

int ReplacementFile::Exchange(const char *name) {
    return renameat2(fFolder, fName.c_str(), fFolder, name, RENAME_EXCHANGE);
}

void ReplacementFile::Discard() {
    fFile.Close();
    if (!fName.empty()) {
        const int saved = errno;
        unlinkat(fFolder, fName.c_str(), 0);
        errno = saved;
        fName.clear();
    }
}

void ReplacementFile::SyncFolder() const {
    fsync(fFolder);
}

}  // namespace brindle
