// BStringView: a line of text the user reads and cannot edit (a status line, a caption).
//
// A model like the controls: the text is guarded by a mutex of the view's, so the
// window's thread may change it while a display or the player reads it. Text() points
// into the view and stays valid until the next SetText(); other threads use TextCopy().
// Every change of the text tells the display hook (B_CONTROL_TEXT_CHANGED).
#ifndef BRINDLE_INTERFACE_STRING_VIEW_H
#define BRINDLE_INTERFACE_STRING_VIEW_H

#include <String.h>
#include <View.h>

class BStringView : public BView {
public:
    BStringView(BRect frame, const char *name, const char *text,
                uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP, uint32 flags = B_WILL_DRAW);
    BStringView(const char *name, const char *text, uint32 flags = B_WILL_DRAW);
    virtual ~BStringView();

    // Replaces the text (null counts as ""); setting the same text again tells nobody.
    virtual void SetText(const char *text);
    const char *Text() const;
    BString TextCopy() const;

private:
    mutable brindle::Mutex fTextLock;
    BString fText GUARDED_BY(fTextLock);
};

#endif  // BRINDLE_INTERFACE_STRING_VIEW_H
