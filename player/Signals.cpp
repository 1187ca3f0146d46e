#include "Signals.h"

#include <signal.h>

#include "TaskQueue.h"

namespace {

volatile sig_atomic_t sSignal = 0;
TaskQueue *sTasks = nullptr;

void handle_termination(int signal) {
    sSignal = signal;
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
