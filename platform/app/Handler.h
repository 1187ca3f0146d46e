// BHandler: something a looper can hand messages to.
//
// Every handler has a token, unique for the life of the process, by which messengers
// name it; a messenger never holds a bare pointer it would dereference, so a handler
// that is deleted simply stops being a target. A handler belongs to at most one looper
// (BLooper::AddHandler); a looper is a handler of itself.
#ifndef BRINDLE_APP_HANDLER_H
#define BRINDLE_APP_HANDLER_H

#include <atomic>

#include <String.h>
#include <SupportDefs.h>

class BLooper;
class BMessage;

class BHandler {
public:
    explicit BHandler(const char *name = nullptr);
    // Leaves its looper's handler list, if it still is in one, and stops being a target.
    virtual ~BHandler();

    BHandler(const BHandler &) = delete;
    BHandler &operator=(const BHandler &) = delete;

    // Passes the message to the next handler when there is one; otherwise drops it.
    virtual void MessageReceived(BMessage *message);

    // The looper this handler belongs to, null when it belongs to none.
    BLooper *Looper() const { return fLooper.load(std::memory_order_acquire); }

    // Name() points into the handler: valid until the next SetName().
    void SetName(const char *name);
    const char *Name() const;

    // The handler MessageReceived passes unhandled messages to (same looper).
    virtual void SetNextHandler(BHandler *handler);
    BHandler *NextHandler() const { return fNextHandler.load(std::memory_order_acquire); }

    // The token messengers use; never reused within the process.
    int32 Token() const { return fToken; }

private:
    friend class BLooper;

    void _SetLooper(BLooper *looper);

    const int32 fToken;
    BString fName;
    std::atomic<BLooper *> fLooper{nullptr};
    std::atomic<BHandler *> fNextHandler{nullptr};
};

#endif  // BRINDLE_APP_HANDLER_H
