// A list of listeners, kept as messengers: a listener that is gone is skipped by the
// messenger, never dereferenced.
//
// Copy on write: a notification takes a snapshot (one reference count increment) under
// the list's own lock and sends outside it, so sending holds no lock and never copies
// the list. Adding and removing, which are rare, build a new list. Safe from any thread.
#ifndef BRINDLE_PLAYER_LISTENER_LIST_H
#define BRINDLE_PLAYER_LISTENER_LIST_H

#include <memory>
#include <vector>

#include <Messenger.h>
#include <Mutex.h>
#include <SupportDefs.h>

class BHandler;

class ListenerList {
public:
    typedef std::shared_ptr<const std::vector<BMessenger>> Snapshot_t;

    // B_BAD_VALUE for null, the messenger's error for a handler in no looper; adding a
    // listener twice keeps one entry.
    status_t Add(const BHandler *handler) EXCLUDES(fLock);
    // B_NAME_NOT_FOUND when the handler is not listening.
    status_t Remove(const BHandler *handler) EXCLUDES(fLock);

    Snapshot_t Snapshot() const EXCLUDES(fLock) {
        brindle::MutexLock lock(fLock);
        return fList;
    }

    // Sends a message with code `what` to every listener of `snapshot`. Listeners that
    // are gone are skipped.
    static void Send(const Snapshot_t &snapshot, uint32 what);

private:
    mutable brindle::Mutex fLock;
    Snapshot_t fList GUARDED_BY(fLock);
};

#endif  // BRINDLE_PLAYER_LISTENER_LIST_H
