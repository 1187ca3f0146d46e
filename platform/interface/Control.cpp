#include <Control.h>

#include <Window.h>

BControl::BControl(BRect frame, const char *name, const char *label, BMessage *message,
                   uint32 resizingMode, uint32 flags)
    : BView(frame, name, resizingMode, flags),
      BInvoker(message, nullptr),
      fLabel(label != nullptr ? label : "") {}

BControl::BControl(const char *name, const char *label, BMessage *message, uint32 flags)
    : BView(name, flags), BInvoker(message, nullptr), fLabel(label != nullptr ? label : "") {}

BControl::~BControl() = default;

void BControl::AttachedToWindow() {
    if (!HasValidTarget())
        SetTarget(Window());
}

void BControl::SetLabel(const char *label) {
    fControlLock.Lock();
    SetAndNotify(fControlLock, fLabel, label != nullptr ? label : "", B_CONTROL_LABEL_CHANGED,
                 true);
}

const char *BControl::Label() const {
    brindle::MutexLock lock(fControlLock);
    return fLabel.String();
}

BString BControl::LabelCopy() const {
    brindle::MutexLock lock(fControlLock);
    return fLabel;
}

void BControl::SetValue(int32 value) {
    fControlLock.Lock();
    SetAndNotify(fControlLock, fValue, value, B_CONTROL_VALUE_CHANGED);
}

int32 BControl::Value() const {
    brindle::MutexLock lock(fControlLock);
    return fValue;
}

void BControl::SetEnabled(bool enabled) {
    fControlLock.Lock();
    SetAndNotify(fControlLock, fEnabled, enabled, B_CONTROL_ENABLED_CHANGED);
}

bool BControl::IsEnabled() const {
    brindle::MutexLock lock(fControlLock);
    return fEnabled;
}

status_t BControl::Invoke(BMessage *message) {
    BMessage copy;
    BMessenger target;
    status_t status = CopyInvocation(message, &copy, &target);
    if (status != B_OK)
        return status;
    copy.AddInt64("when", InvocationTime());
    copy.AddPointer("source", this);
    return target.SendMessage(&copy);
}
