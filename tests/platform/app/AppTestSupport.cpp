#include "AppTestSupport.h"

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace app_test {

void Latch::Open() {
    std::lock_guard<std::mutex> lock(fLock);
    fOpen = true;
    fChanged.notify_all();
}

bool Latch::Wait() {
    std::unique_lock<std::mutex> lock(fLock);
    return fChanged.wait_for(lock, kHangGuard, [this] { return fOpen; });
}

RecordingLooper::RecordingLooper(const char *name)
    : BLooper(name), fDestroyedFuture(fDestroyed.get_future().share()) {}

RecordingLooper::~RecordingLooper() {
    fDestroyed.set_value(std::this_thread::get_id());
}

void RecordingLooper::MessageReceived(BMessage *message) {
    if (message->what == kRunFunction) {
        std::function<void()> function;
        {
            std::lock_guard<std::mutex> lock(fLock);
            if (!fFunctions.empty()) {
                function = std::move(fFunctions.front());
                fFunctions.erase(fFunctions.begin());
            }
        }
        if (function)
            function();
        return;
    }
    std::lock_guard<std::mutex> lock(fLock);
    fHandled.push_back(*message);
}

status_t RecordingLooper::RunOnLooperThread(std::function<void()> function) {
    {
        std::lock_guard<std::mutex> lock(fLock);
        fFunctions.push_back(std::move(function));
    }
    return PostMessage(kRunFunction);
}

std::vector<BMessage> RecordingLooper::Handled() {
    std::lock_guard<std::mutex> lock(fLock);
    return fHandled;
}

size_t RecordingLooper::HandledWithCode(uint32 what) {
    std::lock_guard<std::mutex> lock(fLock);
    size_t count = 0;
    for (const BMessage &message : fHandled) {
        if (message.what == what)
            count++;
    }
    return count;
}

bool is_ready(const std::shared_future<std::thread::id> &future) {
    return future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

bool wait_ready(const std::shared_future<std::thread::id> &future) {
    return future.wait_for(kHangGuard) == std::future_status::ready;
}

void quit_from_here(BLooper *looper) {
    if (looper->Lock())
        looper->Quit();
}

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
