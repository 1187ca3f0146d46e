// BMenuField: a labelled view that shows a menu (a pop-up, typically in radio mode).
//
// Divider() is the x coordinate, in the field's bounds, where the label ends and the
// menu begins. Label() points into the field until the next SetLabel(); other threads
// should use LabelCopy().
#ifndef BRINDLE_INTERFACE_MENU_FIELD_H
#define BRINDLE_INTERFACE_MENU_FIELD_H

#include <Menu.h>
#include <String.h>
#include <View.h>

class BMenuField : public BView {
public:
    // The field takes ownership of `menu`; a null menu gets an empty pop-up menu.
    BMenuField(BRect frame, const char *name, const char *label, BMenu *menu,
               uint32 resizingMode = B_FOLLOW_LEFT | B_FOLLOW_TOP,
               uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    BMenuField(const char *name, const char *label, BMenu *menu,
               uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
    virtual ~BMenuField();

    // Aims the menu's items without a target at the window.
    virtual void AttachedToWindow();

    BMenu *Menu() const { return fMenu; }

    virtual void SetLabel(const char *label);
    const char *Label() const;
    BString LabelCopy() const;

    virtual void SetDivider(float position);
    float Divider() const;

    virtual void SetEnabled(bool enabled);
    bool IsEnabled() const;

private:
    BMenu *const fMenu;
    mutable brindle::Mutex fFieldLock;
    BString fLabel GUARDED_BY(fFieldLock);
    float fDivider GUARDED_BY(fFieldLock) = 0;
    bool fEnabled GUARDED_BY(fFieldLock) = true;
};

#endif  // BRINDLE_INTERFACE_MENU_FIELD_H
