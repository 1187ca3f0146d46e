// MTextControl: a labelled text field for layouts; as wide as it is given, one line high.
//
// The view's name is its label. Its divider follows the label's width until it is set
// explicitly (DivideSame does so).
#ifndef BRINDLE_LAYOUT_M_TEXT_CONTROL_H
#define BRINDLE_LAYOUT_M_TEXT_CONTROL_H

#include <atomic>

#include <MView.h>
#include <TextControl.h>

class MTextControl : public MView, public MDividable, public BTextControl {
public:
    MTextControl(const char *label, const char *text = "");
    // Takes ownership of `message` (may be null), sent when the control is invoked.
    MTextControl(const char *label, const char *text, BMessage *message,
                 minimax limits = minimax(-1, -1, kLayoutInfinity, -1, 1.0));
    virtual ~MTextControl();

    minimax layoutprefs() override;
    BRect layout(BRect rect) override;

    float LabelWidth() const override;
    void SetDivider(float position) override;
    float Divider() const override { return BTextControl::Divider(); }

private:
    std::atomic<bool> fDividerSet{false};
};

#endif  // BRINDLE_LAYOUT_M_TEXT_CONTROL_H
