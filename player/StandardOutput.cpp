#include "StandardOutput.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <Looper.h>
#include <Mutex.h>
#include <SystemIo.h>

namespace {

// Beyond this the collection is written out at once, as a full buffer is.
const size_t kMostKept = 64 * 1024;

brindle::Mutex sLock;
std::string sCollected GUARDED_BY(sLock);  // whole lines not yet written
bool sDirect GUARDED_BY(sLock) = false;    // after the exit flush: straight through

// Writes every byte, waiting while a non-blocking descriptor is full. Bytes nobody can take
// any more (the reader went away) are dropped, as the C library drops them.
void write_out(const char *data, size_t size) {
    brindle::write_all(STDOUT_FILENO, data, size);
}

void write_collected() REQUIRES(sLock) {
    if (sCollected.empty())
        return;
    const int saved = errno;
    write_out(sCollected.data(), sCollected.size());
    errno = saved;
    sCollected.clear();
}

// The C library hands the standard output stream's text here, a line at a time.
ssize_t collect(void *, const char *data, size_t size) {
    brindle::MutexLock lock(sLock);
    if (sDirect) {
        write_out(data, size);
        return static_cast<ssize_t>(size);
    }
    sCollected.append(data, size);
    if (sCollected.size() >= kMostKept)
        write_collected();
    return static_cast<ssize_t>(size);
}

// And the standard error stream's text here: the output collected before it goes first.
ssize_t write_error(void *, const char *data, size_t size) {
    {
        brindle::MutexLock lock(sLock);
        write_collected();
    }
    const int saved = errno;
    brindle::write_all(STDERR_FILENO, data, size);
    errno = saved;
    return static_cast<ssize_t>(size);
}

void flush_at_exit() {
    // What is still in the stream (a last line without its newline) joins the rest; from
    // here on, whatever late destructors print goes straight out.
    fflush(stdout);
    brindle::MutexLock lock(sLock);
    write_collected();
    sDirect = true;
}

}  // namespace

void setup_standard_output() {
    if (isatty(STDOUT_FILENO)) {
        setvbuf(stdout, nullptr, _IOLBF, 0);
        return;
    }
    cookie_io_functions_t outFunctions = {};
    outFunctions.write = collect;
    FILE *out = fopencookie(nullptr, "w", outFunctions);
    cookie_io_functions_t errorFunctions = {};
    errorFunctions.write = write_error;
    FILE *error = fopencookie(nullptr, "w", errorFunctions);
    if (out == nullptr || error == nullptr) {
        // Without them, line buffering keeps every line whole and in order.
        if (out != nullptr)
            fclose(out);
        if (error != nullptr)
            fclose(error);
        setvbuf(stdout, nullptr, _IOLBF, 0);
        return;
    }
    // Line buffered in front of the collection: only whole lines reach it.
    setvbuf(out, nullptr, _IOLBF, BUFSIZ);
    setvbuf(error, nullptr, _IONBF, 0);
    fflush(stdout);
    stdout = out;
    stderr = error;
    atexit(flush_at_exit);
    // A window that has handled all it was sent has nothing left to do either (its lines
    // may come from the display's events, with no command around them).
    BLooper::SetIdleHook(flush_standard_output);
}

void flush_standard_output() {
    brindle::MutexLock lock(sLock);
    write_collected();
}
