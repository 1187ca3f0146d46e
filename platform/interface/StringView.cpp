#include <StringView.h>

BStringView::BStringView(BRect frame, const char *name, const char *text, uint32 resizingMode,
                         uint32 flags)
    : BView(frame, name, resizingMode, flags), fText(text != nullptr ? text : "") {}

BStringView::BStringView(const char *name, const char *text, uint32 flags)
    : BView(name, flags), fText(text != nullptr ? text : "") {}

BStringView::~BStringView() = default;

void BStringView::SetText(const char *text) {
    fTextLock.Lock();
    SetAndNotify(fTextLock, fText, text != nullptr ? text : "", B_CONTROL_TEXT_CHANGED);
}

const char *BStringView::Text() const {
    brindle::MutexLock lock(fTextLock);
    return fText.String();
}

BString BStringView::TextCopy() const {
    brindle::MutexLock lock(fTextLock);
    return fText;
}
