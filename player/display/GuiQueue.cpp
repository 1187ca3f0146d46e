#include "GuiQueue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

#include <QSocketNotifier>

GuiQueue::GuiQueue()
    : fWakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      fNotifier(new QSocketNotifier(fWakeFd, QSocketNotifier::Read, this)) {
    connect(fNotifier, &QSocketNotifier::activated, this, [this] {
        uint64_t count;
        while (read(fWakeFd, &count, sizeof count) > 0) {
        }
        RunPending();
    });
}

GuiQueue::~GuiQueue() {
    Close();
    delete fNotifier;
    if (fWakeFd >= 0)
        close(fWakeFd);
}

void GuiQueue::Post(std::function<void()> work) {
    {
        std::lock_guard<std::mutex> lock(fLock);
        if (fClosed)
            return;
        fWork.push_back(std::move(work));
        fPosted++;
    }
    const uint64_t one = 1;
    // A full counter still wakes the reader; nothing else can go wrong here.
    if (write(fWakeFd, &one, sizeof one) < 0) {
    }
}

void GuiQueue::Call(const std::function<void()> &work) {
    unsigned long long ticket;
    {
        std::lock_guard<std::mutex> lock(fLock);
        if (fClosed)
            return;
        fWork.push_back(work);
        ticket = ++fPosted;
    }
    const uint64_t one = 1;
    if (write(fWakeFd, &one, sizeof one) < 0) {
    }
    std::unique_lock<std::mutex> lock(fLock);
    fRan.wait(lock, [&] { return fDone >= ticket || fClosed; });
}

void GuiQueue::RunPending() {
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard<std::mutex> lock(fLock);
            if (fClosed || fWork.empty())
                return;
            work = std::move(fWork.front());
            fWork.pop_front();
        }
        work();
        {
            std::lock_guard<std::mutex> lock(fLock);
            fDone++;
        }
        fRan.notify_all();
    }
}

void GuiQueue::Close() {
    {
        std::lock_guard<std::mutex> lock(fLock);
        fClosed = true;
        fWork.clear();
    }
    fRan.notify_all();
}
