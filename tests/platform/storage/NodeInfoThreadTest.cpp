// Many threads asking for file types at once: the shared libmagic handle is serialized, the
// attribute store shares nothing.
#include "StorageTestSupport.h"

#include <Errors.h>
#include <NodeInfo.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace storage_test;

TEST(FileTypesAcrossThreads, ConcurrentGetTypeOnDifferentFilesGivesEachItsOwnType) {
    TempDir dir;
    struct Sample {
        std::string path;
        std::string expected;
    };
    std::vector<Sample> samples;
    for (int i = 0; i < 6; ++i) {
        const std::string base = dir / ("file" + std::to_string(i));
        if (i % 3 == 0 && have_lame()) {
            make_mp3(base + ".mp3");
            samples.push_back({base + ".mp3", "audio/x-mpeg"});
        } else if (i % 3 == 1) {
            write_file(base, "text number " + std::to_string(i) + "\n");
            samples.push_back({base, "text/plain"});
        } else {
            write_file(base, "recorded");
            BNode node(base.c_str());
            BNodeInfo(&node).SetType(("application/x-sample-" + std::to_string(i)).c_str());
            samples.push_back({base, "application/x-sample-" + std::to_string(i)});
        }
    }

    std::vector<std::vector<std::string>> seen(samples.size());
    std::vector<std::thread> threads;
    for (size_t t = 0; t < samples.size(); ++t) {
        threads.emplace_back([&, t] {
            BNode node(samples[t].path.c_str());
            BNodeInfo info(&node);
            for (int round = 0; round < 40; ++round) {
                char type[B_MIME_TYPE_LENGTH];
                status_t status = info.GetType(type);
                seen[t].push_back(status == B_OK ? type : "error " + std::to_string(status));
            }
        });
    }
    for (auto &thread : threads)
        thread.join();

    for (size_t t = 0; t < samples.size(); ++t) {
        ASSERT_EQ(seen[t].size(), 40u);
        for (const std::string &type : seen[t])
            EXPECT_EQ(type, samples[t].expected) << samples[t].path;
    }
}
