#include "ModelBridge.h"

#include <QMetaObject>
#include <QObject>

ModelBridge::ModelBridge(QObject *receiver, Refresh refresh)
    : fReceiver(receiver), fRefresh(std::move(refresh)) {}

void ModelBridge::DisplayChanged(const display_change &change) {
    if (change.window == nullptr)
        return;  // a view outside any window: nothing is shown for it
    std::lock_guard<std::mutex> lock(fLock);
    fDirty.insert(change.window);
    if (fQueued || fReceiver == nullptr)
        return;
    fQueued = true;
    // Posting is done under the lock, so Detach() can promise that nothing reaches
    // the receiver afterwards.
    QMetaObject::invokeMethod(
        fReceiver, [this] { RefreshNow(); }, Qt::QueuedConnection);
}

void ModelBridge::RefreshNow() {
    std::set<const BWindow *> dirty;
    {
        std::lock_guard<std::mutex> lock(fLock);
        dirty.swap(fDirty);
        fQueued = false;
        if (fReceiver == nullptr)
            return;
    }
    if (!dirty.empty())
        fRefresh(dirty);
}

void ModelBridge::Detach() {
    std::lock_guard<std::mutex> lock(fLock);
    fReceiver = nullptr;
    fDirty.clear();
}
