// The prompt at a terminal: a line can be edited and an earlier one recalled (libedit),
// through a real pseudo-terminal.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PlayerRunner.h"
#include "TestAddOns.h"

using namespace player_test;
using namespace test_support;

namespace {

// A program on the slave side of a pseudo-terminal; everything it prints is kept.
class TerminalSession {
public:
    TerminalSession(const std::vector<std::string> &argv, const std::vector<std::string> &env) {
        struct winsize size = {30, 100, 0, 0};
        fPid = forkpty(&fMaster, nullptr, nullptr, &size);
        if (fPid == 0) {
            for (const std::string &variable : env)
                putenv(const_cast<char *>(variable.c_str()));
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            unsetenv("QT_QPA_PLATFORM");
            std::vector<char *> args;
            for (const std::string &arg : argv)
                args.push_back(const_cast<char *>(arg.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
    }

    ~TerminalSession() {
        if (fPid > 0 && !fExited) {
            kill(fPid, SIGKILL);
            waitpid(fPid, nullptr, 0);
        }
        if (fMaster >= 0)
            close(fMaster);
    }

    bool Started() const { return fPid > 0; }
    void Type(const std::string &keys) { (void)!write(fMaster, keys.data(), keys.size()); }

    // Reads until `text` has appeared `times` times in all, or a generous deadline.
    bool WaitFor(const std::string &text, int times = 1) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (Count(text) < times) {
            if (std::chrono::steady_clock::now() > deadline || !_ReadSome())
                return false;
        }
        return true;
    }

    int Count(const std::string &text) const {
        int count = 0;
        for (size_t at = fOutput.find(text); at != std::string::npos;
             at = fOutput.find(text, at + text.size()))
            count++;
        return count;
    }

    // Reads to the end and reaps the program: its exit status, or -1.
    int Finish() {
        while (_ReadSome()) {
        }
        int status = 0;
        if (waitpid(fPid, &status, 0) != fPid)
            return -1;
        fExited = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    const std::string &Output() const { return fOutput; }

private:
    bool _ReadSome() {
        struct pollfd ready = {fMaster, POLLIN, 0};
        if (poll(&ready, 1, 30000) <= 0)
            return false;
        char buffer[4096];
        const ssize_t count = read(fMaster, buffer, sizeof buffer);
        if (count <= 0)  // EIO once the program closed the terminal
            return false;
        fOutput.append(buffer, static_cast<size_t>(count));
        return true;
    }

    pid_t fPid = -1;
    int fMaster = -1;
    bool fExited = false;
    std::string fOutput;
};

}  // namespace

TEST(Prompt, ALineCanBeEditedAndAnEarlierOneRecalled) {
    TempDir directory;
    TerminalSession session({player_path(), "--headless", "--add-on", interface_addon_path()},
                            {"XDG_RUNTIME_DIR=" + directory.Path(), "TERM=xterm"});
    ASSERT_TRUE(session.Started());
    const std::string answer = "= add-on sp-test \"Test Interface\"";
    ASSERT_TRUE(session.WaitFor("brindle> ")) << session.Output();

    session.Type("add-ons\r");
    ASSERT_TRUE(session.WaitFor(answer, 1)) << session.Output();
    ASSERT_TRUE(session.WaitFor("brindle> ", 2)) << session.Output();
    // Up recalls the line; Enter runs it again.
    session.Type("\x1b[A\r");
    ASSERT_TRUE(session.WaitFor(answer, 2)) << session.Output();
    ASSERT_TRUE(session.WaitFor("brindle> ", 3)) << session.Output();
    // Typed without its first letter, which goes in after Ctrl+A (start of line).
    session.Type(
        "dd-ons\x01"
        "a\r");
    ASSERT_TRUE(session.WaitFor(answer, 3)) << session.Output();
    ASSERT_TRUE(session.WaitFor("brindle> ", 4)) << session.Output();
    session.Type("\x04");  // Ctrl+D: the end of input
    EXPECT_EQ(session.Finish(), 0) << session.Output();
    EXPECT_EQ(session.Count("unknown command"), 0) << session.Output();
}
