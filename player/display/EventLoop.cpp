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
    // Queued, so a call made before Exec() starts still ends it.
    QMetaObject::invokeMethod(fApplication.get(), &QCoreApplication::quit, Qt::QueuedConnection);
}
