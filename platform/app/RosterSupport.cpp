#include <RosterSupport.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include <Message.h>
#include <SystemIo.h>

namespace BPrivate {
namespace roster {

namespace {

// The original platform's B_MIME_TYPE_LENGTH.
constexpr size_t kMaxSignatureLength = 240;
constexpr char kSignaturePrefix[] = "application/";
constexpr char kDirectoryName[] = "brindle-roster";
// A shortened socket name keeps at least this much of the signature, readable.
constexpr size_t kMinimumNamePrefix = 8;

bool is_token_char(unsigned char c) {
    // RFC 2045 token characters: printable ASCII except space and tspecials.
    return c > 0x20 && c < 0x7f && strchr("()<>@,;:\\\"/[]?=", c) == nullptr;
}

bool usable_base(const char *path) {
    struct stat st;
    return path != nullptr && path[0] == '/' && stat(path, &st) == 0 && S_ISDIR(st.st_mode) &&
           access(path, W_OK | X_OK) == 0;
}

// Why `path` (just created or found) cannot be trusted, or null when it can.
const char *distrust(const char *path, std::string *detail) {
    struct stat st;
    if (lstat(path, &st) != 0)
        return strerror(errno);
    if (S_ISLNK(st.st_mode))
        return "it is a symbolic link";
    if (!S_ISDIR(st.st_mode))
        return "it is not a directory";
    if (st.st_uid != geteuid()) {
        *detail = "it is owned by user " + std::to_string(st.st_uid);
        return detail->c_str();
    }
    if ((st.st_mode & 07777) != 0700) {
        char text[64];
        snprintf(text, sizeof(text), "its mode is %04o, not 0700",
                 static_cast<unsigned>(st.st_mode & 07777));
        *detail = text;
        return detail->c_str();
    }
    return nullptr;
}

void set_timeouts(int fd, bigtime_t timeout) {
    timeval value;
    value.tv_sec = static_cast<time_t>(timeout / 1000000);
    value.tv_usec = static_cast<suseconds_t>(timeout % 1000000);
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &value, sizeof(value));
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &value, sizeof(value));
}

// A socket timeout (SO_SNDTIMEO, SO_RCVTIMEO) as B_TIMED_OUT, other errors as they are.
status_t transfer_failure() {
    return errno == EAGAIN || errno == EWOULDBLOCK ? B_TIMED_OUT : status_from_errno(errno);
}

status_t write_all(int fd, const char *data, size_t size) {
    return brindle::send_all(fd, data, size) == 0 ? B_OK : transfer_failure();
}

status_t read_all(int fd, char *data, size_t size) {
    const ssize_t count = brindle::read_all(fd, data, size);
    if (count < 0)
        return transfer_failure();
    if (static_cast<size_t>(count) < size)
        return B_BUSTED_PIPE;  // the other side closed first
    return B_OK;
}

}  // namespace

bool valid_signature(const char *signature) {
    if (signature == nullptr)
        return false;
    size_t length = strnlen(signature, kMaxSignatureLength + 1);
    size_t prefix = sizeof(kSignaturePrefix) - 1;
    if (length > kMaxSignatureLength || length <= prefix ||
        strncasecmp(signature, kSignaturePrefix, prefix) != 0)
        return false;
    for (size_t i = prefix; i < length; i++) {
        if (!is_token_char(static_cast<unsigned char>(signature[i])))
            return false;
    }
    return true;
}

status_t roster_directory(std::string *path) {
    std::string directory;
    const char *runtime = getenv("XDG_RUNTIME_DIR");
    if (usable_base(runtime))
        directory = std::string(runtime) + "/" + kDirectoryName;
    else
        directory = std::string("/tmp/") + kDirectoryName + "-" + std::to_string(geteuid());

    if (mkdir(directory.c_str(), 0700) == 0) {
        // The umask may have taken bits away; ours to set, as we just made it.
        chmod(directory.c_str(), 0700);
    } else if (errno != EEXIST) {
        int error = errno;
        fprintf(stderr, "brindle roster: cannot create %s: %s\n", directory.c_str(),
                strerror(error));
        return status_from_errno(error);
    }
    std::string detail;
    const char *reason = distrust(directory.c_str(), &detail);
    if (reason != nullptr) {
        fprintf(stderr, "brindle roster: refusing to use %s: %s\n", directory.c_str(), reason);
        return B_NOT_ALLOWED;
    }
    *path = directory;
    return B_OK;
}

std::string socket_name(const char *signature) {
    std::string name;
    for (const char *c = signature; *c != '\0'; c++) {
        unsigned char byte = static_cast<unsigned char>(tolower(static_cast<unsigned char>(*c)));
        if (isalnum(byte) || byte == '.' || byte == '+' || byte == '-') {
            name += static_cast<char>(byte);
        } else if (byte == '/') {
            name += '%';
        } else {
            char escaped[4];
            snprintf(escaped, sizeof(escaped), "_%02x", byte);
            name += escaped;
        }
    }
    return name;
}

status_t socket_path(const char *signature, std::string *path) {
    std::string directory;
    status_t status = roster_directory(&directory);
    if (status != B_OK)
        return status;
    std::string name = socket_name(signature);
    const size_t limit = sizeof(sockaddr_un::sun_path) - 1;
    if (directory.size() + 1 >= limit)
        return B_NAME_TOO_LONG;
    size_t room = limit - directory.size() - 1;
    if (name.size() > room) {
        // Too long for a socket address: the start of the name and a hash of all of it.
        // '~' is escaped in every plain name, so no plain name looks like this.
        uint64 hash = 14695981039346656037ULL;  // 64-bit FNV-1a
        for (unsigned char c : name) {
            hash ^= c;
            hash *= 1099511628211ULL;
        }
        char suffix[18];
        snprintf(suffix, sizeof(suffix), "~%016llx", static_cast<unsigned long long>(hash));
        if (room < sizeof(suffix) - 1 + kMinimumNamePrefix)
            return B_NAME_TOO_LONG;
        name = name.substr(0, room - (sizeof(suffix) - 1)) + suffix;
    }
    *path = directory + "/" + name;
    return B_OK;
}

status_t connect_to(const std::string &path, int *fd, team_id *peer) {
    sockaddr_un address;
    memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return B_NAME_TOO_LONG;
    memcpy(address.sun_path, path.c_str(), path.size() + 1);

    int socketFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socketFd < 0)
        return status_from_errno(errno);
    // Also bounds connect() when the listener's backlog is full.
    set_timeouts(socketFd, kConnectionTimeout);
    const int result = brindle::retry_on_eintr(
        [&] { return connect(socketFd, reinterpret_cast<sockaddr *>(&address), sizeof(address)); });
    if (result != 0) {
        int error = errno;
        close(socketFd);
        // No socket, or one nobody listens on any more: nobody is there.
        if (error == ENOENT || error == ECONNREFUSED)
            return B_ENTRY_NOT_FOUND;
        if (error == EAGAIN)
            return B_TIMED_OUT;
        return status_from_errno(error);
    }
    ucred credentials;
    socklen_t size = sizeof(credentials);
    if (getsockopt(socketFd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
        credentials.uid != geteuid()) {
        close(socketFd);
        return B_NOT_ALLOWED;
    }
    if (peer != nullptr)
        *peer = static_cast<team_id>(credentials.pid);
    *fd = socketFd;
    return B_OK;
}

status_t send_on_connection(int fd, const BMessage &message) {
    std::string flat;
    status_t status = message.Flatten(&flat);
    if (status != B_OK)
        return status;
    if (flat.size() > kMaxRosterMessageSize)
        return B_BAD_VALUE;
    uint32 size = static_cast<uint32>(flat.size());
    char header[4] = {static_cast<char>(size & 0xff), static_cast<char>((size >> 8) & 0xff),
                      static_cast<char>((size >> 16) & 0xff),
                      static_cast<char>((size >> 24) & 0xff)};
    std::string packet(header, 4);
    packet += flat;
    status = write_all(fd, packet.data(), packet.size());
    if (status != B_OK)
        return status;
    unsigned char answer[4];
    status = read_all(fd, reinterpret_cast<char *>(answer), sizeof(answer));
    if (status != B_OK)
        return status;
    uint32 value = static_cast<uint32>(answer[0]) | static_cast<uint32>(answer[1]) << 8 |
                   static_cast<uint32>(answer[2]) << 16 | static_cast<uint32>(answer[3]) << 24;
    return static_cast<status_t>(value);
}

}  // namespace roster
}  // namespace BPrivate
