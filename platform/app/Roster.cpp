#include <Roster.h>

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include <Message.h>
#include <AppLauncher.h>
#include <RosterSupport.h>

namespace roster = BPrivate::roster;

namespace {

// How long a started program has to register before the launch is given up.
constexpr std::chrono::seconds kRegistrationWait(10);

const BRoster kRoster;

// Sends `message` (null: only looks) to the application listening at `path`.
// B_ENTRY_NOT_FOUND when nobody is there.
status_t deliver(const std::string &path, const BMessage *message, team_id *team) {
    int fd = -1;
    status_t status = roster::connect_to(path, &fd, team);
    if (status != B_OK)
        return status;
    if (message != nullptr)
        status = roster::send_on_connection(fd, *message);
    close(fd);
    return status;
}

// Whether the process has ended: gone, or a zombie its new parent has not reaped yet.
bool process_gone(team_id team) {
    if (team <= 0)
        return false;
    if (kill(team, 0) != 0 && errno == ESRCH)
        return true;
    std::ifstream stat("/proc/" + std::to_string(team) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return true;
    // "PID (COMMAND) STATE ...": the command may hold spaces and parentheses.
    size_t end = line.rfind(')');
    if (end == std::string::npos || end + 2 >= line.size())
        return false;
    char state = line[end + 2];
    return state == 'Z' || state == 'X';
}

}  // namespace

const BRoster *be_roster = &kRoster;

BRoster::BRoster() = default;

status_t BRoster::Launch(const char *signature, BMessage *initialMessage, team_id *appTeam) const {
    if (!roster::valid_signature(signature))
        return B_BAD_VALUE;
    std::string path;
    status_t status = roster::socket_path(signature, &path);
    if (status != B_OK)
        return status;

    status = deliver(path, initialMessage, appTeam);
    if (status != B_ENTRY_NOT_FOUND) {
        if (status == B_OK && initialMessage == nullptr)
            return B_ALREADY_RUNNING;
        return status;
    }

    std::string program;
    status = BPrivate::launcher::find_program(signature, &program);
    if (status != B_OK)
        return status;
    team_id started = -1;
    status = BPrivate::launcher::start_detached(program, &started);
    if (status != B_OK)
        return status;

    // Wait for the program to register, then hand it the message.
    auto deadline = std::chrono::steady_clock::now() + kRegistrationWait;
    std::chrono::milliseconds pause(5);
    for (;;) {
        bool gone = process_gone(started);
        status = deliver(path, initialMessage, appTeam);
        if (status != B_ENTRY_NOT_FOUND)
            return status;
        // A program that ended without registering will not register any more.
        if (gone || std::chrono::steady_clock::now() >= deadline)
            return B_LAUNCH_FAILED;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(100));
    }
}

bool BRoster::IsRunning(const char *signature) const {
    if (!roster::valid_signature(signature))
        return false;
    std::string path;
    if (roster::socket_path(signature, &path) != B_OK)
        return false;
    return deliver(path, nullptr, nullptr) == B_OK;
}
