// How a player function that can fail went: OK, or a kit status code with the words a
// person reads, and whether they were said on standard error already. An OK status holds
// nothing but a null pointer, so returning one costs what returning a pointer does; only a
// failure allocates, for its code and message.
//
// A status is never dropped unread: whoever gets a failure handles it, passes it on, or
// reports it (report_failure). A failure reported where it happened is marked so
// (reported_failure), and whoever it reaches says it no more.
#ifndef BRINDLE_PLAYER_SEAMS_STATUS_H
#define BRINDLE_PLAYER_SEAMS_STATUS_H

#include <cerrno>
#include <memory>
#include <string>

#include <SupportDefs.h>

class [[nodiscard]] Status {
public:
    // OK.
    Status() = default;
    // A failure with `code` (B_OK makes an OK status) and `message`, the whole text a person
    // reads; empty, the text is the kit's words for the code.
    Status(status_t code, std::string message);
    // The failure `error` (a host errno value) after `context`: "CONTEXT: " and strerror's
    // words for it. Leaves errno at `error`.
    static Status FromErrno(const std::string &context, int error = errno);

    Status(const Status &other);
    Status &operator=(const Status &other);
    Status(Status &&) noexcept = default;
    Status &operator=(Status &&) noexcept = default;

    bool IsOK() const { return fFailure == nullptr; }
    status_t Code() const;
    // What to show a person; "" when OK.
    std::string Text() const;
    // The same failure with "PREFIX: " before its text; OK stays OK. Reported stays
    // reported: it is the same failure, already said.
    Status Prefixed(const std::string &prefix) const;
    // Whether the failure was said on standard error where it happened; false when OK.
    bool WasReported() const { return fFailure != nullptr && fFailure->reported; }

private:
    friend Status reported_failure(const Status &status);

    struct Failure {
        status_t code;
        std::string message;
        bool reported;
    };
    std::unique_ptr<Failure> fFailure;
};

// Names a failure on standard error as the player's own line ("brindle-player: TEXT");
// nothing when `status` is OK or was reported already.
void report_failure(const Status &status);
// Reports `status` as report_failure does and returns it marked as reported, for a caller
// that passes it on.
Status reported_failure(const Status &status);

#endif  // BRINDLE_PLAYER_SEAMS_STATUS_H
