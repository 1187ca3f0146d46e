#include "DisplayTestSupport.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include <QApplication>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <private/qguiapplication_p.h>

#include <gtest/gtest.h>
#include <memory>

namespace display_test {

namespace {

// The application lives from before the first test to after the last, and goes before
// the process's exit handlers run (Qt's own globals are gone by then).
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "display_tests";
        static char *argv[] = {name, nullptr};
        fApplication = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { fApplication.reset(); }

private:
    std::unique_ptr<QApplication> fApplication;
};

::testing::Environment *const gQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

void application() {
    ASSERT_NE(QApplication::instance(), nullptr);
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

void set_accessibility_active(bool active) {
    // The offscreen platform has no screen reader to ask: the platform's own switch.
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(active);
}

}  // namespace display_test
