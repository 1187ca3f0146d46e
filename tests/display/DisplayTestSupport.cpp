#include "DisplayTestSupport.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include <QApplication>

namespace display_test {

void application() {
    static int argc = 1;
    static char name[] = "display_tests";
    static char *argv[] = {name, nullptr};
    if (QApplication::instance() != nullptr)
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(argc, argv);
}

void pump_once() {
    QApplication::processEvents(QEventLoop::AllEvents);
}

bool pump_until(const std::function<bool()> &done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        pump_once();
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace display_test
