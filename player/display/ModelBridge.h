// The display hook: every model change, on whatever thread made it, marks its window
// dirty and (once per batch) queues a call to the GUI thread. It never blocks beyond
// its own short mutex and never waits for the GUI thread, so a looper thread is never
// held up by the display. Many changes in a row (2,000 `next` steps) become one
// refresh per window per batch.
#ifndef BRINDLE_PLAYER_DISPLAY_MODEL_BRIDGE_H
#define BRINDLE_PLAYER_DISPLAY_MODEL_BRIDGE_H

#include <functional>
#include <set>

#include <DisplayHook.h>
#include <Mutex.h>

class GuiQueue;

class ModelBridge : public BDisplayHook {
public:
    // `refresh` runs on the GUI thread (through `queue`) with the batch.
    typedef std::function<void(const std::set<const BWindow *> &dirty)> Refresh;
    ModelBridge(GuiQueue *queue, Refresh refresh);

    void DisplayChanged(const display_change &change) override EXCLUDES(fLock);

    // GUI thread: takes the pending batch now (a flush before a screenshot or a check).
    void RefreshNow() EXCLUDES(fLock);
    // Any thread: nothing is queued after this returns.
    void Detach() EXCLUDES(fLock);

private:
    brindle::Mutex fLock;
    GuiQueue *fQueue GUARDED_BY(fLock);
    const Refresh fRefresh;
    std::set<const BWindow *> fDirty GUARDED_BY(fLock);
    bool fQueued GUARDED_BY(fLock) = false;
};

#endif  // BRINDLE_PLAYER_DISPLAY_MODEL_BRIDGE_H
