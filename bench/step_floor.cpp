// The floor the player's steps are measured against: a process that does only the
// system calls one step needs, with the one thread hand-off per command the player
// cannot avoid (the window runs on a thread of its own and the player waits for it).
//
// usage: step_floor browse|untyped|edit|browse-checked|edit-checked STEPS FILE...
//
// It loads FILE 1 (as `enable` loads the first item), then makes STEPS steps through
// the files, forward to the last and back, as a script of `next` and `prev` does:
//   browse   per step one hand-off and a load: open, the six attributes, the type (the
//            recorded BEOS:TYPE), the ID3v1 tag at the end, close;
//   untyped  the same, but no type is recorded: both type attributes are asked for and
//            missed, and the head of the file is read for a sniff;
//   edit     two commands, so two hand-offs: the typed title is kept, then the title
//            attribute and the tag's title field are written into the file shown and
//            the next file is loaded as in browse.
//   browse-checked, edit-checked
//            the same steps with the calls the add-on's own rules add to them: a load
//            checks the folder of the path and the kind of file it opened (no FIFO or
//            device is ever read), and prints its lines; a save checks that the name
//            still leads to the file the form was loaded from before opening it for
//            writing, holds the save lock, reads the type and the whole ID3v1 trailer,
//            and looks for an ID3v2 tag at the head of the file.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace {

const char *const kAttributes[] = {"user.haiku.Audio:Title",  "user.haiku.Audio:Artist",
                                   "user.haiku.Audio:Album",  "user.haiku.Audio:Genre",
                                   "user.haiku.Audio:Rating", "user.haiku.Audio:VolumeAdjustment"};

// What the window's thread is to the player: a second thread that runs one task at a
// time while the poster waits for it to finish.
class Worker {
public:
    Worker() : fThread([this] { _Loop(); }) {}
    ~Worker() {
        Run(nullptr);
        fThread.join();
    }
    // Runs `task` on the worker and returns once it is done (a null task ends it). Each
    // side wakes the other after letting go of the mutex, so the woken thread finds it free.
    void Run(std::function<void()> task) {
        {
            std::lock_guard<std::mutex> lock(fLock);
            fTask = std::move(task);
            fPending = true;
        }
        fWake.notify_one();
        std::unique_lock<std::mutex> lock(fLock);
        fDone.wait(lock, [this] { return !fPending; });
    }

private:
    void _Loop() {
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock<std::mutex> lock(fLock);
                fWake.wait(lock, [this] { return fPending; });
                task = std::move(fTask);
            }
            if (task)
                task();
            {
                std::lock_guard<std::mutex> lock(fLock);
                fPending = false;
            }
            fDone.notify_one();
            if (!task)
                return;
        }
    }

    std::mutex fLock;
    std::condition_variable fWake, fDone;
    std::function<void()> fTask;
    bool fPending = false;
    std::thread fThread;
};

int open_or_exit(const char *path, int flags) {
    const int fd = open(path, flags | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        perror(path);
        exit(1);
    }
    return fd;
}

// What a load reads of an open file: the six attributes, the type (for a file without a
// recorded one: the freedesktop record and the head of the file), the ID3v1 trailer.
void read_form(int fd) {
    char value[300];
    for (const char *name : kAttributes)
        fgetxattr(fd, name, value, sizeof value);
    if (fgetxattr(fd, "user.haiku.BEOS:TYPE", value, sizeof value) < 0) {
        fgetxattr(fd, "user.mime_type", value, sizeof value);
        char head[4096];
        pread(fd, head, sizeof head, 0);
    }
    struct stat info;
    fstat(fd, &info);
    char tag[128];
    pread(fd, tag, sizeof tag, info.st_size - 128);
}

void load(const char *path) {
    const int fd = open_or_exit(path, O_RDONLY);
    read_form(fd);
    close(fd);
}

void save_title(const char *path, const std::string &title) {
    const int fd = open_or_exit(path, O_RDWR);
    std::string value = "RTSC" + title + '\0';
    fsetxattr(fd, kAttributes[0], value.data(), value.size(), 0);
    struct stat info;
    fstat(fd, &info);
    char field[30] = {};
    memcpy(field, title.data(), title.size() < 30 ? title.size() : 30);
    pwrite(fd, field, sizeof field, info.st_size - 125);
    close(fd);
}

void load_checked(const char *path) {
    std::string folder(path);
    folder.erase(folder.find_last_of('/') + 1);
    struct stat info;
    stat(folder.empty() ? "." : folder.c_str(), &info);
    const int fd = open_or_exit(path, O_RDONLY);
    fstat(fd, &info);
    read_form(fd);
    close(fd);
    // The add-on's lines for one load, about as long as they are.
    static const std::string lines(311, 'x');
    write(STDOUT_FILENO, lines.data(), lines.size());
}

void save_title_checked(const char *path, const std::string &title) {
    const int checked = open_or_exit(path, O_RDONLY);
    struct stat info;
    fstat(checked, &info);
    const int lock = fcntl(checked, F_DUPFD_CLOEXEC, 0);
    flock(lock, LOCK_EX);
    const int fd = open_or_exit(path, O_RDWR);
    fstat(fd, &info);
    close(checked);
    std::string value = "RTSC" + title + '\0';
    fsetxattr(fd, kAttributes[0], value.data(), value.size(), 0);
    char type[300];
    fgetxattr(fd, "user.haiku.BEOS:TYPE", type, sizeof type);
    fstat(fd, &info);
    char tag[128];
    pread(fd, tag, sizeof tag, info.st_size - 128);
    char field[30] = {};
    memcpy(field, title.data(), title.size() < 30 ? title.size() : 30);
    pwrite(fd, field, sizeof field, info.st_size - 125);
    char head[10];
    pread(fd, head, sizeof head, 0);
    flock(lock, LOCK_UN);
    close(lock);
    close(fd);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 4) {
        fprintf(
            stderr,
            "usage: step_floor browse|untyped|edit|browse-checked|edit-checked STEPS FILE...\n");
        return 2;
    }
    const std::string mode = argv[1];
    const long steps = strtol(argv[2], nullptr, 10);
    char **files = argv + 3;
    const int count = argc - 3;
    const bool checked = mode == "browse-checked" || mode == "edit-checked";
    const bool edit = mode == "edit" || mode == "edit-checked";
    void (*load)(const char *) = checked ? load_checked : ::load;
    void (*save_title)(const char *, const std::string &) =
        checked ? save_title_checked : ::save_title;

    Worker window;
    int current = 0;
    window.Run([&] { load(files[current]); });
    int direction = 1;
    std::string typedTitle;
    for (long step = 0; step < steps; step++) {
        if (count > 1 && (current + direction < 0 || current + direction >= count))
            direction = -direction;
        const int next = count > 1 ? current + direction : current;
        if (edit) {
            const std::string title = "Edited " + std::to_string(step);
            window.Run([&] { typedTitle = title; });
            window.Run([&] {
                save_title(files[current], typedTitle);
                load(files[next]);
            });
        } else {
            window.Run([&] { load(files[next]); });
        }
        current = next;
    }
    return 0;
}
