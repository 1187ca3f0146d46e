// The player's display front end (Qt 6 Widgets): a mirror of every window model, and
// the player's own window.
//
// Threads. The QtDisplay is made, used and destroyed on the GUI thread (the process's
// main thread, running Qt's event loop), except for the calls marked "command thread":
// the player's commands run on a thread of their own and reach the widgets only through
// queued calls. The command thread waits for the GUI thread (CatchUp, Screenshot, the
// front-end commands); the GUI thread never waits for the command thread or a looper,
// and no looper ever waits for the GUI thread (model changes reach it through the
// display hook, which only queues).
#ifndef BRINDLE_PLAYER_DISPLAY_QT_DISPLAY_H
#define BRINDLE_PLAYER_DISPLAY_QT_DISPLAY_H

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "DisplayHost.h"

class GuiQueue;
class ModelBridge;
class PlayerWindow;
class WindowMirror;
class BWindow;

class QtDisplay : public Display {
public:
    // GUI thread, with the QApplication made. Installs the display hook and mirrors the
    // windows that exist already.
    explicit QtDisplay(DisplayHost &host);
    // GUI thread. Removes the hook; no queued call reaches the front end afterwards.
    ~QtDisplay() override;

    // Command thread: writes a PNG of every shown window (the player's first), side
    // by side, after the widgets have caught up with the models.
    Status Screenshot(const std::string &path) override;
    // Command thread, after the models settled: the widgets show every change made so
    // far (and the player's window which interfaces are enabled) when this returns.
    void CatchUp() override;
    // Command thread: the front-end commands (widget-…, slider); see FrontEndCommands.h.
    bool OwnsCommand(const std::string &name) const override;
    Status RunCommand(const std::string &name, Arguments &arguments) override;
    std::vector<CommandHelp> CommandsHelp() const override;
    // Command thread.
    std::vector<BRect> ScreenFrames() override;
    // Waits (a little while at most) until the window system has shown the player's
    // window: before that, a window manager may still move it.
    bool PlayerWindowFrame(BRect *frame, BRect *decorated) override;
    // Any thread: in the player's window's status bar.
    void Notice(const std::string &text) override;

    // Any thread: what closing the player's window does.
    void SetPlayerWindowCloseAction(std::function<void()> action);

    // GUI thread.
    PlayerWindow *GetPlayerWindow() const { return fPlayerWindow; }
    // The mirrors of shown windows, oldest first.
    std::vector<WindowMirror *> ShownMirrors() const;
    // Takes in every pending model change now.
    void RefreshNow();

    // Any thread but the GUI thread: runs `work` on the GUI thread and waits for it.
    // On the GUI thread: runs it at once.
    void RunOnGui(const std::function<void()> &work);
    // Any thread: runs `work` on the GUI thread soon; never waits.
    void PostToGui(std::function<void()> work);

private:
    void _Refresh(const std::set<const BWindow *> &dirty);

    DisplayHost &fHost;
    const std::thread::id fGuiThread;
    GuiQueue *fQueue;
    std::shared_ptr<ModelBridge> fBridge;
    // Mirrors in creation order (a new model gets a new mirror at the end).
    std::vector<WindowMirror *> fMirrors;
    PlayerWindow *fPlayerWindow;
};

#endif  // BRINDLE_PLAYER_DISPLAY_QT_DISPLAY_H
