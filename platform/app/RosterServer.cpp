#include <RosterServer.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include <Message.h>
#include <RosterSupport.h>
#include <SystemIo.h>

namespace BPrivate {

namespace {

using Clock = std::chrono::steady_clock;

// Connections served at once; more wait in the listen backlog.
constexpr size_t kMaxConnections = 16;
constexpr int kBacklog = 16;

// Serialises registration of one signature among processes: the look for a running
// server, the removal of a stale socket and the bind happen under it, so two starting
// applications never take each other's socket.
class SignatureLock {
public:
    explicit SignatureLock(const std::string &path) {
        fFd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fFd < 0) {
            fStatus = status_from_errno(errno);
            return;
        }
        const int result = brindle::retry_on_eintr([&] { return flock(fFd, LOCK_EX); });
        fStatus = result == 0 ? B_OK : status_from_errno(errno);
    }
    ~SignatureLock() {
        if (fFd >= 0)
            close(fFd);  // releases the lock
    }
    status_t InitCheck() const { return fStatus; }

private:
    int fFd = -1;
    status_t fStatus = B_NO_INIT;
};

struct Connection {
    int fd;
    std::string received;
    Clock::time_point deadline;
};

void answer(int fd, status_t status) {
    uint32 value = static_cast<uint32>(status);
    char bytes[4] = {static_cast<char>(value & 0xff), static_cast<char>((value >> 8) & 0xff),
                     static_cast<char>((value >> 16) & 0xff),
                     static_cast<char>((value >> 24) & 0xff)};
    // A fresh socket's buffer always has room for four bytes; a client that left is not
    // worth waiting for.
    (void)send(fd, bytes, sizeof(bytes), MSG_NOSIGNAL | MSG_DONTWAIT);
}

uint32 size_in_header(const std::string &received) {
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(received.data());
    return static_cast<uint32>(bytes[0]) | static_cast<uint32>(bytes[1]) << 8 |
           static_cast<uint32>(bytes[2]) << 16 | static_cast<uint32>(bytes[3]) << 24;
}

bool from_our_user(int fd) {
    ucred credentials;
    socklen_t size = sizeof(credentials);
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           credentials.uid == geteuid();
}

}  // namespace

status_t RosterServer::Start(const char *signature, delivery_function deliver,
                             std::unique_ptr<RosterServer> *server) {
    if (!roster::valid_signature(signature) || server == nullptr)
        return B_BAD_VALUE;
    std::string path;
    status_t status = roster::socket_path(signature, &path);
    if (status != B_OK)
        return status;
    // '#' never appears in a socket name (it would be escaped), so no signature's socket
    // can be another's lock file.
    std::string lockPath = path + "#lock";
    SignatureLock lock(lockPath);
    if (lock.InitCheck() != B_OK)
        return lock.InitCheck();

    int probe = -1;
    status = roster::connect_to(path, &probe);
    if (status == B_OK || status == B_TIMED_OUT) {
        if (probe >= 0)
            close(probe);
        return B_ALREADY_RUNNING;
    }
    if (status != B_ENTRY_NOT_FOUND)
        return status;
    // A socket left by an application that died, or nothing at all.
    if (unlink(path.c_str()) != 0 && errno != ENOENT)
        return status_from_errno(errno);

    std::unique_ptr<RosterServer> created(new RosterServer);
    created->fPath = path;
    created->fLockPath = lockPath;
    created->fDeliver = std::move(deliver);
    created->fListenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (created->fListenFd < 0)
        return status_from_errno(errno);
    sockaddr_un address;
    memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (bind(created->fListenFd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0 ||
        listen(created->fListenFd, kBacklog) != 0) {
        status = status_from_errno(errno);
        // Nothing to remove unless the bind made the socket file.
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
            unlink(path.c_str());
        created->fPath.clear();
        return status;
    }
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        created->fSocketInode = st.st_ino;
        created->fSocketDevice = st.st_dev;
    }
    if (pipe2(created->fWakeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return status_from_errno(errno);

    RosterServer *listener = created.get();
    created->fThread = std::thread([listener] { listener->_Listen(); });
    *server = std::move(created);
    return B_OK;
}

RosterServer::~RosterServer() {
    if (fThread.joinable()) {
        char wake = 1;
        (void)write(fWakeFds[1], &wake, 1);
        fThread.join();
    }
    if (fListenFd >= 0)
        close(fListenFd);
    for (int fd : fWakeFds) {
        if (fd >= 0)
            close(fd);
    }
    if (fPath.empty())
        return;
    // Only our own socket goes: after a crash and restart, another instance may have
    // replaced it.
    SignatureLock lock(fLockPath);
    struct stat st;
    if (lock.InitCheck() == B_OK && lstat(fPath.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) &&
        st.st_ino == fSocketInode && st.st_dev == fSocketDevice)
        unlink(fPath.c_str());
}

namespace {

// Reads what a connection has sent; true when it is done with (answered, gone, or
// refused), false while its message is still incomplete.
bool read_request(Connection &connection, const RosterServer::delivery_function &deliver) {
    char buffer[4096];
    for (;;) {
        const ssize_t count =
            brindle::retry_on_eintr([&] { return recv(connection.fd, buffer, sizeof(buffer), 0); });
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return false;
        if (count <= 0)
            return true;  // the client left (or sent only a look)
        connection.received.append(buffer, static_cast<size_t>(count));
        if (connection.received.size() < 4)
            continue;
        uint32 size = size_in_header(connection.received);
        if (size > roster::kMaxRosterMessageSize) {
            answer(connection.fd, B_BAD_VALUE);
            return true;
        }
        if (connection.received.size() < 4 + static_cast<size_t>(size))
            continue;
        if (connection.received.size() > 4 + static_cast<size_t>(size)) {
            answer(connection.fd, B_BAD_DATA);
            return true;
        }
        BMessage message;
        status_t status =
            message.Unflatten(connection.received.data() + 4, static_cast<ssize_t>(size));
        if (status == B_OK)
            status = deliver ? deliver(&message) : B_ERROR;
        answer(connection.fd, status);
        return true;
    }
}

// Takes every waiting connection from our own user, up to kMaxConnections at once.
void accept_connections(int listenFd, Clock::time_point now, std::vector<Connection> *connections) {
    for (;;) {
        int fd = accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            // Out of descriptors: give the process a moment instead of spinning on a
            // listener that stays readable.
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            return;
        }
        // Another user's connection is closed unread.
        if (!from_our_user(fd) || connections->size() >= kMaxConnections) {
            close(fd);
            continue;
        }
        connections->push_back(Connection{
            fd, std::string(), now + std::chrono::microseconds(roster::kConnectionTimeout)});
    }
}

}  // namespace

void RosterServer::_Listen() {
    std::vector<Connection> connections;
    for (;;) {
        std::vector<pollfd> polled;
        polled.push_back({fWakeFds[0], POLLIN, 0});
        polled.push_back({fListenFd, POLLIN, 0});
        int timeout = -1;
        Clock::time_point now = Clock::now();
        for (const Connection &connection : connections) {
            polled.push_back({connection.fd, POLLIN, 0});
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(connection.deadline - now);
            int wait = left.count() < 0 ? 0 : static_cast<int>(left.count()) + 1;
            if (timeout < 0 || wait < timeout)
                timeout = wait;
        }
        if (poll(polled.data(), polled.size(), timeout) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (polled[0].revents != 0)
            break;

        now = Clock::now();
        std::vector<Connection> open;
        for (size_t i = 0; i < connections.size(); i++) {
            Connection &connection = connections[i];
            bool done = polled[i + 2].revents != 0 && read_request(connection, fDeliver);
            if (!done && now >= connection.deadline)
                done = true;  // a client that says nothing in time is let go
            if (done)
                close(connection.fd);
            else
                open.push_back(std::move(connection));
        }
        connections = std::move(open);

        if (polled[1].revents & POLLIN)
            accept_connections(fListenFd, now, &connections);
    }
    for (Connection &connection : connections)
        close(connection.fd);
}

}  // namespace BPrivate
