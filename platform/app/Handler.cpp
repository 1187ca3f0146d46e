#include <Handler.h>

#include <Looper.h>
#include <Message.h>
#include <HandlerRegistry.h>

BHandler::BHandler(const char *name)
    : fToken(BPrivate::handler_registry::add_handler(this)), fName(name) {}

BHandler::~BHandler() {
    // A looper detaches its handlers itself (and is its own looper); a plain handler
    // still in a list leaves it, which is only safe with that looper locked.
    BLooper *looper = Looper();
    if (looper != nullptr && looper != this)
        looper->RemoveHandler(this);
    BPrivate::handler_registry::remove_handler(fToken);
}

void BHandler::MessageReceived(BMessage *message) {
    BHandler *next = NextHandler();
    if (next != nullptr && next != this)
        next->MessageReceived(message);
}

void BHandler::SetName(const char *name) {
    fName.SetTo(name);
}

const char *BHandler::Name() const {
    return fName.HasNoBuffer() ? nullptr : fName.String();
}

void BHandler::SetNextHandler(BHandler *handler) {
    if (handler == this)
        return;
    fNextHandler.store(handler, std::memory_order_release);
}

void BHandler::_SetLooper(BLooper *looper) {
    fLooper.store(looper, std::memory_order_release);
    BPrivate::handler_registry::set_handler_looper(fToken,
                                                   looper != nullptr ? looper->Token() : -1);
}
