#include "DisplayMode.h"

#include <atomic>
#include <thread>

#include "DisplayHost.h"
#include "EventLoop.h"
#include "QtDisplay.h"

int run_with_display(int &argc, char **argv, DisplayHost &host,
                     const std::function<int(QtDisplay &display)> &commands) {
    EventLoop loop(argc, argv);
    int status = 0;
    {
        QtDisplay display(host);
        host.SetDisplay(&display);
        std::thread commandThread([&] {
            status = commands(display);
            display.PostToGui([&loop] { loop.Quit(); });
        });
        loop.Exec();
        commandThread.join();
        host.SetDisplay(nullptr);
    }
    return status;
}

int run_until_closed(DisplayHost &host, QtDisplay &display) {
    std::atomic<bool> closed{false};
    display.SetPlayerWindowCloseAction([&] {
        closed.store(true);
        host.Wake();
    });
    host.EnableAll();
    int status = 0;
    for (;;) {
        if (host.TerminationSignal() != 0) {
            status = 128 + host.TerminationSignal();
            break;
        }
        host.Settle();
        display.CatchUp();
        if (closed.load() || !host.WaitForWork())
            break;
    }
    // The window's action must not outlive this frame.
    display.SetPlayerWindowCloseAction(nullptr);
    return status;
}
