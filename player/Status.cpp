#include "Status.h"

#include <cstdio>

#include <Errors.h>

Status::Status(status_t code, std::string message) {
    if (code != B_OK)
        fFailure.reset(new Failure{code, std::move(message), false});
}

Status Status::FromErrno(const std::string &context, int error) {
    // The host's own words for it, as strerror gives them: the kit's for the code it maps
    // to may differ ("Operation not allowed" for EPERM).
    Status status(status_from_errno(error), context + ": " + status_text(error));
    // errno still says what failed, for a caller that reports it later.
    errno = error;
    return status;
}

Status::Status(const Status &other) {
    if (other.fFailure != nullptr)
        fFailure.reset(new Failure(*other.fFailure));
}

Status &Status::operator=(const Status &other) {
    if (this != &other)
        fFailure.reset(other.fFailure != nullptr ? new Failure(*other.fFailure) : nullptr);
    return *this;
}

status_t Status::Code() const {
    return fFailure != nullptr ? fFailure->code : B_OK;
}

std::string Status::Text() const {
    if (fFailure == nullptr)
        return "";
    return fFailure->message.empty() ? status_text(fFailure->code) : fFailure->message;
}

Status Status::Prefixed(const std::string &prefix) const {
    if (fFailure == nullptr)
        return Status();
    Status prefixed(fFailure->code, prefix + ": " + Text());
    prefixed.fFailure->reported = fFailure->reported;
    return prefixed;
}

void report_failure(const Status &status) {
    if (!status.IsOK() && !status.WasReported())
        fprintf(stderr, "brindle-player: %s\n", status.Text().c_str());
}

Status reported_failure(const Status &status) {
    report_failure(status);
    if (status.IsOK())
        return status;
    Status reported = status;
    reported.fFailure->reported = true;
    return reported;
}
