// MView: the mixin every layout object derives from, beside its BView.
//
// A layout pass runs in two steps, always on one thread at a time for a given window
// (MWindow holds its layout lock): layoutprefs() computes each object's size limits
// bottom-up and records them in ct_mpm; layout() then gives each object its frame
// top-down. Both may run on the window's thread or on the thread that builds or shows
// the window; they must not wait for other threads.
#ifndef BRINDLE_LAYOUT_M_VIEW_H
#define BRINDLE_LAYOUT_M_VIEW_H

#include <InterfaceDefs.h>
#include <Rect.h>
#include <minimax.h>

class BView;

class MView {
public:
    // `limits`: what the object asks for; see minimax.h.
    explicit MView(minimax limits = minimax());
    virtual ~MView();

    // Computes the object's limits from its content and its asked limits, stores them
    // in ct_mpm and returns them.
    virtual minimax layoutprefs() = 0;
    // Places the object in `rect` (its parent's coordinates) and its children inside it.
    virtual BRect layout(BRect rect) = 0;

    // The limits computed by the last layoutprefs().
    minimax ct_mpm;

    // The BView this object is, or null.
    BView *View();

protected:
    // Combines content limits with the asked ones, stores the result in ct_mpm and in
    // the view's layout info (for a display), and returns it.
    minimax SettleLimits(minimax content, view_arrangement arrangement = B_NO_ARRANGEMENT);

private:
    minimax fAsked;
};

// Gives a labelled control's label area a width (the divider).
class MDividable {
public:
    virtual ~MDividable() = default;
    // The divider the label needs on its own.
    virtual float LabelWidth() const = 0;
    virtual void SetDivider(float position) = 0;
    virtual float Divider() const = 0;
};

#endif  // BRINDLE_LAYOUT_M_VIEW_H
