// BTextControl: a labelled, editable line of text.
//
// Divider() is the x coordinate, in the control's bounds, where the label ends and the
// text field begins.
//
// Text() points into the control and stays valid until the next change of the text.
// The text changes on the window's thread (or on the thread that builds the window
// before it runs): a display or the player types through TypeText(), which hands the
// change to the window's thread. So the window's thread may keep Text() until it
// changes the text itself; any other thread must use TextCopy().
#ifndef BRINDLE_INTERFACE_TEXT_CONTROL_H
#define BRINDLE_INTERFACE_TEXT_CONTROL_H

#include <Control.h>
#include <String.h>

class BTextControl : public BControl {
public:
    BTextControl(BRect frame, const char *name, const char *label, const char *text,
                 BMessage *message, uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
                 uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    BTextControl(const char *name, const char *label, const char *text, BMessage *message,
                 uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    virtual ~BTextControl();

    // Replaces the text (null counts as ""). Thread safe, but see the note above on
    // the lifetime of Text().
    virtual void SetText(const char *text);
    const char *Text() const;
    BString TextCopy() const;
    int32 TextLength() const;

    virtual void SetDivider(float position);
    float Divider() const;

    // User action, safe from any thread: types `text` over the field's contents, as a
    // user would. While the window's thread runs, the change is handed to that thread
    // (a message to the window, dispatched in order with the others) and this returns
    // at once; otherwise (not in a window, window not running yet) it is made here.
    // Returns the status of handing it over.
    status_t TypeText(const char *text);

private:
    mutable brindle::Mutex fTextLock;
    BString fText GUARDED_BY(fTextLock);
    float fDivider GUARDED_BY(fTextLock) = 0;
};

#endif  // BRINDLE_INTERFACE_TEXT_CONTROL_H
