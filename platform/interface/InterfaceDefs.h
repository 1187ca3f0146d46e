// Constants shared by the interface kit's classes.
#ifndef BRINDLE_INTERFACE_INTERFACE_DEFS_H
#define BRINDLE_INTERFACE_INTERFACE_DEFS_H

#include <SupportDefs.h>

enum orientation { B_HORIZONTAL, B_VERTICAL };

// Resizing modes of a view (stored; the layout library places views itself).
#define _rule_(r1, r2, r3, r4) (((r1) << 12) | ((r2) << 8) | ((r3) << 4) | (r4))
enum { _VIEW_TOP_ = 1, _VIEW_LEFT_ = 2, _VIEW_BOTTOM_ = 3, _VIEW_RIGHT_ = 4, _VIEW_CENTER_ = 5 };
enum : uint32 {
    B_FOLLOW_NONE = 0,
    B_FOLLOW_LEFT = _rule_(0, _VIEW_LEFT_, 0, _VIEW_LEFT_),
    B_FOLLOW_RIGHT = _rule_(0, _VIEW_RIGHT_, 0, _VIEW_RIGHT_),
    B_FOLLOW_LEFT_RIGHT = _rule_(0, _VIEW_LEFT_, 0, _VIEW_RIGHT_),
    B_FOLLOW_TOP = _rule_(_VIEW_TOP_, 0, _VIEW_TOP_, 0),
    B_FOLLOW_BOTTOM = _rule_(_VIEW_BOTTOM_, 0, _VIEW_BOTTOM_, 0),
    B_FOLLOW_TOP_BOTTOM = _rule_(_VIEW_TOP_, 0, _VIEW_BOTTOM_, 0),
    B_FOLLOW_ALL_SIDES = B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP_BOTTOM,
    B_FOLLOW_ALL = B_FOLLOW_ALL_SIDES
};

// View flags (stored; nothing is drawn).
enum : uint32 {
    B_FULL_UPDATE_ON_RESIZE = 0x80000000U,
    B_WILL_DRAW = 0x20000000U,
    B_PULSE_NEEDED = 0x10000000U,
    B_NAVIGABLE_JUMP = 0x08000000U,
    B_FRAME_EVENTS = 0x04000000U,
    B_NAVIGABLE = 0x02000000U
};

// How a view arranges its children, recorded for a display front end that mirrors
// the view tree with its own layouts (see BView::SetLayoutInfo).
enum view_arrangement { B_NO_ARRANGEMENT = 0, B_ARRANGE_IN_ROW, B_ARRANGE_IN_COLUMN };

#endif  // BRINDLE_INTERFACE_INTERFACE_DEFS_H
