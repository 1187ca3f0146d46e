#include "InterfaceTestSupport.h"

namespace interface_test {

bool wait_until_idle(BLooper *looper) {
    return looper->WaitForIdle() == B_OK;
}

void quit_window(BWindow *window) {
    if (window->Lock())
        window->Quit();
}

}  // namespace interface_test
