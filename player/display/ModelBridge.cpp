#include "ModelBridge.h"

#include "GuiQueue.h"

ModelBridge::ModelBridge(GuiQueue *queue, Refresh refresh)
    : fQueue(queue), fRefresh(std::move(refresh)) {}

void ModelBridge::DisplayChanged(const display_change &change) {
    if (change.window == nullptr)
        return;  // a view outside any window: nothing is shown for it
    brindle::MutexLock lock(fLock);
    fDirty.insert(change.window);
    if (fQueued || fQueue == nullptr)
        return;
    fQueued = true;
    // Posting is done under the lock, so Detach() can promise that nothing is queued
    // afterwards. Post() never waits.
    fQueue->Post([this] { RefreshNow(); });
}

void ModelBridge::RefreshNow() {
    std::set<const BWindow *> dirty;
    {
        brindle::MutexLock lock(fLock);
        dirty.swap(fDirty);
        fQueued = false;
        if (fQueue == nullptr)
            return;
    }
    if (!dirty.empty())
        fRefresh(dirty);
}

void ModelBridge::Detach() {
    brindle::MutexLock lock(fLock);
    fQueue = nullptr;
    fDirty.clear();
}
