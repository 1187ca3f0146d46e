#include "EventLoop.h"

#include <QApplication>

namespace {

QtMessageHandler gQtHandler = nullptr;

// Qt's own notes that say nothing about the player (the offscreen platform cannot
// pass size hints to a window manager it does not have) stay off standard error.
void filter_qt_messages(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    if (type == QtWarningMsg && text.contains("propagateSizeHints"))
        return;
    if (gQtHandler != nullptr)
        gQtHandler(type, context, text);
}

}  // namespace

EventLoop::EventLoop(int &argc, char **argv) {
    gQtHandler = qInstallMessageHandler(filter_qt_messages);
    fApplication = std::make_unique<QApplication>(argc, argv);
    fApplication->setApplicationName("brindle-player");
    // The windows come and go with the interfaces; only the player ends the loop.
    fApplication->setQuitOnLastWindowClosed(false);
}

EventLoop::~EventLoop() = default;

void EventLoop::Exec() {
    fApplication->exec();
}

void EventLoop::Quit() {
    // exit(), not quit(): quit() first asks every window to close, and the windows
    // here refuse (their close boxes belong to the models). Queued to the loop itself,
    // so a call made before Exec() starts still ends it.
    QMetaObject::invokeMethod(
        fApplication.get(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}
