// MWindow: a window whose size follows from its layout contents.
//
// The window's child views that are layout objects (MView) are stacked top to bottom
// and fill the window. Whenever a child is added, the window is shown or RecalcSize()
// is called, the window computes its contents' limits and makes them its size limits
// (a window can be neither smaller than its contents need nor larger than they can
// grow). A window whose frame has no size yet (right < left, e.g. the frame
// BRect(200, 200, 0, 0)) is sized to its contents' minimum at its left/top corner; a
// sized window keeps its size, clamped into the limits. The contents are laid out
// again after every resize.
//
// When it is shown, a window whose contents hold exactly one button and that has no
// default button yet makes that button its default: a form's one button (Save, OK) is
// what Enter presses.
//
// Layout passes of one window never overlap: they run under the window's layout lock,
// on the thread that adds a child or shows the window, or on the window's thread after
// a resize.
#ifndef BRINDLE_LAYOUT_M_WINDOW_H
#define BRINDLE_LAYOUT_M_WINDOW_H

#include <vector>

#include <Mutex.h>
#include <Window.h>
#include <minimax.h>

class MView;

class MWindow : public BWindow {
public:
    MWindow(BRect frame, const char *title, window_type type, uint32 flags,
            uint32 workspace = B_CURRENT_WORKSPACE);
    virtual ~MWindow();

    // Recomputes the limits from the contents, resizes as needed and lays out.
    void RecalcSize() EXCLUDES(fLayoutLock);

    void Show() override;
    void FrameResized(float width, float height) override EXCLUDES(fLayoutLock);

protected:
    void ContentChanged() override;

private:
    std::vector<MView *> _Contents() const;
    void _DefaultToTheOnlyButton();
    void _LayoutContents() EXCLUDES(fLayoutLock);
    // Lays the contents out in the window's bounds.
    void _LayOut() REQUIRES(fLayoutLock);

    // Serializes the layout passes (it guards no field of its own: what a pass changes
    // are the views' frames, each under its view's lock).
    brindle::Mutex fLayoutLock;
};

#endif  // BRINDLE_LAYOUT_M_WINDOW_H
