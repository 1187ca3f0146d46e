#include "ListenerList.h"

#include <algorithm>

#include <Handler.h>
#include <Message.h>

status_t ListenerList::Add(const BHandler *handler) {
    if (handler == nullptr)
        return B_BAD_VALUE;
    status_t status;
    BMessenger messenger(handler, nullptr, &status);
    if (status != B_OK)
        return status;
    brindle::MutexLock lock(fLock);
    if (fList && std::find(fList->begin(), fList->end(), messenger) != fList->end())
        return B_OK;
    auto list = fList ? std::make_shared<std::vector<BMessenger>>(*fList)
                      : std::make_shared<std::vector<BMessenger>>();
    list->push_back(messenger);
    fList = std::move(list);
    return B_OK;
}

status_t ListenerList::Remove(const BHandler *handler) {
    if (handler == nullptr)
        return B_BAD_VALUE;
    // Compare by token, not through a new messenger: a handler that already left its
    // looper must still be removable.
    const int32 token = handler->Token();
    brindle::MutexLock lock(fLock);
    if (!fList)
        return B_NAME_NOT_FOUND;
    auto matches = [token](const BMessenger &messenger) {
        return messenger.HandlerToken() == token;
    };
    if (std::find_if(fList->begin(), fList->end(), matches) == fList->end())
        return B_NAME_NOT_FOUND;
    auto list = std::make_shared<std::vector<BMessenger>>();
    list->reserve(fList->size() - 1);
    std::remove_copy_if(fList->begin(), fList->end(), std::back_inserter(*list), matches);
    if (list->empty())
        fList.reset();
    else
        fList = std::move(list);
    return B_OK;
}

void ListenerList::Send(const Snapshot_t &snapshot, uint32 what) {
    if (!snapshot)
        return;
    BMessage message(what);
    for (const BMessenger &messenger : *snapshot)
        messenger.SendMessage(&message);
}
