// The stand-in player's core: its add-ons, its controller and playlists, the interfaces
// it has enabled, and the queue of work other threads hand to its main thread.
//
// Threads. Everything here runs on the main thread except RequestDisable() and
// RequestEnable(), which any thread may call (a window's thread inside QuitRequested, the
// roster's listener thread): they only queue work that Settle() or the input loop runs
// on the main thread. The main thread never holds a controller or playlist lock while
// it calls into an add-on or waits for a window.
#ifndef BRINDLE_PLAYER_PLAYER_H
#define BRINDLE_PLAYER_PLAYER_H

#include <memory>
#include <string>
#include <vector>

#include <Rect.h>

#include "AddOnLoader.h"
#include "CommandArguments.h"
#include "FollowHost.h"
#include "Help.h"
#include "InterfaceHost.h"
#include "PlayerController.h"
#include "Status.h"
#include "TaskQueue.h"

// A display front end: the seam where windows are drawn and photographed. Without
// one the player is headless. Called on the thread that runs the commands.
class Display {
public:
    virtual ~Display() = default;
    // Writes a PNG of every shown window, side by side.
    virtual Status Screenshot(const std::string &path) = 0;
    // Commands of the front end's own: asked for every command name the language does
    // not know. RunCommand gets the words after the name; a failure's text says why,
    // without the name.
    virtual bool OwnsCommand(const std::string & /*name*/) const { return false; }
    virtual Status RunCommand(const std::string & /*name*/, Arguments & /*arguments*/) {
        return Status(B_NAME_NOT_FOUND, "");
    }
    // The help of those commands, for `help`.
    virtual std::vector<CommandHelp> CommandsHelp() const { return {}; }
    // The end of the waiting rule: called once the windows are idle after a command,
    // so the front end can let its widgets catch up before the next one.
    virtual void CatchUp() {}
    // Where windows can go: the screens' areas (empty: unknown), and the frame of the
    // player's own window once the window system has placed it (false: it has none):
    // its own area in `frame`, with the window manager's decoration in `decorated`.
    virtual std::vector<BRect> ScreenFrames() { return {}; }
    virtual bool PlayerWindowFrame(BRect * /*frame*/, BRect * /*decorated*/) { return false; }
    // A failure of the player's own that a person should see (standard error has it too):
    // shown in the player's window.
    virtual void Notice(const std::string & /*text*/) {}
};

class Follower;

class Player : public FollowHost {
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
    void SetDisplay(Display *display);

    // Playlist 0 with `paths` as its items, the first one current.
    void OpenStartPlaylist(const std::vector<std::string> &paths);
    // --follow: playlist 0 mirrors the MPRIS player `name` ("" for the one playing) from now on
    // (Follower.h), or a failure saying why it cannot.
    Status Follow(const std::string &name);
    bool Following() const { return fFollower != nullptr; }
    // Any thread: what following is doing ("waiting for mpv", "following mpv", "mpv has
    // quit"); "" without --follow.
    std::string FollowerWords() const;

    // Enables interface `id`: OK (also when it was enabled already); B_NAME_NOT_FOUND
    // or B_BAD_TYPE (no such interface, in words); a failure said on standard error
    // already (WasReported), naming the image, when its entry points were unusable or its
    // show failed.
    Status Enable(const std::string &id);
    // Enables every interface loaded, in load order.
    void EnableAll();
    // Whether an interface was ever enabled.
    bool EverEnabled() const { return fEverEnabled; }

    // Any thread: ask the main thread to disable `id` (an id that is not enabled by the
    // time it runs is ignored: a window may ask twice).
    void RequestDisable(const char *id);
    // Any thread: ask the main thread to enable `id` as the enable command does; when
    // it cannot, standard error and the display's notice say why.
    void RequestEnable(const std::string &id);

    // The waiting rule, after every command: runs the queued work, then waits until
    // every window has handled all that was sent to it, and again while that queued
    // more work.
    void Settle();

    // Disables every interface (the queued work first) and drops the playlists.
    void Shutdown();

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
