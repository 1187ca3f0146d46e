// brindle-player: the stand-in player. See DESIGN.md's player section for its command
// language; this file only wires the parts together.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "CommandInterpreter.h"
#include "DisplayModule.h"
#include "InputLoop.h"
#include "Options.h"
#include "Player.h"
#include "PlayerApplication.h"
#include "Signals.h"
#include "StandardOutput.h"
#include "Status.h"

namespace {

// Whether standard input can give commands at all. It cannot when it is closed, open
// for writing only, or /dev/null (as when the roster starts the player detached).
bool standard_input_gives_commands() {
    const int flags = fcntl(STDIN_FILENO, F_GETFL);
    if (flags < 0 || (flags & O_ACCMODE) == O_WRONLY)
        return false;
    struct stat input;
    struct stat null;
    if (fstat(STDIN_FILENO, &input) != 0)
        return false;
    if (S_ISCHR(input.st_mode) && stat("/dev/null", &null) == 0 && S_ISCHR(null.st_mode) &&
        input.st_rdev == null.st_rdev)
        return false;
    return true;
}

// Opens the script at `path` ("-": standard input) into `fd`.
Status open_script(const std::string &path, int *fd) {
    if (path == "-") {
        *fd = STDIN_FILENO;
        return Status();
    }
    const std::string context = "cannot open script " + path;
    // Non-blocking open: a FIFO without a writer must not hang the player here.
    *fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (*fd < 0)
        return Status::FromErrno(context);
    struct stat info;
    if (fstat(*fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        close(*fd);
        *fd = -1;
        return Status::FromErrno(context, EISDIR);
    }
    fcntl(*fd, F_SETFL, fcntl(*fd, F_GETFL) & ~O_NONBLOCK);
    return Status();
}

}  // namespace

int main(int argc, char **argv) {
    // Whole lines, in order, even through a pipe: the add-ons print from their own
    // threads as well.
    setup_standard_output();
    // A reader that went away is an error to handle, not a reason to die.
    signal(SIGPIPE, SIG_IGN);
    // Nor is a file-size limit: a write it stops is a short or failed write, which the
    // writer takes back, rather than the end of the player in the middle of a tag.
    signal(SIGXFSZ, SIG_IGN);
    // A closed standard stream would be taken by the next descriptor opened (the task
    // queue's, an add-on's file) and read or written by mistake: give it /dev/null.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; fd++) {
        if (fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
            const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
            if (opened >= 0 && opened != fd) {
                dup2(opened, fd);
                close(opened);
            }
        }
    }

    Options options;
    const Status parsed = parse_options(argc, argv, &options);
    if (!parsed.IsOK()) {
        fprintf(stderr, "brindle-player: %s\n%s", parsed.Text().c_str(), kUsage);
        return InputLoop::kExitBadCommand;
    }
    if (options.help) {
        fputs(kUsage, stdout);
        return 0;
    }
    if (options.version) {
        fputs(kVersion, stdout);
        return 0;
    }

    int scriptFd = -1;
    if (options.hasScript) {
        const Status opened = open_script(options.script, &scriptFd);
        if (!opened.IsOK()) {
            report_failure(opened);
            return InputLoop::kExitBadCommand;
        }
    }

    Player player;
    if (!player.Tasks().InitCheck()) {
        report_failure(Status::FromErrno("cannot make the task queue"));
        return 1;
    }
    install_termination_handlers(player.Tasks());

    // Declared after the player, so it stops listening before the player goes.
    PlayerApplication application(player);

    if (options.addOns.empty()) {
        const std::string directory = default_add_on_directory();
        if (!directory.empty())
            player.AddOns().LoadDirectory(directory);
    } else {
        for (const std::string &path : options.addOns)
            report_failure(player.AddOns().Load(path));
    }
    if (!options.files.empty())
        player.OpenStartPlaylist(options.files);
    if (options.follow) {
        const Status following = player.Follow(options.followName);
        if (!following.IsOK()) {
            report_failure(following.Prefixed("--follow"));
            return 1;
        }
    }

    CommandInterpreter interpreter(player);
    InputLoop loop(player, interpreter);
    auto runScript = [&] {
        int scriptStatus = loop.RunCommands(scriptFd, true, false);
        if (scriptStatus == InputLoop::kInputUnreadable) {
            report_failure(Status::FromErrno("cannot read script " + options.script));
            scriptStatus = InputLoop::kExitBadCommand;
        }
        return scriptStatus;
    };
    int status;
    bool drawn = false;
    if (display_wanted(options.headless)) {
        // Display front end: Qt's event loop owns this thread; the script, or the
        // windows' and the roster's requests, are served on a command thread
        // (DisplayModule.h). Without the module the player goes on without windows.
        DisplayRun run{&argc, argv, &player, nullptr};
        if (options.hasScript)
            run.script = runScript;
        const Status loaded = run_display_module(run, &status);
        drawn = loaded.IsOK();
        if (!drawn)
            report_failure(Status(loaded.Code(), loaded.Text() + "; going on without windows"));
    }
    if (drawn) {
        // The module ran the commands and shut the player down.
    } else if (options.hasScript) {
        status = runScript();
    } else {
        player.EnableAll();
        player.Settle();
        if (standard_input_gives_commands())
            status = loop.RunCommands(STDIN_FILENO, false, isatty(STDIN_FILENO) != 0);
        else
            status = InputLoop::kInputUnreadable;
        if (status == InputLoop::kInputUnreadable) {
            // Nothing here will ever end by itself: say so once, where a person looks.
            fprintf(stderr,
                    "brindle-player: no commands to read on standard input; serving the "
                    "interfaces until the last one ends or the player is stopped (Ctrl-C, or "
                    "kill %d)\n",
                    static_cast<int>(getpid()));
            status = loop.RunDetached();
        }
    }

    player.Shutdown();
    if (scriptFd > STDIN_FILENO)
        close(scriptFd);
    return status;
}
