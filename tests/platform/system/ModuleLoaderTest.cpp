// Loading real libraries: a system one by name, ours by path, and the loader's reasons.
#include <ModuleLoader.h>

#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using testing::HasSubstr;

TEST(ModuleLoader, LoadsASystemLibraryByItsNameAndFindsItsEntries) {
    std::string reason;
    void *magic = brindle::open_module("libmagic.so.1", &reason);
    ASSERT_NE(magic, nullptr) << reason;
    typedef void *(*open_function)(int);
    EXPECT_NE(brindle::module_entry<open_function>(magic, "magic_open", &reason), nullptr);
    EXPECT_EQ(brindle::module_symbol(magic, "magic_no_such_call", &reason), nullptr);
    EXPECT_THAT(reason, HasSubstr("magic_no_such_call"));
}

TEST(ModuleLoader, AModuleThatIsNotThereIsNamedInTheReason) {
    std::string reason;
    const std::string path = std::string(BRINDLE_BUILD_DIR) + "/lib/no-such-module.so";
    EXPECT_EQ(brindle::open_module(path.c_str(), &reason), nullptr);
    EXPECT_THAT(reason, HasSubstr(path));
    EXPECT_THAT(reason, HasSubstr("No such file"));
}
