#include "Signals.h"

#include <signal.h>

#include <atomic>

#include "TaskQueue.h"

namespace {

// The handler may run on any thread (a window's, the roster's): a lock-free atomic is
// both async-signal-safe and free of data races with the main thread reading it.
std::atomic<int> sSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal flag must be lock-free");
TaskQueue *sTasks = nullptr;

void handle_termination(int signal) {
    sSignal.store(signal, std::memory_order_relaxed);
    if (sTasks != nullptr)
        sTasks->Wake();
}

}  // namespace

void install_termination_handlers(TaskQueue &tasks) {
    sTasks = &tasks;
    struct sigaction action = {};
    action.sa_handler = handle_termination;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking call on the main thread returns with EINTR.
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int termination_signal() {
    return sSignal;
}
