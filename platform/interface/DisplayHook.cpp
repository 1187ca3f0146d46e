#include <DisplayHook.h>

#include <atomic>

#include <Mutex.h>

namespace {

brindle::Mutex sHookLock;
std::shared_ptr<BDisplayHook> sHook GUARDED_BY(sHookLock);
// Whether sHook is set, read without the lock: a headless process, which never installs
// a hook, pays one atomic load per change instead of a lock and a reference count.
std::atomic<bool> sHookInstalled{false};

}  // namespace

std::shared_ptr<BDisplayHook> set_display_hook(std::shared_ptr<BDisplayHook> hook) {
    brindle::MutexLock lock(sHookLock);
    sHook.swap(hook);
    sHookInstalled.store(sHook != nullptr, std::memory_order_release);
    return hook;
}

void notify_display(const display_change &change) {
    if (!sHookInstalled.load(std::memory_order_acquire))
        return;
    // A copy of the pointer keeps the hook alive while it runs, without holding the
    // lock across the call: the hook may be replaced meanwhile.
    std::shared_ptr<BDisplayHook> hook;
    {
        brindle::MutexLock lock(sHookLock);
        hook = sHook;
    }
    if (hook)
        hook->DisplayChanged(change);
}
