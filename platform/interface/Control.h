// BControl: a view with a label, a value, an enabled state and a message it sends.
//
// State is guarded by a mutex of the control's (see View.h for the thread rules).
// Label() points into the control: valid until the next SetLabel(); other threads
// should use LabelCopy(). A control without a target sends to its window.
#ifndef BRINDLE_INTERFACE_CONTROL_H
#define BRINDLE_INTERFACE_CONTROL_H

#include <Invoker.h>
#include <String.h>
#include <View.h>

enum { B_CONTROL_OFF = 0, B_CONTROL_ON = 1 };

class BControl : public BView, public BInvoker {
public:
    // Takes ownership of `message` (may be null).
    BControl(BRect frame, const char *name, const char *label, BMessage *message,
             uint32 resizingMode, uint32 flags);
    BControl(const char *name, const char *label, BMessage *message, uint32 flags);
    virtual ~BControl();

    // Aims the control at its window unless it has a live target already.
    virtual void AttachedToWindow();

    virtual void SetLabel(const char *label);
    const char *Label() const;
    BString LabelCopy() const;

    virtual void SetValue(int32 value);
    int32 Value() const;

    virtual void SetEnabled(bool enabled);
    bool IsEnabled() const;

    // Sends the message with the fields "when" (int64, microseconds of the monotonic
    // clock) and "source" (pointer to this control).
    virtual status_t Invoke(BMessage *message = nullptr);

private:
    mutable brindle::Mutex fControlLock;
    BString fLabel GUARDED_BY(fControlLock);
    int32 fValue GUARDED_BY(fControlLock) = B_CONTROL_OFF;
    bool fEnabled GUARDED_BY(fControlLock) = true;
};

#endif  // BRINDLE_INTERFACE_CONTROL_H
