// The roster: delivering to a running application, launching one by its app entry,
// refusing directories it cannot trust, and a listener that no client can stall or
// reach from another user.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include <Application.h>
#include <Roster.h>

#include "AppTestSupport.h"

extern char **environ;

using namespace app_test;

namespace {

enum : uint32 { kEcho = 'echo' };

// The socket name of a signature: '/' as '%', the rest already plain.
std::string socket_for(const ScopedRosterEnvironment &environment, const std::string &signature) {
    std::string name = signature;
    for (char &c : name) {
        if (c == '/')
            c = '%';
    }
    return environment.RosterDirectory() + "/" + name;
}

bool exists(const std::string &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// An application in this process that records what the roster hands it.
class HookedApp {
public:
    explicit HookedApp(const std::string &signature) : fApp(new BApplication(signature.c_str())) {
        fApp->SetRosterMessageHook([this](BMessage *message) {
            std::lock_guard<std::mutex> lock(fLock);
            fTexts.push_back(message->GetString("text", "(none)"));
        });
    }
    ~HookedApp() { delete fApp; }
    std::vector<std::string> Texts() {
        std::lock_guard<std::mutex> lock(fLock);
        return fTexts;
    }
    BApplication *App() const { return fApp; }

private:
    std::mutex fLock;
    std::vector<std::string> fTexts;
    BApplication *fApp;
};

BMessage echo(const char *text, bool quit = false) {
    BMessage message(kEcho);
    message.AddString("text", text);
    if (quit)
        message.AddBool("quit", true);
    return message;
}

int raw_connect(const std::string &path) {
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0) {
        close(fd);
        return -1;
    }
    timeval timeout{30, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    return fd;
}

std::string frame(const std::string &body, uint32 claimedSize) {
    std::string bytes;
    for (int i = 0; i < 4; i++)
        bytes += static_cast<char>((claimedSize >> (8 * i)) & 0xff);
    return bytes + body;
}

// The answer the server sends on a connection: a status, or 1 when it closed unanswered.
status_t read_answer(int fd) {
    unsigned char bytes[4];
    size_t got = 0;
    while (got < 4) {
        ssize_t count = recv(fd, bytes + got, 4 - got, 0);
        if (count <= 0)
            return 1;
        got += static_cast<size_t>(count);
    }
    return static_cast<status_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                 static_cast<uint32>(bytes[3]) << 24);
}

std::vector<std::string> read_lines(const std::string &path) {
    std::vector<std::string> lines;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line))
        lines.push_back(line);
    return lines;
}

// Waits (bounded by the hang guard) until the file has a line starting with `prefix`.
bool wait_for_line(const std::string &path, const std::string &prefix, std::string *found) {
    auto deadline = std::chrono::steady_clock::now() + kHangGuard;
    while (std::chrono::steady_clock::now() < deadline) {
        for (const std::string &line : read_lines(path)) {
            if (line.compare(0, prefix.size(), prefix) == 0) {
                if (found != nullptr)
                    *found = line;
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

bool wait_until_not_running(const std::string &signature) {
    auto deadline = std::chrono::steady_clock::now() + kHangGuard;
    while (be_roster->IsRunning(signature.c_str())) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string helper_program() {
    return std::string(BRINDLE_BUILD_DIR) + "/roster_test_app";
}

// Runs the helper as our own child (not through the roster) and waits for it.
int run_helper(const std::vector<std::pair<std::string, std::string>> &variables) {
    for (const auto &variable : variables)
        setenv(variable.first.c_str(), variable.second.c_str(), 1);
    std::string program = helper_program();
    char *arguments[] = {const_cast<char *>(program.c_str()), nullptr};
    pid_t child = -1;
    int status = posix_spawn(&child, program.c_str(), nullptr, nullptr, arguments, environ);
    for (const auto &variable : variables)
        unsetenv(variable.first.c_str());
    if (status != 0)
        return -1;
    int exitStatus = 0;
    waitpid(child, &exitStatus, 0);
    return exitStatus;
}

}  // namespace

TEST(Roster, LaunchDeliversToARunningApplication) {
    ScopedRosterEnvironment environment;
    std::string signature = unique_signature("running");
    {
        HookedApp app(signature);
        ASSERT_EQ(app.App()->RegistrationStatus(), B_OK);
        EXPECT_TRUE(exists(socket_for(environment, signature)));
        EXPECT_TRUE(be_roster->IsRunning(signature.c_str()));

        BMessage message = echo("hello");
        team_id team = -1;
        ASSERT_EQ(be_roster->Launch(signature.c_str(), &message, &team), B_OK);
        EXPECT_EQ(team, getpid());
        EXPECT_EQ(app.Texts(), std::vector<std::string>{"hello"});
        // Without a message there is nothing to deliver: the original's answer.
        EXPECT_EQ(be_roster->Launch(signature.c_str()), B_ALREADY_RUNNING);

        // Signatures are case-insensitive, as MIME types are.
        std::string upper = signature;
        upper[0] = 'A';
        BMessage again = echo("again");
        EXPECT_EQ(be_roster->Launch(upper.c_str(), &again), B_OK);
        EXPECT_EQ(app.Texts().size(), 2u);
    }
    // The application took its socket with it.
    EXPECT_FALSE(exists(socket_for(environment, signature)));
    EXPECT_FALSE(be_roster->IsRunning(signature.c_str()));

    BMessage tooBig(kEcho);
    tooBig.AddString("text", std::string(70 * 1024, 'x').c_str());
    HookedApp app(signature);
    EXPECT_EQ(be_roster->Launch(signature.c_str(), &tooBig), B_BAD_VALUE);
    EXPECT_TRUE(app.Texts().empty());
}

TEST(Roster, LaunchStartsTheProgramOfTheAppEntryDetachedAndDeliversOnceItRegisters) {
    ScopedRosterEnvironment environment;
    std::string signature = unique_signature("launched");
    std::string output = environment.Root() + "/output";
    environment.WriteAppEntry(signature, "roster_test_app");
    setenv("BRINDLE_TEST_SIGNATURE", signature.c_str(), 1);
    setenv("BRINDLE_TEST_OUTPUT", output.c_str(), 1);

    BMessage first = echo("first");
    team_id team = -1;
    status_t status = be_roster->Launch(signature.c_str(), &first, &team);
    unsetenv("BRINDLE_TEST_SIGNATURE");
    unsetenv("BRINDLE_TEST_OUTPUT");
    ASSERT_EQ(status, B_OK);
    EXPECT_GT(team, 0);
    EXPECT_NE(team, getpid());

    std::string started;
    ASSERT_TRUE(wait_for_line(output, "started ", &started));
    std::istringstream fields(started.substr(8));
    pid_t pid = 0;
    pid_t session = 0;
    std::string input;
    fields >> pid >> session >> input;
    EXPECT_EQ(pid, team);
    EXPECT_NE(session, getsid(0));
    EXPECT_EQ(input, "/dev/null");
    ASSERT_TRUE(wait_for_line(output, "received first", nullptr));

    // Now it runs: a second launch only delivers.
    BMessage last = echo("last", true);
    team_id again = -1;
    ASSERT_EQ(be_roster->Launch(signature.c_str(), &last, &again), B_OK);
    EXPECT_EQ(again, team);
    ASSERT_TRUE(wait_for_line(output, "bye", nullptr));
    ASSERT_TRUE(wait_until_not_running(signature));
    std::vector<std::string> lines = read_lines(output);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "received first"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "received last"), 1);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string &line) { return line.rfind("started", 0) == 0; }),
              1);
}

TEST(Roster, LaunchFailsCleanlyWithoutAUsableProgram) {
    ScopedRosterEnvironment environment;
    EXPECT_EQ(be_roster->Launch("text/plain"), B_BAD_VALUE);
    EXPECT_EQ(be_roster->Launch(nullptr), B_BAD_VALUE);

    std::string noEntry = unique_signature("no-entry");
    EXPECT_EQ(be_roster->Launch(noEntry.c_str()), B_LAUNCH_FAILED_APP_NOT_FOUND);

    std::string missing = unique_signature("missing-program");
    environment.WriteAppEntry(missing, "no-such-program-anywhere");
    EXPECT_EQ(be_roster->Launch(missing.c_str()), B_LAUNCH_FAILED_APP_NOT_FOUND);

    std::string relative = unique_signature("relative");
    environment.WriteAppEntry(relative, "bin/true");
    EXPECT_EQ(be_roster->Launch(relative.c_str()), B_LAUNCH_FAILED_APP_NOT_FOUND);

    // A program that ends without ever registering: no ten-second wait for it.
    std::string quitter = unique_signature("quitter");
    environment.WriteAppEntry(quitter, "/bin/true");
    BMessage message = echo("lost");
    EXPECT_EQ(be_roster->Launch(quitter.c_str(), &message), B_LAUNCH_FAILED);
}

TEST(Roster, DirectoriesThatCannotBeTrustedAreRefused) {
    ScopedRosterEnvironment environment;
    std::string signature = unique_signature("refused");
    std::string roster = environment.RosterDirectory();
    auto expect_refused = [&](const char *why) {
        testing::internal::CaptureStderr();
        BMessage message = echo("x");
        EXPECT_EQ(be_roster->Launch(signature.c_str(), &message), B_NOT_ALLOWED) << why;
        BApplication app(signature.c_str());
        EXPECT_EQ(app.RegistrationStatus(), B_NOT_ALLOWED) << why;
        std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_NE(errors.find("refusing to use " + roster), std::string::npos) << errors;
    };

    ASSERT_EQ(mkdir(roster.c_str(), 0755), 0);
    chmod(roster.c_str(), 0755);
    expect_refused("open to others");
    EXPECT_FALSE(exists(socket_for(environment, signature)));

    chmod(roster.c_str(), 0700);
    ASSERT_EQ(chown(roster.c_str(), 65534, 65534), 0);
    expect_refused("another user's");
    rmdir(roster.c_str());

    std::string elsewhere = environment.Root() + "/elsewhere";
    ASSERT_EQ(mkdir(elsewhere.c_str(), 0700), 0);
    ASSERT_EQ(symlink(elsewhere.c_str(), roster.c_str()), 0);
    expect_refused("a symbolic link");
    EXPECT_FALSE(
        exists(elsewhere + "/" + socket_for(environment, signature).substr(roster.size() + 1)));
    unlink(roster.c_str());

    std::ofstream(roster) << "not a directory";
    expect_refused("a file");
    unlink(roster.c_str());

    // Made by the roster itself: private, and used.
    BApplication app(signature.c_str());
    EXPECT_EQ(app.RegistrationStatus(), B_OK);
    struct stat st;
    ASSERT_EQ(lstat(roster.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
}

TEST(Roster, WithoutAUsableRuntimeDirectoryTheUsersTmpDirectoryIsUsed) {
    ScopedRosterEnvironment environment;
    setenv("XDG_RUNTIME_DIR", (environment.Root() + "/missing").c_str(), 1);
    std::string signature = unique_signature("fallback");
    std::string socket =
        "/tmp/brindle-roster-" + std::to_string(geteuid()) + "/" +
        socket_for(environment, signature).substr(environment.RosterDirectory().size() + 1);
    {
        HookedApp app(signature);
        ASSERT_EQ(app.App()->RegistrationStatus(), B_OK);
        EXPECT_TRUE(exists(socket));
        BMessage message = echo("via tmp");
        EXPECT_EQ(be_roster->Launch(signature.c_str(), &message), B_OK);
        EXPECT_EQ(app.Texts(), std::vector<std::string>{"via tmp"});
    }
    EXPECT_FALSE(exists(socket));
}

TEST(Roster, ClientsThatStallOrLieNeitherHangTheListenerNorGetThrough) {
    ScopedRosterEnvironment environment;
    std::string signature = unique_signature("stall");
    HookedApp app(signature);
    ASSERT_EQ(app.App()->RegistrationStatus(), B_OK);
    std::string path = socket_for(environment, signature);

    int silent = raw_connect(path);
    ASSERT_GE(silent, 0);
    int partial = raw_connect(path);
    ASSERT_GE(partial, 0);
    ASSERT_EQ(send(partial, "\x10\0", 2, MSG_NOSIGNAL), 2);

    // Both are still open; a real client gets through all the same.
    BMessage message = echo("through");
    ASSERT_EQ(be_roster->Launch(signature.c_str(), &message), B_OK);
    EXPECT_EQ(app.Texts(), std::vector<std::string>{"through"});

    int liar = raw_connect(path);
    std::string claim = frame("", 1u << 30);
    ASSERT_EQ(send(liar, claim.data(), claim.size(), MSG_NOSIGNAL), 4);
    EXPECT_EQ(read_answer(liar), B_BAD_VALUE);
    close(liar);

    int garbage = raw_connect(path);
    std::string body = "BMF1 certainly not a message";
    std::string bytes = frame(body, static_cast<uint32>(body.size()));
    ASSERT_EQ(send(garbage, bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
    EXPECT_EQ(read_answer(garbage), B_BAD_DATA);
    close(garbage);

    EXPECT_EQ(app.Texts().size(), 1u);
    close(silent);
    close(partial);
    // Shutting down with a connection half-read does not hang either.
}

TEST(Roster, MessagesFromAnotherUserAreNeverRead) {
    ScopedRosterEnvironment environment;
    std::string signature = unique_signature("stranger");
    HookedApp app(signature);
    ASSERT_EQ(app.App()->RegistrationStatus(), B_OK);
    std::string path = socket_for(environment, signature);

    // Let the stranger reach the socket at all; the peer check must stop it.
    chmod(environment.Root().c_str(), 0711);
    chmod(environment.RuntimeDirectory().c_str(), 0711);
    chmod(environment.RosterDirectory().c_str(), 0711);
    chmod(path.c_str(), 0777);

    std::string flat;
    ASSERT_EQ(echo("from a stranger").Flatten(&flat), B_OK);
    std::string bytes = frame(flat, static_cast<uint32>(flat.size()));

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0)
            _exit(10);
        int fd = raw_connect(path);
        if (fd < 0)
            _exit(11);
        (void)!send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        // Closed without an answer: 0. An answer means the message was read: 12.
        _exit(read_answer(fd) == 1 ? 0 : 12);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    chmod(environment.RosterDirectory().c_str(), 0700);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    BMessage message = echo("from us");
    ASSERT_EQ(be_roster->Launch(signature.c_str(), &message), B_OK);
    EXPECT_EQ(app.Texts(), std::vector<std::string>{"from us"});
}

TEST(Roster, ASecondApplicationWithTheSameSignatureLeavesTheFirstItsSocket) {
    ScopedRosterEnvironment environment;
    std::string signature = unique_signature("twice");
    std::string output = environment.Root() + "/output";
    HookedApp app(signature);
    ASSERT_EQ(app.App()->RegistrationStatus(), B_OK);

    int status = run_helper({{"BRINDLE_TEST_SIGNATURE", signature},
                             {"BRINDLE_TEST_OUTPUT", output},
                             {"BRINDLE_TEST_MODE", "register-only"}});
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(read_lines(output),
              std::vector<std::string>{"registration " + std::to_string(B_ALREADY_RUNNING)});

    // The second one came and went; the first still has its socket.
    BMessage message = echo("still here");
    ASSERT_EQ(be_roster->Launch(signature.c_str(), &message), B_OK);
    EXPECT_EQ(app.Texts(), std::vector<std::string>{"still here"});
}

TEST(Roster, SignaturesTooLongForASocketAddressStillWork) {
    ScopedRosterEnvironment environment;
    std::string base = unique_signature("long");
    std::string signature = base + std::string(200 - base.size(), 'x');
    std::string other = base + std::string(199 - base.size(), 'x') + "y";
    HookedApp app(signature);
    ASSERT_EQ(app.App()->RegistrationStatus(), B_OK);
    EXPECT_FALSE(be_roster->IsRunning(other.c_str()));
    BMessage message = echo("long");
    ASSERT_EQ(be_roster->Launch(signature.c_str(), &message), B_OK);
    EXPECT_EQ(app.Texts(), std::vector<std::string>{"long"});
}

TEST(Roster, AStaleSocketFromADeadApplicationIsReplaced) {
    ScopedRosterEnvironment environment;
    std::string signature = unique_signature("stale");
    std::string path = socket_for(environment, signature);
    ASSERT_EQ(mkdir(environment.RosterDirectory().c_str(), 0700), 0);
    // What a crashed application leaves: a bound socket nobody listens on.
    int dead = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(bind(dead, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    close(dead);
    ASSERT_TRUE(exists(path));

    EXPECT_FALSE(be_roster->IsRunning(signature.c_str()));
    EXPECT_EQ(be_roster->Launch(signature.c_str()), B_LAUNCH_FAILED_APP_NOT_FOUND);

    HookedApp app(signature);
    ASSERT_EQ(app.App()->RegistrationStatus(), B_OK);
    BMessage message = echo("fresh");
    ASSERT_EQ(be_roster->Launch(signature.c_str(), &message), B_OK);
    EXPECT_EQ(app.Texts(), std::vector<std::string>{"fresh"});
}
