#include <WindowList.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

// Recursive: a visit may read the list again (count_windows, is_window_alive).
std::recursive_mutex sListLock;
std::vector<BWindow *> sWindows;

}  // namespace

void for_each_window(const std::function<bool(BWindow *window)> &visit) {
    std::lock_guard<std::recursive_mutex> lock(sListLock);
    // Index loop: the list cannot change under the lock, but stay robust anyway.
    for (size_t i = 0; i < sWindows.size(); i++) {
        if (!visit(sWindows[i]))
            break;
    }
}

int32 count_windows() {
    std::lock_guard<std::recursive_mutex> lock(sListLock);
    return static_cast<int32>(sWindows.size());
}

BWindow *window_at(int32 index) {
    std::lock_guard<std::recursive_mutex> lock(sListLock);
    if (index < 0 || static_cast<size_t>(index) >= sWindows.size())
        return nullptr;
    return sWindows[index];
}

bool is_window_alive(const BWindow *window) {
    std::lock_guard<std::recursive_mutex> lock(sListLock);
    return std::find(sWindows.begin(), sWindows.end(), window) != sWindows.end();
}

namespace BPrivate {

void add_window(BWindow *window) {
    std::lock_guard<std::recursive_mutex> lock(sListLock);
    sWindows.push_back(window);
}

void remove_window(BWindow *window) {
    std::lock_guard<std::recursive_mutex> lock(sListLock);
    sWindows.erase(std::remove(sWindows.begin(), sWindows.end(), window), sWindows.end());
}

}  // namespace BPrivate
