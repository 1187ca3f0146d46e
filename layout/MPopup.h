// MPopup: a labelled pop-up menu for layouts (a BMenuField whose menu is in radio mode).
//
// The view's name is its label. Its divider follows the label's width until it is set
// explicitly (DivideSame does so). It is as wide as its label and widest item need.
//
// Messages: the items made by the constructor each get a copy of `message`. Choosing an
// item sends the item's message to `target`, or, without one, to the window. Items
// added later with Menu()->AddItem(new BMenuItem(label, message)) are aimed the same way.
#ifndef BRINDLE_LAYOUT_M_POPUP_H
#define BRINDLE_LAYOUT_M_POPUP_H

#include <atomic>
#include <initializer_list>

#include <MView.h>
#include <MenuField.h>

class BHandler;
class BMenuItem;
class BMessage;

class MPopup : public MView, public MDividable, public BMenuField {
public:
    // Takes ownership of `message` (may be null; then choosing an item only marks it).
    // `target` must be a handler attached to a looper (a window is one).
    MPopup(const char *label, std::initializer_list<const char *> items = {},
           BMessage *message = nullptr, BHandler *target = nullptr);
    virtual ~MPopup();

    // Marks item `index`, unmarking the others. With `notify`, the item's message (if
    // it has one) is sent as when a user chooses it; without, nothing is sent. An index
    // out of range changes nothing.
    void SetActive(int32 index, bool notify);
    // The marked item, or null when none is.
    BMenuItem *MenuItem() const;

    minimax layoutprefs() override;
    BRect layout(BRect rect) override;

    float LabelWidth() const override;
    void SetDivider(float position) override;
    float Divider() const override { return BMenuField::Divider(); }

private:
    std::atomic<bool> fDividerSet{false};
};

#endif  // BRINDLE_LAYOUT_M_POPUP_H
