// Helpers shared by the interface kit and layout library tests: a window that records
// what it handles, a display hook that records what it is told, and a latch.
#ifndef BRINDLE_TESTS_PLATFORM_INTERFACE_INTERFACE_TEST_SUPPORT_H
#define BRINDLE_TESTS_PLATFORM_INTERFACE_INTERFACE_TEST_SUPPORT_H

#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include <DisplayHook.h>
#include <Message.h>
#include <Window.h>

#include "LooperTestSupport.h"

namespace interface_test {

using looper_test::kHangGuard;
using looper_test::Latch;

// What a RecordingWindow saw of one message.
struct HandledMessage {
    BMessage message;
    std::thread::id thread;
};

// A window that records every message reaching MessageReceived, and can run a test's
// function on its thread through a message. `WindowBase` is BWindow or a subclass with
// the same constructor (MWindow).
template <typename WindowBase>
class BasicRecordingWindow : public WindowBase {
public:
    enum : uint32 { kRunFunction = looper_test::FunctionQueue::kRunFunction };

    explicit BasicRecordingWindow(const char *title = "Test", BRect frame = BRect(10, 10, 109, 59),
                                  uint32 flags = 0)
        : WindowBase(frame, title, B_TITLED_WINDOW, flags) {}

    void MessageReceived(BMessage *message) override {
        if (fFunctions.Run(message))
            return;
        std::lock_guard<std::mutex> lock(fLock);
        fHandled.push_back({*message, std::this_thread::get_id()});
    }

    // Runs `function` on the window's thread, in order with the window's messages.
    void RunOnWindowThread(std::function<void()> function) {
        fFunctions.Push(std::move(function));
        this->PostMessage(kRunFunction);
    }

    std::vector<HandledMessage> Handled() {
        std::lock_guard<std::mutex> lock(fLock);
        return fHandled;
    }

    std::vector<HandledMessage> HandledWithCode(uint32 what) {
        std::vector<HandledMessage> found;
        for (const HandledMessage &handled : Handled()) {
            if (handled.message.what == what)
                found.push_back(handled);
        }
        return found;
    }

private:
    std::mutex fLock;
    std::vector<HandledMessage> fHandled;
    looper_test::FunctionQueue fFunctions;
};

using RecordingWindow = BasicRecordingWindow<BWindow>;

// Waits until the looper has handled everything posted to it so far.
bool wait_until_idle(BLooper *looper);

// Quits a window from another thread, as its owner does.
void quit_window(BWindow *window);

// A display hook that records what it is told, with the thread that told it.
class RecordingHook : public BDisplayHook {
public:
    struct Entry {
        display_change change;
        std::thread::id thread;
    };

    void DisplayChanged(const display_change &change) override {
        if (fInspect)
            fInspect(change);
        std::lock_guard<std::mutex> lock(fLock);
        fEntries.push_back({change, std::this_thread::get_id()});
    }

    std::vector<Entry> Entries() {
        std::lock_guard<std::mutex> lock(fLock);
        return fEntries;
    }

    std::vector<Entry> EntriesOfKind(display_change_kind kind) {
        std::vector<Entry> found;
        for (const Entry &entry : Entries()) {
            if (entry.change.kind == kind)
                found.push_back(entry);
        }
        return found;
    }

    // Runs inside every call, before it is recorded (set before installing the hook).
    std::function<void(const display_change &)> fInspect;

private:
    std::mutex fLock;
    std::vector<Entry> fEntries;
};

// Installs a hook for the life of a test.
class ScopedHook {
public:
    explicit ScopedHook(std::shared_ptr<BDisplayHook> hook) { set_display_hook(std::move(hook)); }
    ~ScopedHook() { set_display_hook(nullptr); }
};

}  // namespace interface_test

#endif  // BRINDLE_TESTS_PLATFORM_INTERFACE_INTERFACE_TEST_SUPPORT_H
