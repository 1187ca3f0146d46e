#include "AppTestSupport.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace app_test {

namespace {

void save_variable(const char *name, bool *had, std::string *saved) {
    const char *value = getenv(name);
    *had = value != nullptr;
    if (value != nullptr)
        *saved = value;
}

void restore_variable(const char *name, bool had, const std::string &saved) {
    if (had)
        setenv(name, saved.c_str(), 1);
    else
        unsetenv(name);
}

}  // namespace

ScopedRosterEnvironment::ScopedRosterEnvironment() {
    char pattern[] = "/tmp/brindle-app-test-XXXXXX";
    const char *made = mkdtemp(pattern);
    if (made == nullptr) {
        perror("mkdtemp");
        abort();
    }
    fRoot = made;
    mkdir(RuntimeDirectory().c_str(), 0700);
    mkdir(DataDirectory().c_str(), 0700);
    save_variable("XDG_RUNTIME_DIR", &fHadRuntime, &fSavedRuntime);
    save_variable("XDG_DATA_HOME", &fHadData, &fSavedData);
    setenv("XDG_RUNTIME_DIR", RuntimeDirectory().c_str(), 1);
    setenv("XDG_DATA_HOME", DataDirectory().c_str(), 1);
}

ScopedRosterEnvironment::~ScopedRosterEnvironment() {
    restore_variable("XDG_RUNTIME_DIR", fHadRuntime, fSavedRuntime);
    restore_variable("XDG_DATA_HOME", fHadData, fSavedData);
    remove_tree(fRoot);
}

void ScopedRosterEnvironment::WriteAppEntry(const std::string &signature,
                                            const std::string &program) const {
    std::string directory = DataDirectory() + "/brindle";
    mkdir(directory.c_str(), 0700);
    directory += "/apps";
    mkdir(directory.c_str(), 0700);
    std::string name = signature;
    for (char &c : name) {
        if (c == '/')
            c = '%';
    }
    std::ofstream entry(directory + "/" + name);
    entry << program << "\n";
}

std::string unique_signature(const char *base) {
    static std::atomic<int> counter{0};
    return std::string("application/x-vnd.bt-") + base + "-" + std::to_string(getpid()) + "-" +
           std::to_string(counter++);
}

void remove_tree(const std::string &path) {
    nftw(
        path.c_str(),
        [](const char *entry, const struct stat *, int, struct FTW *) { return remove(entry); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

}  // namespace app_test
