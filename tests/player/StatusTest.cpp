// The player's one status type: free when OK, a kit code and a person's words otherwise.
#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

#include "Status.h"

TEST(Status, OkHoldsNothingAndAFailureKeepsItsCodeAndWordsThroughCopiesAndPrefixes) {
    // OK is one null pointer: returning it costs no allocation.
    static_assert(sizeof(Status) == sizeof(void *));
    const Status ok;
    EXPECT_TRUE(ok.IsOK());
    EXPECT_EQ(ok.Code(), B_OK);
    EXPECT_EQ(ok.Text(), "");
    EXPECT_TRUE(ok.Prefixed("goto").IsOK());
    EXPECT_TRUE(Status(B_OK, "ignored").IsOK());

    const Status failed(B_BAD_INDEX, "no playlist 3 (1 open)");
    Status copy = failed;
    copy = copy.Prefixed("close-playlist");
    EXPECT_EQ(failed.Text(), "no playlist 3 (1 open)");
    EXPECT_EQ(copy.Code(), B_BAD_INDEX);
    EXPECT_EQ(copy.Text(), "close-playlist: no playlist 3 (1 open)");

    // Without words of its own a failure says the kit's, never "Unknown error" for a
    // kit code (which lies near INT32_MIN).
    EXPECT_EQ(Status(B_NO_MEMORY, "").Text(), strerror(ENOMEM));
    EXPECT_EQ(Status(B_BAD_PORT_ID, "").Text(), "Bad port ID");
}

TEST(Status, AHostErrorKeepsStrerrorsWordsAndLeavesErrnoSet) {
    errno = 0;
    const Status failure = Status::FromErrno("cannot open script /x", EPERM);
    EXPECT_EQ(errno, EPERM);
    EXPECT_EQ(failure.Code(), B_NOT_ALLOWED);
    EXPECT_EQ(failure.Text(), std::string("cannot open script /x: ") + strerror(EPERM));
}

TEST(Status, AFailureReportedWhereItHappenedIsNeverSaidAgain) {
    // Its code says nothing of it: B_ERROR is a failure like any other.
    const Status plain(B_ERROR, "the bus client did not start");
    EXPECT_FALSE(plain.WasReported());
    testing::internal::CaptureStderr();
    const Status reported = reported_failure(plain);
    report_failure(reported);
    report_failure(reported.Prefixed("open interface request"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "brindle-player: the bus client did not start\n");
    EXPECT_TRUE(reported.WasReported());
    EXPECT_TRUE(reported.Prefixed("enable").WasReported());
    EXPECT_EQ(reported.Code(), B_ERROR);
    EXPECT_FALSE(reported_failure(Status()).WasReported());
}
