// The player as its add-ons see it. Add-ons resolve these members against the running
// player, which exports them. Every operation is safe to call from any thread.
#ifndef BRINDLE_SDK_SOUND_PLAY_CONTROLLER_H
#define BRINDLE_SDK_SOUND_PLAY_CONTROLLER_H

#include <SupportDefs.h>

#include <PrivatePlaylist.h>

class BHandler;
class ControllerData;

class SoundPlayController {
public:
    SoundPlayController(const SoundPlayController &) = delete;
    SoundPlayController &operator=(const SoundPlayController &) = delete;

    // Recursive, owned by the calling thread. Lock order: controller, then playlist.
    bool Lock();
    void Unlock();

    // Listeners receive MSG_CONTROLS_ADDED whenever a playlist opens. They are kept as
    // messengers, so a listener that is gone is skipped, never dereferenced.
    status_t AddListener(BHandler *handler);
    status_t RemoveListener(BHandler *handler);

    int32 CountPlaylists();
    // An empty handle when `index` is out of range.
    PlaylistPtr PlaylistAt(uint32 index);

    // Asks the player to end interface `id`; the player calls its destroyPluginFunction
    // later, from its own thread, never from inside this call (which is made from the
    // interface's window thread, inside QuitRequested).
    status_t DisableInterface(const char *id);

protected:
    // Only the player makes controllers; it owns `data`.
    explicit SoundPlayController(ControllerData *data);
    ~SoundPlayController();

    ControllerData *const fData;
};

#endif  // BRINDLE_SDK_SOUND_PLAY_CONTROLLER_H
