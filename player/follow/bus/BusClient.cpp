// The module's MprisClient: one thread that owns the session bus connection and runs its
// event loop by hand (poll on the bus and on a request queue), so that the bus library
// never starts a thread of its own and no other thread ever touches it.
#include <poll.h>

#include <sdbus-c++/sdbus-c++.h>

#include <atomic>
#include <cerrno>
#include <future>
#include <memory>
#include <thread>

#include <ThreadRole.h>

#include "MprisClient.h"
#include "MprisWatcher.h"
#include "TaskQueue.h"

namespace follow {

namespace {

class BusClient final : public MprisClient {
public:
    BusClient(const std::string &name, MprisListener *listener)
        : fName(name), fListener(listener) {}

    ~BusClient() override {
        fStopping.store(true);
        fRequests.Wake();
        if (fThread.joinable())
            fThread.join();
    }

    // Starts the thread and waits until it has connected (true) or failed (false, with
    // `error` set).
    bool Start(std::string *error) {
        if (!fRequests.InitCheck()) {
            *error = "cannot make the request queue";
            return false;
        }
        // The thread owns the promise: it may still be inside set_value when this
        // thread has its answer and returns.
        std::promise<std::string> started;
        std::future<std::string> result = started.get_future();
        fThread = std::thread([this, started = std::move(started)]() mutable { _Run(&started); });
        *error = result.get();
        if (error->empty())
            return true;
        fThread.join();
        return false;
    }

    void Next() override {
        fRequests.Post([this] { _Watcher().Next(); });
    }
    void Previous() override {
        fRequests.Post([this] { _Watcher().Previous(); });
    }
    void GoTo(const std::string &trackId) override {
        fRequests.Post([this, trackId] { _Watcher().GoTo(trackId); });
    }
    void SetAdjustment(double adjustment) override {
        fRequests.Post([this, adjustment] { _Watcher().SetAdjustment(adjustment); });
    }

private:
    // The watcher, for the requests, which the queue runs on the bus thread.
    MprisWatcher &_Watcher() {
        fOnBus.AssertHeld();
        return *fWatcher;
    }

    void _Run(std::promise<std::string> *started) {
        fOnBus.Bind();
        std::unique_ptr<sdbus::IConnection> bus;
        try {
            bus = sdbus::createSessionBusConnection();
        } catch (const sdbus::Error &e) {
            started->set_value("no session bus: " + e.getMessage());
            return;
        }
        MprisWatcher watcher(*bus, fRequests, fName, fListener);
        std::string error;
        if (!watcher.Start(&error)) {
            started->set_value(error);
            return;
        }
        fWatcher = &watcher;
        started->set_value(std::string());

        try {
            _Loop(*bus, watcher);
            // The person's volume goes back to the player; the connection is flushed as
            // it closes, and no answer is waited for.
            watcher.Leave();
        } catch (const sdbus::Error &e) {
            fListener->Report("the session bus went away: " + e.getMessage());
            watcher.LoseBus();
        }
        fWatcher = nullptr;
    }

    void _Loop(sdbus::IConnection &bus, MprisWatcher &watcher) {
        while (!fStopping.load()) {
            // One message from the bus, then the work that must not run inside a handler
            // and the player's requests, then the choice of player when one is due, then
            // the stop flag: a player flooding the bus neither starves the requests nor
            // holds up a quit. Sleep only with nothing left.
            const bool more = bus.processPendingRequest();
            fRequests.RunPending();
            watcher.Tick();
            if (more || !fRequests.IsEmpty())
                continue;
            const sdbus::IConnection::PollData wait = bus.getEventLoopPollData();
            struct pollfd fds[2] = {{wait.fd, wait.events, 0}, {fRequests.WakeFd(), POLLIN, 0}};
            int timeout = wait.getPollTimeout();
            const int tick = watcher.TickTimeout();
            if (tick >= 0 && (timeout < 0 || tick < timeout))
                timeout = tick;
            if (poll(fds, 2, timeout) < 0 && errno != EINTR)
                throw sdbus::Error("org.freedesktop.DBus.Error.IOError", "poll failed");
            if (fds[1].revents != 0)
                fRequests.ClearWake();
        }
    }

    const std::string fName;
    MprisListener *const fListener;
    TaskQueue fRequests;
    std::atomic<bool> fStopping{false};
    std::thread fThread;
    brindle::ThreadRole fOnBus;
    MprisWatcher *fWatcher GUARDED_BY(fOnBus) = nullptr;  // while the bus thread's loop runs
};

}  // namespace

}  // namespace follow

extern "C" __attribute__((visibility("default"))) follow::MprisClient *brindle_follow_start(
    const char *name, follow::MprisListener *listener, std::string *error) {
    auto client = std::make_unique<follow::BusClient>(name != nullptr ? name : "", listener);
    if (!client->Start(error))
        return nullptr;
    return client.release();
}
