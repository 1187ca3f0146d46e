#include "Prompt.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <editline/readline.h>

#include <ModuleLoader.h>

#include "Status.h"

namespace {

// The entered line, handed over by libedit's callback (one prompt at a time).
struct Entered {
    bool done = false;
    bool ended = false;
    std::string line;
};
Entered gEntered;

const int kHistoryLength = 500;

}  // namespace

// The libedit calls the prompt makes, looked up once the library is loaded.
// The library is never closed: its readline interface keeps the editor and the history
// in globals it has no call to free, and they must stay where they are until the end.
struct Prompt::Library {
    void *handle = nullptr;
    decltype(&rl_callback_handler_install) install = nullptr;
    decltype(&rl_callback_read_char) readChar = nullptr;
    decltype(&rl_callback_handler_remove) remove = nullptr;
    decltype(&add_history) addHistory = nullptr;
    decltype(&stifle_history) stifleHistory = nullptr;
    int *catchSignals = nullptr;
    const char **readlineName = nullptr;

    std::string reason;  // why the library or a call of it is missing

    template <typename Pointer>
    bool Find(Pointer *pointer, const char *name) {
        *pointer = brindle::module_entry<Pointer>(handle, name, &reason);
        return *pointer != nullptr;
    }
};

namespace {

// libedit hands each line here; NULL means the input ended.
void line_entered(char *line) {
    gEntered.done = true;
    gEntered.ended = line == nullptr;
    gEntered.line = line != nullptr ? line : "";
    free(line);
}

}  // namespace

std::unique_ptr<Prompt> Prompt::Open(const char *prompt) {
    // Editing draws on the terminal it reads from; with standard output elsewhere (a
    // pipe, a file) the plain prompt serves.
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO))
        return nullptr;
    auto library = std::make_unique<Library>();
    for (const char *name : {"libedit.so.2", "libedit.so"}) {
        library->handle = brindle::open_module(name, &library->reason);
        if (library->handle != nullptr)
            break;
    }
    bool found = library->handle != nullptr;
    found = found && library->Find(&library->install, "rl_callback_handler_install") &&
            library->Find(&library->readChar, "rl_callback_read_char") &&
            library->Find(&library->remove, "rl_callback_handler_remove") &&
            library->Find(&library->addHistory, "add_history");
    if (!found) {
        report_failure(
            Status(B_MISSING_LIBRARY, "no line editing at the prompt: " + library->reason));
        return nullptr;
    }
    library->Find(&library->stifleHistory, "stifle_history");
    library->Find(&library->catchSignals, "rl_catch_signals");
    library->Find(&library->readlineName, "rl_readline_name");
    // The player's own handlers deal with SIGINT and SIGTERM; libedit would re-raise
    // them to the whole process group.
    if (library->catchSignals != nullptr)
        *library->catchSignals = 0;
    // ~/.editrc settings may name the program.
    if (library->readlineName != nullptr)
        *library->readlineName = "brindle-player";
    if (library->stifleHistory != nullptr)
        library->stifleHistory(kHistoryLength);
    return std::unique_ptr<Prompt>(new Prompt(std::move(library), prompt));
}

Prompt::Prompt(std::unique_ptr<Library> library, const char *prompt)
    : fLibrary(std::move(library)), fPrompt(prompt) {}

Prompt::~Prompt() {
    if (!fEditing)
        return;
    // Ended while a line was being typed (a signal): the terminal's line ends too.
    fLibrary->remove();
    fputs("\n", stdout);
}

void Prompt::Start() {
    if (fEditing)
        return;
    gEntered = Entered();
    fflush(stdout);
    fLibrary->install(fPrompt.c_str(), line_entered);
    fEditing = true;
}

bool Prompt::Read(std::string *line, bool *ended) {
    if (!fEditing)
        Start();
    fLibrary->readChar();
    if (!gEntered.done)
        return false;
    // Back to the terminal's normal mode while the line's command runs.
    fLibrary->remove();
    fEditing = false;
    *ended = gEntered.ended;
    *line = gEntered.line;
    if (!gEntered.ended && line->find_first_not_of(" \t") != std::string::npos)
        fLibrary->addHistory(line->c_str());
    return true;
}
