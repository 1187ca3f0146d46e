// The contract's controller operations, as add-ons call them.
#include <SoundPlayController.h>

#include "ControllerData.h"

SoundPlayController::SoundPlayController(ControllerData *data) : fData(data) {}

SoundPlayController::~SoundPlayController() {
    delete fData;
}

bool SoundPlayController::Lock() {
    fData->lock.lock();
    return true;
}

void SoundPlayController::Unlock() {
    fData->lock.unlock();
}

status_t SoundPlayController::AddListener(BHandler *handler) {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    return fData->listeners.Add(handler);
}

status_t SoundPlayController::RemoveListener(BHandler *handler) {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    return fData->listeners.Remove(handler);
}

int32 SoundPlayController::CountPlaylists() {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    return static_cast<int32>(fData->playlists.size());
}

PlaylistPtr SoundPlayController::PlaylistAt(uint32 index) {
    std::lock_guard<std::recursive_mutex> lock(fData->lock);
    if (index >= fData->playlists.size())
        return PlaylistPtr();
    return fData->playlists[index];
}

status_t SoundPlayController::DisableInterface(const char *id) {
    if (id == nullptr)
        return B_BAD_VALUE;
    if (!fData->disable)
        return B_NO_INIT;
    fData->disable(id);
    return B_OK;
}
