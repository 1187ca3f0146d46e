#include <Errors.h>
#include <SupportDefs.h>
#include <TypeConstants.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

// Stored files and peers depend on these numbers: they are the original platform's.
TEST(StatusCodes, KeepTheOriginalPlatformsValues) {
    EXPECT_EQ(B_OK, 0);
    EXPECT_EQ(B_ERROR, -1);
    EXPECT_EQ(B_NO_MEMORY, static_cast<int32>(0x80000000));
    EXPECT_EQ(B_BAD_VALUE, static_cast<int32>(0x80000005));
    EXPECT_EQ(B_ENTRY_NOT_FOUND, static_cast<int32>(0x80006003));
    EXPECT_EQ(B_UNSUPPORTED, static_cast<int32>(0x8000600e));
    EXPECT_EQ(B_STRING_TYPE, 0x43535452u);
    EXPECT_EQ(B_INT32_TYPE, 0x4C4F4E47u);
    EXPECT_EQ(B_MIME_STRING_TYPE, 0x4D494D53u);
}

TEST(StatusCodes, HostErrorsMapToNegativeStatuses) {
    EXPECT_EQ(status_from_errno(0), B_OK);
    EXPECT_EQ(status_from_errno(ENOENT), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(status_from_errno(ENODATA), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(status_from_errno(EACCES), B_PERMISSION_DENIED);
    EXPECT_EQ(status_from_errno(ENOTSUP), B_UNSUPPORTED);
    EXPECT_EQ(status_from_errno(ENOSPC), B_DEVICE_FULL);
    for (int error = 1; error < 134; ++error)
        EXPECT_LT(status_from_errno(error), 0) << "errno " << error;
}

// A status near INT32_MIN is the kit's, never a negated errno: it reads as the host error it
// stands for, or in the kit's own words.
TEST(StatusCodes, ReadAsTheHostErrorTheyStandForOrInTheKitsWords) {
    EXPECT_STREQ(status_text(B_ENTRY_NOT_FOUND), strerror(ENOENT));
    EXPECT_STREQ(status_text(B_NO_MEMORY), strerror(ENOMEM));
    EXPECT_STREQ(status_text(B_PERMISSION_DENIED), strerror(EACCES));
    EXPECT_STREQ(status_text(EISDIR), strerror(EISDIR));
    EXPECT_STREQ(status_text(B_BAD_PORT_ID), "Bad port ID");
    EXPECT_STREQ(status_text(B_NAME_NOT_FOUND), "Name not found");
    EXPECT_STREQ(status_text(B_OK), "No error");
    EXPECT_STREQ(status_text(B_POSIX_ERROR_BASE + 999), "Unknown error -2147453977");
    // Every host error the kit maps reads back as that error's own words, unless several
    // errors share one code.
    for (int error : {ENOENT, EACCES, EIO, EEXIST, ENOTDIR, EROFS, ENOSPC, EXDEV, ENOTSUP})
        EXPECT_STREQ(status_text(status_from_errno(error)), strerror(error)) << error;
}

TEST(AtomicAdd, ReturnsPreviousValueAndLosesNoIncrement) {
    int32 counter = 5;
    EXPECT_EQ(atomic_add(&counter, 2), 5);
    EXPECT_EQ(atomic_add(&counter, -7), 7);
    EXPECT_EQ(counter, 0);

    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&counter] {
            for (int i = 0; i < 10000; ++i)
                atomic_add(&counter, 1);
        });
    for (auto &thread : threads)
        thread.join();
    EXPECT_EQ(counter, 40000);
}
