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
        brindle::MutexLock lock(fLock);
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
        brindle::MutexLock lock(fLock);
        if (fClosed)
            return;
        fWork.push_back(work);
        ticket = ++fPosted;
    }
    const uint64_t one = 1;
    if (write(fWakeFd, &one, sizeof one) < 0) {
    }
    brindle::MutexLock lock(fLock);
    while (fDone < ticket && !fClosed)
        fRan.Wait(fLock);
}

void GuiQueue::RunPending() {
    for (;;) {
        std::function<void()> work;
        {
            brindle::MutexLock lock(fLock);
            if (fClosed || fWork.empty())
                return;
            work = std::move(fWork.front());
            fWork.pop_front();
        }
        work();
        {
            brindle::MutexLock lock(fLock);
            fDone++;
        }
        fRan.NotifyAll();
    }
}

void GuiQueue::Close() {
    {
        brindle::MutexLock lock(fLock);
        fClosed = true;
        fWork.clear();
    }
    fRan.NotifyAll();
}
