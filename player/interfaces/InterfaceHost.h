// The interfaces the player has enabled, and every call the player makes into them.
//
// Main thread only. The player calls into an add-on with no lock of its own held, so a
// window thread that calls back into the controller or a playlist meanwhile can never
// deadlock against it.
//
// The windows an interface makes while the player calls it (getplugin above all) are
// recorded as its windows, by token: the commands that act on "the interface's window"
// find them again through the window list, and never keep a pointer to one.
#ifndef BRINDLE_PLAYER_INTERFACE_HOST_H
#define BRINDLE_PLAYER_INTERFACE_HOST_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AddOnLoader.h"
#include "Status.h"
#include <PluginInterface.h>

class BRect;
class SoundPlayController;

// What the player does about an interface's window frame across its enablings (the
// player's memory of window places, FrameStore.h). Main thread.
class WindowPlacement {
public:
    virtual ~WindowPlacement() = default;
    // Right after getplugin, before show: fills `config` for setconfig, or returns false
    // for no call. `current` is the interface's window's frame now (invalid if none).
    virtual bool Place(const std::string &id, const BRect &current, BMessage *config) = 0;
    // Right before destroyplugin, with what the interface's getconfig gave.
    virtual void Remember(const std::string &id, const BMessage &config) = 0;
};

struct EnabledInterface {
    const LoadedDescriptor *source;
    std::string id;
    void *data;
    const InterfacePluginOps *ops;
    std::vector<int32> windowTokens;
};

class InterfaceHost {
public:
    explicit InterfaceHost(SoundPlayController *controller) : fController(controller) {}
    ~InterfaceHost();
    InterfaceHost(const InterfaceHost &) = delete;
    InterfaceHost &operator=(const InterfaceHost &) = delete;

    // getplugin, then the ops' show. OK also when it was enabled already (nothing is
    // called then). A failure when the image's entry points are unusable (missing
    // getPluginFunction, no or a wrong operations table) or its show fails: its text names
    // the image, and it was said on standard error (WasReported) before whatever getplugin
    // made is destroyed again; the interface is not enabled then.
    Status Enable(const LoadedDescriptor &source);
    // destroyPluginFunction. B_NAME_NOT_FOUND ("interface "ID" is not enabled") when
    // `id` is not enabled.
    Status Disable(const std::string &id);
    // Disables every enabled interface, the last enabled first.
    void DisableAll();

    EnabledInterface *Find(const std::string &id);
    // The interface the window commands act on: the one enabled last.
    EnabledInterface *Current();
    size_t Count() const { return fEnabled.size(); }
    const std::vector<std::unique_ptr<EnabledInterface>> &Enabled() const { return fEnabled; }

    // The ops' show: a failure naming the image and the interface when it fails (or the
    // ops have none).
    Status Show(EnabledInterface &interface);
    void Hide(EnabledInterface &interface);
    void SetConfig(EnabledInterface &interface, BMessage *config);
    status_t GetConfig(EnabledInterface &interface, BMessage *config);

    // Null (the default): no setconfig after getplugin, no getconfig before
    // destroyplugin. Not owned.
    void SetPlacement(WindowPlacement *placement) { fPlacement = placement; }

private:
    // Runs `call` and records the windows that appeared meanwhile as the interface's.
    void _Call(EnabledInterface &interface, const std::function<void()> &call);
    void _Destroy(const LoadedDescriptor &source, void *data);
    void _Place(EnabledInterface &interface);
    void _Remember(EnabledInterface &interface);

    SoundPlayController *const fController;
    std::vector<std::unique_ptr<EnabledInterface>> fEnabled;
    WindowPlacement *fPlacement = nullptr;
};

#endif  // BRINDLE_PLAYER_INTERFACE_HOST_H
