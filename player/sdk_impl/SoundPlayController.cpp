// The contract's controller operations, as add-ons call them.
#include <SoundPlayController.h>

#include "ControllerData.h"

SoundPlayController::SoundPlayController(ControllerData *data) : fData(data) {}

SoundPlayController::~SoundPlayController() {
    delete fData;
}

// The add-on holds the lock between these two calls, outside anything the analysis sees.
bool SoundPlayController::Lock() NO_THREAD_SAFETY_ANALYSIS {
    fData->Lock();
    return true;
}

void SoundPlayController::Unlock() NO_THREAD_SAFETY_ANALYSIS {
    fData->Unlock();
}

status_t SoundPlayController::AddListener(BHandler *handler) {
    return fData->Listeners().Add(handler);
}

status_t SoundPlayController::RemoveListener(BHandler *handler) {
    return fData->Listeners().Remove(handler);
}

int32 SoundPlayController::CountPlaylists() {
    return fData->CountPlaylists();
}

PlaylistPtr SoundPlayController::PlaylistAt(uint32 index) {
    return fData->PlaylistAt(index);
}

status_t SoundPlayController::DisableInterface(const char *id) {
    if (id == nullptr)
        return B_BAD_VALUE;
    return fData->Disable(id) ? B_OK : B_NO_INIT;
}
