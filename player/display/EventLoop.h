// Qt's application object and event loop, kept in a file of its own: Qt's application
// headers declare X11's global `Display` typedef, which the player's own `Display`
// class (DisplayHost.h) must never meet in one translation unit.
#ifndef BRINDLE_PLAYER_DISPLAY_EVENT_LOOP_H
#define BRINDLE_PLAYER_DISPLAY_EVENT_LOOP_H

#include <memory>

class QApplication;

class EventLoop {
public:
    // Makes the QApplication (this thread becomes the GUI thread).
    EventLoop(int &argc, char **argv);
    ~EventLoop();
    EventLoop(const EventLoop &) = delete;
    EventLoop &operator=(const EventLoop &) = delete;

    // Runs the event loop until Quit().
    void Exec();
    // GUI thread: ends Exec() (also when called before Exec() starts).
    void Quit();

private:
    std::unique_ptr<QApplication> fApplication;
};

#endif  // BRINDLE_PLAYER_DISPLAY_EVENT_LOOP_H
