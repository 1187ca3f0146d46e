#include <WindowList.h>

#include <algorithm>
#include <vector>

#include <Mutex.h>

namespace {

using brindle::MutexLock;

// Not recursive: no visit reads the list again (WindowList.h says what a visit may do),
// so a thread never takes this lock twice.
brindle::Mutex sListLock;
std::vector<BWindow *> sWindows GUARDED_BY(sListLock);

}  // namespace

void for_each_window(const std::function<bool(BWindow *window)> &visit) {
    MutexLock lock(sListLock);
    for (BWindow *window : sWindows) {
        if (!visit(window))
            break;
    }
}

int32 count_windows() {
    MutexLock lock(sListLock);
    return static_cast<int32>(sWindows.size());
}

BWindow *window_at(int32 index) {
    MutexLock lock(sListLock);
    if (index < 0 || static_cast<size_t>(index) >= sWindows.size())
        return nullptr;
    return sWindows[index];
}

bool is_window_alive(const BWindow *window) {
    MutexLock lock(sListLock);
    return std::find(sWindows.begin(), sWindows.end(), window) != sWindows.end();
}

namespace BPrivate {

void add_window(BWindow *window) {
    MutexLock lock(sListLock);
    sWindows.push_back(window);
}

void remove_window(BWindow *window) {
    MutexLock lock(sListLock);
    sWindows.erase(std::remove(sWindows.begin(), sWindows.end(), window), sWindows.end());
}

}  // namespace BPrivate
