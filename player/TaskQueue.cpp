#include "TaskQueue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include <SystemIo.h>

TaskQueue::TaskQueue() {
    fWakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

TaskQueue::~TaskQueue() {
    if (fWakeFd >= 0)
        close(fWakeFd);
}

void TaskQueue::Post(Task task) {
    bool wasEmpty;
    {
        brindle::MutexLock lock(fLock);
        wasEmpty = fTasks.empty();
        fTasks.push_back(std::move(task));
    }
    // One wake-up per batch: the main thread drains the whole queue when it wakes.
    if (wasEmpty)
        Wake();
}

void TaskQueue::Wake() {
    if (fWakeFd < 0)
        return;
    const uint64_t one = 1;
    int saved = errno;
    // A full counter (EAGAIN) is readable already; nothing is lost.
    brindle::retry_on_eintr([&] { return write(fWakeFd, &one, sizeof(one)); });
    errno = saved;
}

void TaskQueue::ClearWake() {
    if (fWakeFd < 0)
        return;
    uint64_t count;
    brindle::retry_on_eintr([&] { return read(fWakeFd, &count, sizeof(count)); });
}

size_t TaskQueue::RunPending() {
    if (IsEmpty())
        return 0;
    // Consume the wake-up before taking the batch: while the queue is not empty no
    // Post() writes one, and a Post() after the swap finds it empty and wakes anew.
    ClearWake();
    std::deque<Task> tasks;
    {
        brindle::MutexLock lock(fLock);
        tasks.swap(fTasks);
    }
    for (Task &task : tasks)
        task();
    return tasks.size();
}

bool TaskQueue::IsEmpty() const {
    brindle::MutexLock lock(fLock);
    return fTasks.empty();
}
