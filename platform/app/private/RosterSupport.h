// What the roster's two sides share: the safe directory, socket names, and the framing
// of a message on a connection.
//
// On a connection the client sends one message: its flattened size as a little-endian
// uint32 (at most kMaxRosterMessageSize) and the flattened bytes. The server answers with
// one little-endian int32: the status of the delivery (B_OK when the application took
// the message). A connection that sends nothing is only a look: is anyone there?
#ifndef BRINDLE_APP_PRIVATE_ROSTER_SUPPORT_H
#define BRINDLE_APP_PRIVATE_ROSTER_SUPPORT_H

#include <string>

#include <SupportDefs.h>

class BMessage;

namespace BPrivate {
namespace roster {

constexpr size_t kMaxRosterMessageSize = 64 * 1024;
// How long either side waits for the other on one connection, in microseconds.
constexpr bigtime_t kConnectionTimeout = 5000000;

// An application signature: "application/" (any case) and a MIME subtype of token
// characters, at most B_MIME_TYPE_LENGTH bytes in all.
bool valid_signature(const char *signature);

// The roster's directory, created if needed (see Roster.h). B_OK, or B_NOT_ALLOWED after
// a line on standard error saying why the directory cannot be trusted, or the error of
// creating it.
status_t roster_directory(std::string *path);

// The socket's file name for a signature: lower case; letters, digits, '.', '+' and '-'
// kept, '/' written as '%', every other byte as '_' and two hex digits.
std::string socket_name(const char *signature);

// The socket path for a signature in the roster directory. A name too long for a unix
// socket address is cut and ends in '~' and a hash of the whole name; B_NAME_TOO_LONG
// only when the directory itself leaves no room.
status_t socket_path(const char *signature, std::string *path);

// Connects to the socket at `path`. The descriptor (close-on-exec, with send and receive
// timeouts) through `fd`. B_ENTRY_NOT_FOUND when nobody listens there (no socket, or a
// stale one), B_NOT_ALLOWED when the listener is another user's, else a host error.
// `peer` gets the listener's process id.
status_t connect_to(const std::string &path, int *fd, team_id *peer = nullptr);

// Sends `message` on a connection and waits for the answer; returns the server's status
// or the error of the exchange. B_BAD_VALUE for a message too big to send.
status_t send_on_connection(int fd, const BMessage &message);

}  // namespace roster
}  // namespace BPrivate

#endif  // BRINDLE_APP_PRIVATE_ROSTER_SUPPORT_H
