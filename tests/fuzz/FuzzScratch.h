// What the tag fuzzers share: the readers and writers report on standard output, which a run
// of millions of inputs needs none of, and their files live in a scratch folder of their own.
#ifndef BRINDLE_TESTS_FUZZ_FUZZ_SCRATCH_H
#define BRINDLE_TESTS_FUZZ_FUZZ_SCRATCH_H

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// Silences standard output and gives the path "DIR/brindle-fuzz-PID`suffix`", DIR being
// $BRINDLE_FUZZ_DIR (scripts/test's scratch folder) or /var/tmp; "" when output cannot be
// silenced.
inline std::string fuzz_scratch_path(const std::string &suffix) {
    if (std::freopen("/dev/null", "w", stdout) == nullptr)
        return "";
    const char *directory = std::getenv("BRINDLE_FUZZ_DIR");
    return std::string(directory != nullptr ? directory : "/var/tmp") + "/brindle-fuzz-" +
           std::to_string(getpid()) + suffix;
}

#endif  // BRINDLE_TESTS_FUZZ_FUZZ_SCRATCH_H
