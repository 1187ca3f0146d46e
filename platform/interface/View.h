// BView: a node of a window's view tree. A model: nothing is drawn.
//
// Thread safety: a view's own state (frame, children, layout info) is guarded by a
// small mutex of its own, so any thread may read it while the window's thread changes
// it. No lock is held while hooks (AttachedToWindow, the display hook) run. Pointers
// returned (ChildAt, Parent, Window) stay valid while the view tree keeps the view:
// a window deletes its views only when it is destroyed.
//
// Views are not handlers of their window's looper here: controls send their messages
// to the window (or to a target of their own), never to a view.
//
// Geometry uses the platform's inclusive edges: a frame of Width() w covers w + 1
// pixels, and a child's frame is in its parent's coordinates.
#ifndef BRINDLE_INTERFACE_VIEW_H
#define BRINDLE_INTERFACE_VIEW_H

#include <atomic>
#include <vector>

#include <DisplayHook.h>
#include <Handler.h>
#include <InterfaceDefs.h>
#include <Mutex.h>
#include <Rect.h>
#include <String.h>

class BWindow;

// Size limits and arrangement the layout library computed for a view, in pixels,
// kept for a display front end that mirrors the tree with layouts of its own.
struct view_layout_info {
    float minWidth = 0;
    float minHeight = 0;
    float maxWidth = 1e6f;
    float maxHeight = 1e6f;
    float weight = 1.0f;
    view_arrangement arrangement = B_NO_ARRANGEMENT;
};

class BView : public BHandler {
public:
    BView(BRect frame, const char *name, uint32 resizingMode, uint32 flags);
    explicit BView(const char *name, uint32 flags = 0);
    // Deletes the children. A view still in a tree is taken out of it first.
    virtual ~BView();

    BView(const BView &) = delete;
    BView &operator=(const BView &) = delete;

    // The tree. The view takes ownership of `child`. A child that already has a
    // parent or window, null, this view or one of its ancestors is refused.
    void AddChild(BView *child, BView *before = nullptr);
    // Takes `child` out of the tree; the caller owns it again. False if not a child.
    bool RemoveChild(BView *child);
    bool RemoveSelf();
    int32 CountChildren() const;
    BView *ChildAt(int32 index) const;
    BView *Parent() const { return fParent.load(std::memory_order_acquire); }
    BWindow *Window() const { return fWindow.load(std::memory_order_acquire); }
    // This view or the first descendant (depth first) with that name.
    BView *FindView(const char *name) const;

    // Called on the thread that attached or detached the view (top-down).
    virtual void AttachedToWindow();
    virtual void DetachedFromWindow();

    // Keyboard focus; a view outside any window cannot take it.
    virtual void MakeFocus(bool focus = true);
    bool IsFocus() const;

    BRect Frame() const;
    BRect Bounds() const;
    void MoveTo(BPoint where);
    void MoveTo(float x, float y);
    void ResizeTo(float width, float height);
    // Moves and resizes at once (one change notification); used by layouts.
    void SetFrame(BRect frame);

    uint32 ResizingMode() const { return fResizingMode; }
    uint32 Flags() const { return fFlags; }

    void SetLayoutInfo(const view_layout_info &info);
    view_layout_info LayoutInfo() const;

    // The text shown when the pointer rests on the view (null or "": none). A display also
    // gives it to screen readers as the view's description. Every change tells the display
    // hook (B_VIEW_TOOL_TIP_CHANGED).
    void SetToolTip(const char *text);
    // This platform's reader of it, for a display (the original hands out a BToolTip).
    BString ToolTipText() const;

protected:
    // Tells the display hook about a change of this view (window and view filled in).
    void NotifyDisplay(display_change &change) const;
    void NotifyDisplay(display_change_kind kind) const;

    // How every model setter changes its state: it takes `lock` and calls this, so the
    // thread-safety analysis checks at the call that `field` is written under its own lock.
    // Here `field` takes `value`, the lock is let go (even when the copy throws), and then,
    // unless the field held the value already and not `always`, the display hears `kind`.
    template <typename Field, typename Value>
    void SetAndNotify(brindle::Mutex &lock, Field &field, const Value &value,
                      display_change_kind kind, bool always = false) RELEASE(lock) {
        bool changes = false;
        try {
            changes = always || !(field == value);
            if (changes)
                field = value;
        } catch (...) {
            lock.Unlock();
            throw;
        }
        lock.Unlock();
        if (changes)
            NotifyDisplay(kind);
    }

private:
    friend class BWindow;

    // Tells the display that `child` joined or left `parent` (null: the window's top level)
    // in `window` (may be null), then lets the window lay itself out again.
    static void _TreeChanged(display_change_kind kind, BWindow *window, BView *child,
                             BView *parent);
    std::vector<BView *> _ChildrenCopy() const;
    bool _IsAncestorOrSelf(const BView *view) const;
    // Sets the window of this subtree and runs the hooks.
    void _Attach(BWindow *window);
    void _Detach();
    // Detaches from the parent without notifying it (the parent is being destroyed).
    void _ClearParent() { fParent.store(nullptr, std::memory_order_release); }

    mutable brindle::Mutex fLock;
    BRect fFrame GUARDED_BY(fLock);
    std::vector<BView *> fChildren GUARDED_BY(fLock);
    view_layout_info fLayoutInfo GUARDED_BY(fLock);
    BString fToolTip GUARDED_BY(fLock);
    std::atomic<BView *> fParent{nullptr};
    std::atomic<BWindow *> fWindow{nullptr};
    std::atomic<bool> fTopLevel{false};  // a child of the window itself
    const uint32 fResizingMode;
    const uint32 fFlags;
};

#endif  // BRINDLE_INTERFACE_VIEW_H
