// Helpers shared by the application kit tests: the looper helpers of tests/common, and a
// private roster environment.
#ifndef BRINDLE_TESTS_PLATFORM_APP_APP_TEST_SUPPORT_H
#define BRINDLE_TESTS_PLATFORM_APP_APP_TEST_SUPPORT_H

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <Looper.h>
#include <Message.h>

#include "LooperTestSupport.h"

namespace app_test {

using looper_test::is_ready;
using looper_test::kHangGuard;
using looper_test::Latch;
using looper_test::quit_from_here;
using looper_test::RecordingLooper;
using looper_test::wait_ready;

// A private roster for one test: XDG_RUNTIME_DIR and XDG_DATA_HOME point into a fresh
// temporary directory, restored and removed afterwards.
class ScopedRosterEnvironment {
public:
    ScopedRosterEnvironment();
    ~ScopedRosterEnvironment();

    const std::string &Root() const { return fRoot; }
    std::string RuntimeDirectory() const { return fRoot + "/runtime"; }
    std::string RosterDirectory() const { return RuntimeDirectory() + "/brindle-roster"; }
    std::string DataDirectory() const { return fRoot + "/data"; }
    // Writes an app entry for `signature` whose first line is `program`.
    void WriteAppEntry(const std::string &signature, const std::string &program) const;

private:
    std::string fRoot;
    std::string fSavedRuntime;
    std::string fSavedData;
    bool fHadRuntime = false;
    bool fHadData = false;
};

// A signature no other test (or test process) uses.
std::string unique_signature(const char *base);

void remove_tree(const std::string &path);

}  // namespace app_test

#endif  // BRINDLE_TESTS_PLATFORM_APP_APP_TEST_SUPPORT_H
