// For a test binary's own definition of a C library call (XattrFaults.cpp, FileFaults.cpp):
// the definition it stands in front of.
#ifndef BRINDLE_TESTS_COMMON_NEXT_DEFINITION_H
#define BRINDLE_TESTS_COMMON_NEXT_DEFINITION_H

#include <dlfcn.h>

namespace test_support {

// The next definition of `name` after ours: the C library's (or a sanitizer's, which calls
// it).
template <typename Function>
Function next_definition(const char *name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace test_support

#endif  // BRINDLE_TESTS_COMMON_NEXT_DEFINITION_H
