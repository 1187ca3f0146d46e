// A small application for the roster tests: registers under $BRINDLE_TEST_SIGNATURE and
// reports to the file $BRINDLE_TEST_OUTPUT, one line per event:
//   "registration STATUS"                      (BRINDLE_TEST_MODE=register-only: then exits)
//   "started PID SESSION STDIN"                when it runs
//   "received TEXT"                            for each 'echo' message ("text" field)
//   "bye"                                      when its loop has ended
// An 'echo' message with the bool "quit" set ends it.
#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include <AppDefs.h>
#include <Application.h>

namespace {

void report(const std::string &line) {
    const char *path = getenv("BRINDLE_TEST_OUTPUT");
    if (path == nullptr)
        return;
    int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    std::string text = line + "\n";
    (void)!write(fd, text.data(), text.size());
    close(fd);
}

class TestApp : public BApplication {
public:
    explicit TestApp(const char *signature) : BApplication(signature) {}

    void MessageReceived(BMessage *message) override {
        if (message->what != 'echo')
            return;
        report(std::string("received ") + message->GetString("text", "(none)"));
        if (message->GetBool("quit", false))
            PostMessage(B_QUIT_REQUESTED);
    }
};

}  // namespace

int main() {
    // Never outlive a test run that went wrong.
    alarm(60);
    const char *signature = getenv("BRINDLE_TEST_SIGNATURE");
    const char *mode = getenv("BRINDLE_TEST_MODE");
    if (signature == nullptr)
        return 2;
    TestApp app(signature);
    if (mode != nullptr && strcmp(mode, "register-only") == 0) {
        report("registration " + std::to_string(app.RegistrationStatus()));
        return 0;
    }
    char input[PATH_MAX] = "";
    ssize_t length = readlink("/proc/self/fd/0", input, sizeof(input) - 1);
    if (length > 0)
        input[length] = '\0';
    report("started " + std::to_string(getpid()) + " " + std::to_string(getsid(0)) + " " + input);
    app.Run();
    report("bye");
    return 0;
}
