// MButton: a push button for layouts.
//
// The view's name is its label. MButton(label, id) sends a BMessage(M_BUTTON_SELECTED)
// with the int32 field "id" to its window when pressed. A negative minimum in its
// limits (the default) means the size its label needs. A button has no use for more
// room than its label needs: it keeps that size whatever maximum it is given, and the
// room around it goes to its neighbours.
#ifndef BRINDLE_LAYOUT_M_BUTTON_H
#define BRINDLE_LAYOUT_M_BUTTON_H

#include <Button.h>
#include <MView.h>

enum : uint32 { M_BUTTON_SELECTED = '!but' };

class MButton : public MView, public BButton {
public:
    MButton(const char *label, uint32 id,
            minimax limits = minimax(-1, -1, kLayoutInfinity, kLayoutInfinity, 1));
    // Takes ownership of `message` (may be null). Without a target it goes to the window.
    MButton(const char *label, BMessage *message, BHandler *target = nullptr,
            minimax limits = minimax(-1, -1, kLayoutInfinity, kLayoutInfinity, 1));
    virtual ~MButton();

    minimax layoutprefs() override;
    BRect layout(BRect rect) override;
};

#endif  // BRINDLE_LAYOUT_M_BUTTON_H
