// The application's side of the roster: a socket named after the signature and a
// listener thread that accepts messages on it.
//
// The listener checks each connection's peer credentials first: a connection from
// another user is closed without a byte being read. It serves several connections at
// once, each with a deadline, so a client that connects and says nothing costs only
// its own connection. A message that arrives whole is unflattened (which checks it)
// and handed to the delivery function on the listener thread; its status is the answer.
#ifndef BRINDLE_APP_PRIVATE_ROSTER_SERVER_H
#define BRINDLE_APP_PRIVATE_ROSTER_SERVER_H

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <SupportDefs.h>

class BMessage;

namespace BPrivate {

class RosterServer {
public:
    // Called on the listener thread; the message belongs to the caller.
    typedef std::function<status_t(BMessage *message)> delivery_function;

    // Registers `signature`: B_OK with a running server in `server`; B_ALREADY_RUNNING
    // when another process listens for that signature (its socket is left alone); the
    // roster directory's or the socket's error otherwise. A stale socket left by an
    // application that died is replaced.
    static status_t Start(const char *signature, delivery_function deliver,
                          std::unique_ptr<RosterServer> *server);

    // Stops listening, waits for the listener thread and removes the socket (if it is
    // still ours).
    ~RosterServer();

    RosterServer(const RosterServer &) = delete;
    RosterServer &operator=(const RosterServer &) = delete;

    const std::string &Path() const { return fPath; }

private:
    RosterServer() = default;
    void _Listen();

    std::string fPath;
    std::string fLockPath;
    int fListenFd = -1;
    int fWakeFds[2] = {-1, -1};
    ino_t fSocketInode = 0;
    dev_t fSocketDevice = 0;
    delivery_function fDeliver;
    std::thread fThread;
};

}  // namespace BPrivate

#endif  // BRINDLE_APP_PRIVATE_ROSTER_SERVER_H
