#include <Button.h>

BButton::BButton(BRect frame, const char *name, const char *label, BMessage *message,
                 uint32 resizingMode, uint32 flags)
    : BControl(frame, name, label, message, resizingMode, flags) {}

BButton::BButton(const char *name, const char *label, BMessage *message, uint32 flags)
    : BControl(name, label, message, flags) {}

BButton::BButton(const char *label, BMessage *message)
    : BControl(label, label, message, B_WILL_DRAW | B_NAVIGABLE) {}

BButton::~BButton() = default;

status_t BButton::Press() {
    if (!IsEnabled())
        return B_NOT_ALLOWED;
    return Invoke();
}
