// The stand-in player's core: its add-ons, its controller and playlists, the interfaces
// it has enabled, and the queue of work other threads hand to its main thread.
//
// Threads. Everything here runs on the main thread except the Request…() calls, which
// any thread may make (a window's thread inside QuitRequested, the roster's listener
// thread, the display's GUI thread), and the display's other any-thread calls
// (DisplayHost.h): a request only queues work that Settle() or the input loop runs on the
// main thread. The main thread never holds a controller or playlist lock while it calls
// into an add-on or waits for a window.
#ifndef BRINDLE_PLAYER_PLAYER_H
#define BRINDLE_PLAYER_PLAYER_H

#include <memory>
#include <string>
#include <vector>

#include <Rect.h>

#include "AddOnLoader.h"
#include "DisplayHost.h"
#include "FollowHost.h"
#include "InterfaceHost.h"
#include "PlayerController.h"
#include "Status.h"
#include "TaskQueue.h"

class Follower;

class Player : public FollowHost, public DisplayHost {
public:
    Player();
    ~Player();
    Player(const Player &) = delete;
    Player &operator=(const Player &) = delete;

    AddOnLoader &AddOns() { return fAddOns; }
    InterfaceHost &Interfaces() { return fInterfaces; }
    PlayerController *Controller() override { return &fController; }
    TaskQueue &Tasks() override { return fTasks; }

    Display *GetDisplay() const { return fDisplay; }
    // With a display the places of interface windows are remembered (FrameStore.h).
    void SetDisplay(Display *display) override;

    // Playlist 0 with `paths` as its items, the first one current.
    void OpenStartPlaylist(const std::vector<std::string> &paths);
    // --follow: playlist 0 mirrors the MPRIS player `name` ("" for the one playing) from now on
    // (Follower.h), or a failure saying why it cannot.
    Status Follow(const std::string &name);
    bool Following() const { return fFollower != nullptr; }
    // Any thread: what following is doing ("waiting for mpv", "following mpv", "mpv has
    // quit"); "" without --follow.
    std::string FollowerWords() const override;

    // Enables interface `id`: OK (also when it was enabled already); B_NAME_NOT_FOUND
    // or B_BAD_TYPE (no such interface, in words); a failure said on standard error
    // already (WasReported), naming the image, when its entry points were unusable or its
    // show failed.
    Status Enable(const std::string &id);
    // Enables every interface loaded, in load order.
    void EnableAll() override;
    // Whether an interface was ever enabled.
    bool EverEnabled() const { return fEverEnabled; }

    // Any thread: ask the main thread to disable `id` (an id that is not enabled by the
    // time it runs is ignored: a window may ask twice).
    void RequestDisable(const std::string &id) override;
    // Any thread: ask the main thread to enable `id` as the enable command does; when
    // it cannot, standard error and the display's notice say why.
    void RequestEnable(const std::string &id) override;

    // The waiting rule, after every command: runs the queued work, then waits until
    // every window has handled all that was sent to it, and again while that queued
    // more work.
    void Settle() override;

    // Disables every interface (the queued work first) and drops the playlists.
    void Shutdown() override;

    // The rest of the display's side (DisplayHost.h; PlayerDisplayHost.cpp).
    std::vector<std::string> EnabledInterfaces() const override;
    bool WaitForWork() override;
    int TerminationSignal() const override;
    void Wake() override;
    std::vector<InterfaceName> LoadedInterfaces() const override;
    PlaylistView FirstPlaylist() override;
    void RequestGoto(int index) override;
    void RequestStep(int delta) override;
    void RequestVolume(float volume) override;
    void RequestAdd(const std::vector<std::string> &paths) override;

private:
    AddOnLoader fAddOns;
    PlayerController fController;
    InterfaceHost fInterfaces;
    TaskQueue fTasks;
    std::unique_ptr<Follower> fFollower;
    Display *fDisplay = nullptr;
    std::unique_ptr<WindowPlacement> fPlacement;
    bool fEverEnabled = false;
    bool fShuttingDown = false;
};

#endif  // BRINDLE_PLAYER_PLAYER_H
