// BButton: a labelled control that sends its message when pressed.
#ifndef BRINDLE_INTERFACE_BUTTON_H
#define BRINDLE_INTERFACE_BUTTON_H

#include <Control.h>

class BButton : public BControl {
public:
    // Each takes ownership of `message` (may be null).
    BButton(BRect frame, const char *name, const char *label, BMessage *message,
            uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
            uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    BButton(const char *name, const char *label, BMessage *message,
            uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    explicit BButton(const char *label, BMessage *message = nullptr);
    virtual ~BButton();

    // User action, safe from any thread: presses the button, which sends a copy of its
    // message to its target (its window by default). A disabled button sends nothing
    // and returns B_NOT_ALLOWED.
    status_t Press();
};

#endif  // BRINDLE_INTERFACE_BUTTON_H
