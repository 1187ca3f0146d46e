// Waiting for a state without fixed sleeps, and finding the programs a test drives.
#ifndef BRINDLE_TESTS_COMMON_POLLING_H
#define BRINDLE_TESTS_COMMON_POLLING_H

#include <functional>
#include <string>

namespace test_support {

// Polls `condition` until it holds (true) or a generous time limit passes (false): a
// bound against hanging, not a measure of speed.
bool eventually(const std::function<bool()> &condition);

// The absolute path of `program` on PATH, or "" when it is not installed.
std::string installed(const std::string &program);
// The same, but a missing program is an error (std::runtime_error naming
// scripts/install-deps): tests that need it fail rather than skip.
std::string required(const std::string &program);

}  // namespace test_support

#endif  // BRINDLE_TESTS_COMMON_POLLING_H
