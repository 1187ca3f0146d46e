// PluginWindow: the add-on's one window, a form for the file current in the player's
// first playlist (Title, Album, Artist, Genre, Rating, Vol. Adjust) and a Save button.
//
// The window's state and logic live in PluginWindow::Impl (PluginWindowImpl.h); the
// window owns it, and it owns the form's state and the parts that work on it. Everything the form
// does runs on the window's thread, except the first attachment and load, which the constructor
// runs on the caller's (the player's) thread before the window's thread exists.
#ifndef BRINDLE_WINDOW_PLUGIN_WINDOW_H
#define BRINDLE_WINDOW_PLUGIN_WINDOW_H

#include <memory>

#include <MWindow.h>

class BMessage;
class SoundPlayController;

class PluginWindow : public MWindow {
public:
    // `controller` may be null: the window then builds its form, registers nowhere and
    // stays detached.
    explicit PluginWindow(SoundPlayController *controller);
    virtual ~PluginWindow();

    PluginWindow(const PluginWindow &) = delete;
    PluginWindow &operator=(const PluginWindow &) = delete;

    virtual void MessageReceived(BMessage *msg);
    // Unregisters the window and asks the player to disable the interface; always
    // refuses, since only the player ends the plugin (through destroyplugin).
    virtual bool QuitRequested();

    class Impl;

private:
    std::unique_ptr<Impl> fImpl;
};

#endif  // BRINDLE_WINDOW_PLUGIN_WINDOW_H
