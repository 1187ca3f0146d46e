// The place of each interface's window, remembered between runs when the player draws
// its windows: the last frame an interface's getconfig gave before it was disabled,
// handed to its setconfig right after the next getplugin. A frame whose window (its own
// size at the kept corner) would be off every screen is not handed back; without one, the window
// goes beside the player's own window rather than over it.
//
// The file is $XDG_CONFIG_HOME/brindle-player/frames (~/.config/… by default), one
// line per interface: "ID L T R B". Headless players never use it, so their output
// stays as it is.
#ifndef BRINDLE_PLAYER_FRAME_STORE_H
#define BRINDLE_PLAYER_FRAME_STORE_H

#include <map>
#include <string>

#include <Rect.h>

#include "InterfaceHost.h"
#include "Status.h"

class Display;

class FrameStore {
public:
    // The file's path from the environment; empty when neither XDG_CONFIG_HOME nor
    // HOME names an absolute directory.
    static std::string DefaultPath();

    explicit FrameStore(std::string path) : fPath(std::move(path)) {}

    const std::string &Path() const { return fPath; }
    // The frame kept for `id`; false when there is none (or no readable file).
    bool Find(const std::string &id, BRect *frame) const;
    // Keeps `frame` for `id` beside the other interfaces' frames: the file is written
    // anew beside the old one, under a random name it creates exclusively (never through
    // a symbolic link), and renamed over it, its folder made if needed; a failure says
    // what could not be done.
    Status Keep(const std::string &id, const BRect &frame);

private:
    std::map<std::string, BRect> _Read() const;

    std::string fPath;
};

// The player's placement of interface windows when it draws them (main thread).
class RememberedFrames : public WindowPlacement {
public:
    RememberedFrames(const std::string &path, Display &display) : fStore(path), fDisplay(display) {}

    bool Place(const std::string &id, const BRect &current, BMessage *config) override;
    // A failure to keep the frame is named on standard error and in the player's window.
    void Remember(const std::string &id, const BMessage &config) override;

private:
    // Beside the player's window (right, else left), the size of `current`; false when
    // it fits on no screen or the player's window is not known.
    bool _BesideThePlayer(const BRect &current, BRect *frame);

    FrameStore fStore;
    Display &fDisplay;
};

#endif  // BRINDLE_PLAYER_FRAME_STORE_H
