// The player's command language on any text: each line of the input is one command to a
// player with no add-ons loaded. A command succeeds, fails with a reason, or quits; it
// never crashes, hangs or fails without saying why.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "CommandInterpreter.h"
#include "Player.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // Answers ("= ...") go to standard output; a run of millions of inputs needs none.
    return std::freopen("/dev/null", "w", stdout) == nullptr ? 1 : 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string input(reinterpret_cast<const char *>(data), size);
    Player player;
    CommandInterpreter interpreter(player);
    size_t start = 0;
    while (start <= input.size()) {
        size_t end = input.find('\n', start);
        if (end == std::string::npos)
            end = input.size();
        const Status status = interpreter.Execute(input.substr(start, end - start));
        if (!status.IsOK() && status.Text().empty())
            std::abort();
        if (interpreter.Quitting())
            break;
        player.Settle();
        start = end + 1;
    }
    player.Shutdown();
    return 0;
}
