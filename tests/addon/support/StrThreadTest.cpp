// Handles to one record copied and released on several threads at once. Under ASan a wrong
// count shows as a leak or a use after free, under TSan as a race.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "support/str.h"

using vesk::str_t;

namespace {

const int kThreads = 4;
const int kRounds = 20000;

TEST(SharedStringThreads, HandlesCopiedAndReleasedOnManyThreadsKeepTheirText) {
    std::vector<std::thread> threads;
    std::vector<int> mismatches(kThreads, 0);
    {
        str_t shared("Across the Universe");
        for (int t = 0; t < kThreads; t++) {
            // The lambda's copy is made here; the threads only copy their own handle.
            threads.emplace_back([own = shared, &mismatch = mismatches[t]]() {
                for (int i = 0; i < kRounds; i++) {
                    str_t copy(own);
                    str_t assigned;
                    assigned = copy;
                    if (assigned != "Across the Universe")
                        mismatch++;
                }
            });
        }
        // The first handle goes while the threads are still working: the last of them
        // frees the record.
    }
    for (std::thread &thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; t++)
        EXPECT_EQ(0, mismatches[t]) << "thread " << t;
}

TEST(SharedStringThreads, ChangingOneHandleLeavesOtherThreadsTextsAlone) {
    str_t shared("Blackbird");
    std::vector<std::thread> threads;
    std::vector<str_t> results(kThreads);
    for (int t = 0; t < kThreads; t++) {
        threads.emplace_back([&shared, &result = results[t], t]() {
            str_t mine(shared);  // only copies of `shared` are made concurrently
            for (int i = 0; i < 100; i++) {
                mine += "x";
                mine = str_t(shared) + str_t::fromInt32(t).c_str();
            }
            result = mine;
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_STREQ("Blackbird", shared.c_str());
    for (int t = 0; t < kThreads; t++)
        EXPECT_EQ(std::string("Blackbird") + std::to_string(t), results[t].c_str());
}

}  // namespace
