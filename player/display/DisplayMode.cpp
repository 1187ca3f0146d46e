#include "DisplayMode.h"

#include <poll.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "EventLoop.h"
#include "Player.h"
#include "QtDisplay.h"
#include "Signals.h"

int run_with_display(int &argc, char **argv, Player &player,
                     const std::function<int(QtDisplay &display)> &commands) {
    EventLoop loop(argc, argv);
    int status = 0;
    {
        QtDisplay display(player);
        player.SetDisplay(&display);
        std::thread commandThread([&] {
            status = commands(display);
            display.PostToGui([&loop] { loop.Quit(); });
        });
        loop.Exec();
        commandThread.join();
        player.SetDisplay(nullptr);
    }
    return status;
}

int run_until_closed(Player &player, QtDisplay &display) {
    std::atomic<bool> closed{false};
    TaskQueue &tasks = player.Tasks();
    display.SetPlayerWindowCloseAction([&] {
        closed.store(true);
        tasks.Wake();
    });
    player.EnableAll();
    int status = 0;
    for (;;) {
        if (termination_signal() != 0) {
            status = 128 + termination_signal();
            break;
        }
        player.Settle();
        display.CatchUp();
        if (closed.load())
            break;
        struct pollfd wake = {tasks.WakeFd(), POLLIN, 0};
        if (poll(&wake, 1, -1) < 0 && errno != EINTR)
            break;
        if (wake.revents != 0)
            tasks.ClearWake();
    }
    // The window's action must not outlive this frame.
    display.SetPlayerWindowCloseAction(nullptr);
    return status;
}
