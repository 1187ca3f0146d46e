#include <DisplayHook.h>

#include <mutex>

namespace {

std::mutex sHookLock;
std::shared_ptr<BDisplayHook> sHook;

}  // namespace

std::shared_ptr<BDisplayHook> set_display_hook(std::shared_ptr<BDisplayHook> hook) {
    std::lock_guard<std::mutex> lock(sHookLock);
    sHook.swap(hook);
    return hook;
}

void notify_display(const display_change &change) {
    // A copy of the pointer keeps the hook alive while it runs, without holding the
    // lock across the call: the hook may be replaced meanwhile.
    std::shared_ptr<BDisplayHook> hook;
    {
        std::lock_guard<std::mutex> lock(sHookLock);
        hook = sHook;
    }
    if (hook)
        hook->DisplayChanged(change);
}
