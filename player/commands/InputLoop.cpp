#include "InputLoop.h"

#include <poll.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>

#include "CommandInterpreter.h"
#include "LineReader.h"
#include "Player.h"
#include "Prompt.h"
#include "Signals.h"
#include "StandardOutput.h"

namespace {

const int kGoOn = -1000;
const char *const kPrompt = "brindle> ";

int signal_status() {
    return 128 + termination_signal();
}

}  // namespace

int InputLoop::_RunLine(const std::string &line, int lineNumber, bool script) {
    const Status status = fInterpreter.Execute(line);
    if (fInterpreter.Quitting())
        return kExitOk;
    if (!status.IsOK()) {
        report_failure(status.Prefixed("line " + std::to_string(lineNumber)));
        if (script)
            return kExitBadCommand;
    }
    fPlayer.Settle();
    return termination_signal() != 0 ? signal_status() : kGoOn;
}

int InputLoop::RunCommands(int fd, bool script, bool prompt) {
    if (prompt) {
        if (std::unique_ptr<Prompt> editor = Prompt::Open(kPrompt))
            return _RunEdited(fd, *editor);
    }
    LineReader reader(fd);
    bool promptShown = false;
    std::string line;
    for (;;) {
        if (termination_signal() != 0)
            return signal_status();
        while (reader.NextLine(&line)) {
            promptShown = false;
            const int status = _RunLine(line, reader.LineNumber(), script);
            if (status != kGoOn)
                return status;
        }
        if (reader.Ended()) {
            if (promptShown)
                fputs("\n", stdout);  // end of input typed at the prompt
            return kExitOk;
        }
        if (prompt && !promptShown) {
            fputs(kPrompt, stdout);
            fflush(stdout);
            flush_standard_output();
            promptShown = true;
        }

        const InputWait wait = _AwaitInput(fd);
        if (wait == kUnreadable)
            return kInputUnreadable;
        if (wait == kInputReady && !reader.Fill().IsOK())
            return kInputUnreadable;
    }
}

int InputLoop::_RunEdited(int fd, Prompt &prompt) {
    int lineNumber = 0;
    for (;;) {
        if (termination_signal() != 0)
            return signal_status();
        prompt.Start();
        const InputWait wait = _AwaitInput(fd);
        if (wait == kUnreadable)
            return kInputUnreadable;
        if (wait != kInputReady)
            continue;
        std::string line;
        bool ended = false;
        if (!prompt.Read(&line, &ended))
            continue;
        if (ended) {
            fputs("\n", stdout);  // end of input typed at the prompt
            return kExitOk;
        }
        const int status = _RunLine(line, ++lineNumber, false);
        if (status != kGoOn)
            return status;
    }
}

InputLoop::InputWait InputLoop::_AwaitInput(int fd) {
    TaskQueue &tasks = fPlayer.Tasks();
    struct pollfd fds[2] = {{fd, POLLIN, 0}, {tasks.WakeFd(), POLLIN, 0}};
    if (poll(fds, 2, -1) < 0)
        return errno == EINTR ? kNothingYet : kUnreadable;
    if (fds[1].revents != 0) {
        tasks.ClearWake();
        fPlayer.Settle();
    }
    if (fds[0].revents & POLLNVAL)
        return kUnreadable;
    return fds[0].revents != 0 ? kInputReady : kNothingYet;
}

int InputLoop::RunDetached() {
    TaskQueue &tasks = fPlayer.Tasks();
    for (;;) {
        if (termination_signal() != 0)
            return signal_status();
        fPlayer.Settle();
        if (fPlayer.EverEnabled() && fPlayer.Interfaces().Count() == 0)
            return kExitOk;
        struct pollfd wake = {tasks.WakeFd(), POLLIN, 0};
        if (poll(&wake, 1, -1) < 0 && errno != EINTR)
            return kExitOk;
        if (wake.revents != 0)
            tasks.ClearWake();
    }
}
