#include "Polling.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace test_support {

namespace {

constexpr std::chrono::seconds kTimeLimit(30);
constexpr std::chrono::milliseconds kPollInterval(20);

}  // namespace

bool eventually(const std::function<bool()> &condition) {
    const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(kPollInterval);
    }
}

std::string installed(const std::string &program) {
    const char *path = getenv("PATH");
    const std::string directories = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= directories.size()) {
        size_t end = directories.find(':', start);
        if (end == std::string::npos)
            end = directories.size();
        const std::string candidate = directories.substr(start, end - start) + "/" + program;
        if (candidate[0] == '/' && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return std::string();
}

std::string required(const std::string &program) {
    const std::string path = installed(program);
    if (path.empty())
        throw std::runtime_error(program + " is not installed (scripts/install-deps)");
    return path;
}

}  // namespace test_support
