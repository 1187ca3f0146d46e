#include <TextControl.h>

#include <Window.h>
#include <TypeTextMessage.h>

BTextControl::BTextControl(BRect frame, const char *name, const char *label, const char *text,
                           BMessage *message, uint32 resizingMode, uint32 flags)
    : BControl(frame, name, label, message, resizingMode, flags),
      fText(text != nullptr ? text : "") {}

BTextControl::BTextControl(const char *name, const char *label, const char *text, BMessage *message,
                           uint32 flags)
    : BControl(name, label, message, flags), fText(text != nullptr ? text : "") {}

BTextControl::~BTextControl() = default;

void BTextControl::SetText(const char *text) {
    fTextLock.Lock();
    SetAndNotify(fTextLock, fText, text != nullptr ? text : "", B_CONTROL_TEXT_CHANGED, true);
}

const char *BTextControl::Text() const {
    brindle::MutexLock lock(fTextLock);
    return fText.String();
}

BString BTextControl::TextCopy() const {
    brindle::MutexLock lock(fTextLock);
    return fText;
}

int32 BTextControl::TextLength() const {
    brindle::MutexLock lock(fTextLock);
    return fText.Length();
}

void BTextControl::SetDivider(float position) {
    fTextLock.Lock();
    SetAndNotify(fTextLock, fDivider, position, B_CONTROL_DIVIDER_CHANGED);
}

float BTextControl::Divider() const {
    brindle::MutexLock lock(fTextLock);
    return fDivider;
}

status_t BTextControl::TypeText(const char *text) {
    if (text == nullptr)
        text = "";
    BWindow *window = Window();
    // The caller holding the window's lock (its own thread while dispatching, or a
    // thread that locked it) excludes the window's thread: change the text here.
    if (window == nullptr || !window->_IsRunning() || window->IsLocked()) {
        SetText(text);
        return B_OK;
    }
    BMessage typed(BPrivate::kTypeTextMessage);
    typed.AddPointer(BPrivate::kTypeTextView, this);
    typed.AddString(BPrivate::kTypeTextText, text);
    return window->PostMessage(&typed);
}
