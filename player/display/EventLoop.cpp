#include "EventLoop.h"

#include <QApplication>

EventLoop::EventLoop(int &argc, char **argv)
    : fApplication(std::make_unique<QApplication>(argc, argv)) {
    fApplication->setApplicationName("brindle-player");
    // The windows come and go with the interfaces; only the player ends the loop.
    fApplication->setQuitOnLastWindowClosed(false);
}

EventLoop::~EventLoop() = default;

void EventLoop::Exec() {
    fApplication->exec();
}

void EventLoop::Quit() {
    // Queued, so a call made before Exec() starts still ends it. exit(), not quit():
    // quit() first asks every window to close, and the windows here refuse (their close
    // boxes belong to the models).
    QMetaObject::invokeMethod(
        fApplication.get(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}
