// Line editing and history at the player's prompt, with libedit (its readline
// interface, fed one keystroke at a time so the input loop keeps polling its other
// sources). libedit is loaded only when standard input is a terminal: scripts and pipes
// start without it.
#ifndef BRINDLE_PLAYER_PROMPT_H
#define BRINDLE_PLAYER_PROMPT_H

#include <memory>
#include <string>

class Prompt {
public:
    // Loads libedit; null when standard input and output are not both a terminal, or
    // when it cannot be loaded (the reason is on standard error); the plain prompt takes
    // its place then. One at a time.
    static std::unique_ptr<Prompt> Open(const char *prompt);
    // Gives the terminal back as it was.
    ~Prompt();
    Prompt(const Prompt &) = delete;
    Prompt &operator=(const Prompt &) = delete;

    // Shows the prompt and puts the terminal into editing mode.
    void Start();
    // Takes what standard input has now (call when it is readable). True when a line
    // was entered (in `line`, then added to the history) or input ended (`ended`); the
    // terminal is back in its normal mode then, until the next Start().
    bool Read(std::string *line, bool *ended);

private:
    struct Library;
    explicit Prompt(std::unique_ptr<Library> library, const char *prompt);

    std::unique_ptr<Library> fLibrary;
    std::string fPrompt;
    bool fEditing = false;
};

#endif  // BRINDLE_PLAYER_PROMPT_H
