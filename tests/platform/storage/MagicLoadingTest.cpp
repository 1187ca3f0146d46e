// libmagic stays out of the process until a guess needs it: typing MPEG audio by its
// content does not load it, typing anything else does. Its own binary, so nothing else in
// the process has loaded libmagic before the test starts.
#include "StorageTestSupport.h"

#include <Errors.h>
#include <NodeInfo.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>

using namespace storage_test;

namespace {

bool libmagic_loaded() {
    void *handle = dlopen("libmagic.so.1", RTLD_LAZY | RTLD_NOLOAD);
    if (handle != nullptr)
        dlclose(handle);
    return handle != nullptr;
}

std::string type_of(const std::string &path) {
    BNode node(path.c_str());
    BNodeInfo info(&node);
    char type[B_MIME_TYPE_LENGTH];
    status_t status = info.GetType(type);
    return status == B_OK ? std::string(type) : "error " + std::to_string(status);
}

TEST(MagicLoading, LibmagicIsLoadedAtTheFirstGuessBeyondMpegAudio) {
    if (!have_lame())
        GTEST_SKIP() << "lame is not installed";
    TempDir dir;
    make_mp3(dir / "song.mp3", "--id3v2-only --tt Title");
    ASSERT_FALSE(libmagic_loaded());

    EXPECT_EQ(type_of(dir / "song.mp3"), "audio/x-mpeg");
    EXPECT_FALSE(libmagic_loaded());

    EXPECT_EQ(type_of(dir.Write("notes", "plain words\n")), "text/plain");
    EXPECT_TRUE(libmagic_loaded());
}

}  // namespace
