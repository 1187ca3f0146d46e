// Whole reads and writes on real pipes, sockets and files, interrupted by real signals.
#include <SystemIo.h>
#include <UniqueFd.h>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "Polling.h"
#include "TestFiles.h"

using brindle::UniqueFd;
using test_support::eventually;

namespace {

std::atomic<int> gSignals{0};

void count_signal(int) {
    gSignals++;
}

// A pipe whose ends close with the test.
struct Pipe {
    UniqueFd read, write;
    Pipe() {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) == 0) {
            read.Reset(ends[0]);
            write.Reset(ends[1]);
        }
    }
};

// Runs `blocking` (a call that sleeps in the kernel) on a thread of its own and interrupts
// it with a signal whose handler does not restart calls; `release` then lets it finish.
template <typename Blocking, typename Release>
void interrupt_while_blocked(Blocking blocking, Release release) {
    struct sigaction action = {};
    action.sa_handler = count_signal;  // no SA_RESTART: the call returns EINTR
    struct sigaction previous;
    ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);
    const int before = gSignals;
    std::atomic<pid_t> tid{0};
    std::thread thread([&] {
        tid = static_cast<pid_t>(syscall(SYS_gettid));
        blocking();
    });
    // Asleep in the call: the signal then interrupts it, not something before it.
    EXPECT_TRUE(eventually([&] {
        if (tid == 0)
            return false;
        std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
        std::string line;
        std::getline(stat, line);
        const size_t close = line.rfind(')');
        return close != std::string::npos && line.compare(close + 2, 1, "S") == 0;
    }));
    pthread_kill(thread.native_handle(), SIGUSR1);
    EXPECT_TRUE(eventually([&] { return gSignals > before; }));
    release();
    thread.join();
    sigaction(SIGUSR1, &previous, nullptr);
}

}  // namespace

TEST(SystemIo, ReadAllGoesOnAfterASignalInterruptsIt) {
    Pipe pipe;
    char buffer[6] = {};
    ssize_t count = 0;
    interrupt_while_blocked([&] { count = brindle::read_all(pipe.read.Get(), buffer, 6); },
                            [&] { ASSERT_EQ(::write(pipe.write.Get(), "abcdef", 6), 6); });
    EXPECT_EQ(count, 6);
    EXPECT_EQ(std::string(buffer, 6), "abcdef");
}

TEST(SystemIo, WriteAllGoesOnAfterASignalInterruptsIt) {
    Pipe pipe;
    // Fill the pipe, so that the next write sleeps before it has written anything.
    const int flags = fcntl(pipe.write.Get(), F_GETFL);
    fcntl(pipe.write.Get(), F_SETFL, flags | O_NONBLOCK);
    size_t filled = 0;
    char block[4096] = {};
    for (ssize_t count; (count = ::write(pipe.write.Get(), block, sizeof block)) > 0;)
        filled += static_cast<size_t>(count);
    fcntl(pipe.write.Get(), F_SETFL, flags);

    int result = -1;
    std::string drained;
    interrupt_while_blocked([&] { result = brindle::write_all(pipe.write.Get(), "tail", 4); },
                            [&] {
                                char piece[4096];
                                while (drained.size() < filled + 4) {
                                    const ssize_t count =
                                        ::read(pipe.read.Get(), piece, sizeof piece);
                                    if (count <= 0)
                                        break;
                                    drained.append(piece, static_cast<size_t>(count));
                                }
                            });
    EXPECT_EQ(result, 0);
    ASSERT_EQ(drained.size(), filled + 4);
    EXPECT_EQ(drained.substr(filled), "tail");
}

// A non-blocking descriptor that is full (standard output on a slow terminal) is waited on,
// not given up.
TEST(SystemIo, WriteAllWaitsWhileANonBlockingDescriptorIsFull) {
    Pipe pipe;
    fcntl(pipe.write.Get(), F_SETFL, fcntl(pipe.write.Get(), F_GETFL) | O_NONBLOCK);
    const std::string text(1 << 20, 'x');
    int result = -1;
    std::thread writer(
        [&] { result = brindle::write_all(pipe.write.Get(), text.data(), text.size()); });
    std::string drained(text.size() + 1, '\0');
    const ssize_t count = brindle::read_all(pipe.read.Get(), &drained[0], text.size());
    writer.join();
    EXPECT_EQ(result, 0);
    ASSERT_EQ(count, static_cast<ssize_t>(text.size()));
    EXPECT_EQ(drained.substr(0, text.size()), text);
}

TEST(SystemIo, ReadAllStopsShortOnlyAtTheEndOfTheInput) {
    test_support::TempDir directory;
    const std::string path = directory.Write("data", "0123456789");
    UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    char buffer[16] = {};
    EXPECT_EQ(brindle::read_all_at(file.Get(), buffer, 4, 3), 4);
    EXPECT_EQ(std::string(buffer, 4), "3456");
    EXPECT_EQ(brindle::read_all_at(file.Get(), buffer, sizeof buffer, 7), 3);
    EXPECT_EQ(std::string(buffer, 3), "789");
    // The position is the descriptor's own, untouched by the reads at an offset.
    EXPECT_EQ(brindle::read_all(file.Get(), buffer, sizeof buffer), 10);
    EXPECT_EQ(brindle::read_all(file.Get(), buffer, sizeof buffer), 0);
}

TEST(SystemIo, SendAllToAPeerThatHasGoneFailsWithoutASignal) {
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    UniqueFd mine(ends[0]);
    close(ends[1]);
    // A SIGPIPE would end the test binary here.
    EXPECT_EQ(brindle::send_all(mine.Get(), "lost", 4), -1);
    EXPECT_EQ(errno, EPIPE);
}

TEST(SystemIo, ADescriptorIsClosedAtTheEndOfItsScopeUnlessReleased) {
    int held;
    {
        UniqueFd fd(open("/dev/null", O_RDONLY | O_CLOEXEC));
        held = fd.Get();
        ASSERT_GE(held, 0);
    }
    EXPECT_EQ(fcntl(held, F_GETFD), -1);
    int kept;
    {
        UniqueFd fd(open("/dev/null", O_RDONLY | O_CLOEXEC));
        kept = fd.Release();
    }
    EXPECT_NE(fcntl(kept, F_GETFD), -1);
    UniqueFd again(kept);
    EXPECT_EQ(again.Close(), 0);
    EXPECT_FALSE(again.IsOpen());
    EXPECT_EQ(fcntl(kept, F_GETFD), -1);
}
