// SIGINT and SIGTERM end the player cleanly: the handler only records the signal and
// wakes the main thread through the task queue's descriptor; the main thread shuts down.
#ifndef BRINDLE_PLAYER_SIGNALS_H
#define BRINDLE_PLAYER_SIGNALS_H

class TaskQueue;

// Installs the handlers; `tasks` must outlive them (the player's whole life).
void install_termination_handlers(TaskQueue &tasks);
// The signal received, 0 if none.
int termination_signal();

#endif  // BRINDLE_PLAYER_SIGNALS_H
