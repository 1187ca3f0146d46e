// The seam between the player and its display front end (display/, the module
// libbrindle-display.so): what the front end needs of the player (DisplayHost, which the
// player implements), and what the player calls on the front end (Display). Only plain
// values cross it; the front end knows nothing else of the player.
//
// Threads. "Command thread" is the thread that runs the player's commands (with a display,
// one of its own; Qt's event loop has the main thread). "Any thread" calls only read what is
// safe to read anywhere, or queue work for the command thread, which runs it in Settle().
#ifndef BRINDLE_PLAYER_SEAMS_DISPLAY_HOST_H
#define BRINDLE_PLAYER_SEAMS_DISPLAY_HOST_H

#include <functional>
#include <string>
#include <vector>

#include <Rect.h>

#include "CommandArguments.h"
#include "Help.h"
#include "Status.h"

// A display front end: the seam where windows are drawn and photographed. Without
// one the player is headless. Called on the command thread, except Notice.
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
    // Any thread. A failure of the player's own that a person should see (standard error
    // has it too): shown in the player's window.
    virtual void Notice(const std::string & /*text*/) {}
};

// An interface the player loaded, as its window's Interfaces menu lists it.
struct InterfaceName {
    std::string id;
    std::string name;
};

// Playlist 0 as the player's window shows it.
struct PlaylistView {
    bool open = false;  // false: no playlist 0, and the rest is as here
    std::vector<std::string> paths;
    int current = -1;
    double volume = 1.0;
};

class DisplayHost {
public:
    // Command thread. The front end the player calls from now on; null: none.
    virtual void SetDisplay(Display *display) = 0;
    // Command thread: enables every interface loaded, as the player without a script does.
    virtual void EnableAll() = 0;
    // Command thread: runs the work queued for it and waits until every window has handled
    // all that was sent to it (the player's waiting rule after every command).
    virtual void Settle() = 0;
    // Command thread: disables every interface and drops the playlists.
    virtual void Shutdown() = 0;
    // Command thread: the ids of the enabled interfaces.
    virtual std::vector<std::string> EnabledInterfaces() const = 0;
    // Command thread: waits until work is queued for it, Wake() is called or a termination
    // signal comes; false when it cannot wait at all.
    virtual bool WaitForWork() = 0;
    // Any thread: the termination signal received (SIGINT, SIGTERM), 0 if none.
    virtual int TerminationSignal() const = 0;
    // Any thread: ends a WaitForWork() now.
    virtual void Wake() = 0;

    // Any thread: what the player's window shows.
    virtual std::vector<InterfaceName> LoadedInterfaces() const = 0;
    virtual PlaylistView FirstPlaylist() = 0;
    // What following is doing ("following mpv"); "" without --follow.
    virtual std::string FollowerWords() const = 0;

    // Any thread: what the player's window asks for, queued for the command thread. An
    // interface that cannot be enabled is said on standard error and in Notice().
    virtual void RequestEnable(const std::string &id) = 0;
    virtual void RequestDisable(const std::string &id) = 0;
    // Playlist 0, when one is open: item `index` current (-1: none), one item on or back
    // (stopping at either end), its volume.
    virtual void RequestGoto(int index) = 0;
    virtual void RequestStep(int delta) = 0;
    virtual void RequestVolume(float volume) = 0;
    // Appends `paths` to playlist 0, opening one first if none is open.
    virtual void RequestAdd(const std::vector<std::string> &paths) = 0;

protected:
    ~DisplayHost() = default;
};

// What the player hands the display module.
struct DisplayRun {
    int *argc;
    char **argv;
    DisplayHost *host;
    // A script's commands, run on the command thread; empty without a script (the
    // windows' and the roster's requests are served until the player's window closes).
    std::function<int()> script;
};

// The module's entry point, by this name: runs the player with windows, Qt's event loop
// on the calling (main) thread, and returns the exit status once the windows are gone
// and the player is shut down.
extern "C" int brindle_display_main(const DisplayRun *run);

#endif  // BRINDLE_PLAYER_SEAMS_DISPLAY_HOST_H
