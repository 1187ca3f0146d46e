#include "Playlist.h"

#include "PlaylistData.h"
#include <PluginInterface.h>

int32 Playlist::AddItem(const char *path) {
    return fData->AddItem(path);
}

status_t Playlist::SetCurrent(int32 index) {
    if (!fData->SetCurrent(index))
        return B_BAD_INDEX;
    _Notify(MSG_PLAYLIST_CURRENT);
    return B_OK;
}

void Playlist::Step(int32 delta) {
    fData->Step(delta);
    _Notify(MSG_PLAYLIST_CURRENT);
}

void Playlist::NotifyCurrent() {
    _Notify(MSG_PLAYLIST_CURRENT);
}

void Playlist::NotifyLostControls() {
    _Notify(MSG_PLAYLIST_LOST_CONTROLS);
}

void Playlist::_Notify(uint32 what) {
    ListenerList::Send(fData->Listeners().Snapshot(), what);
}
