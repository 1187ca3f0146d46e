// BWindow: a looper with a frame, a title and a tree of views. A model: nothing is drawn.
//
// Threads. As on the original platform the window's thread starts at its first Show():
// messages sent before then wait in its queue, so work a constructor does on the
// caller's thread never races the window's own thread.
//
// The window's own state (frame, title, hidden flag, size limits, focus, top-level
// views) is guarded by a mutex of the window's (GUARDED_BY below), NOT by the looper
// lock. So Show(), Hide(), MoveTo(), ResizeTo(), Frame(), Title() and the rest are safe
// from any thread (the player's, a display's) while the window's thread dispatches, and
// they never wait for a message in progress: no deadlock with a window that is itself
// waiting for a lock the caller holds. The looper lock keeps its usual meaning (Quit,
// and exclusion between the window's thread and another thread that takes it).
//
// Moves and resizes take effect at once (Frame() reflects them) and reach the window's
// thread as B_WINDOW_MOVED / B_WINDOW_RESIZED messages, where FrameMoved() and
// FrameResized() are called.
//
// User actions, safe from any thread (the window must be alive; a display finds it
// through for_each_window()): PressCloseBox() posts B_QUIT_REQUESTED, as the close box
// does; MoveTo()/ResizeTo() as a user dragging the window.
//
// The default button is the one a display presses when the user hits Enter in the
// window (as the original platform's window does with B_ENTER); the model only records
// which button that is.
#ifndef BRINDLE_INTERFACE_WINDOW_H
#define BRINDLE_INTERFACE_WINDOW_H

#include <vector>

#include <Looper.h>
#include <Mutex.h>
#include <Rect.h>
#include <String.h>
#include <View.h>

class BButton;

enum window_type {
    B_UNTYPED_WINDOW = 0,
    B_TITLED_WINDOW = 1,
    B_MODAL_WINDOW = 3,
    B_DOCUMENT_WINDOW = 11,
    B_BORDERED_WINDOW = 20,
    B_FLOATING_WINDOW = 21
};

// Window flags (stored).
enum : uint32 {
    B_NOT_MOVABLE = 0x00000001,
    B_NOT_CLOSABLE = 0x00000020,
    B_NOT_ZOOMABLE = 0x00000040,
    B_NOT_MINIMIZABLE = 0x00004000,
    B_NOT_RESIZABLE = 0x00000002,
    B_NOT_H_RESIZABLE = 0x00000004,
    B_NOT_V_RESIZABLE = 0x00000008,
    B_AVOID_FRONT = 0x00000080,
    B_AVOID_FOCUS = 0x00002000,
    B_WILL_ACCEPT_FIRST_CLICK = 0x00000010,
    B_OUTLINE_RESIZE = 0x00001000,
    B_NO_WORKSPACE_ACTIVATION = 0x00000100,
    B_NOT_ANCHORED_ON_ACTIVATE = 0x00020000,
    B_ASYNCHRONOUS_CONTROLS = 0x00080000,
    B_QUIT_ON_WINDOW_CLOSE = 0x00100000
};

#define B_CURRENT_WORKSPACE 0
#define B_ALL_WORKSPACES 0xffffffff

// Sent to the window's looper after a move or resize (fields "where" / "width", "height").
enum : uint32 {
    B_WINDOW_MOVED = '_WMV',
    B_WINDOW_RESIZED = '_WRS',
};

class BWindow : public BLooper {
public:
    // A frame with right < left (or bottom < top) is kept as given: the window has no
    // size yet (the layout library then sizes it to its contents).
    BWindow(BRect frame, const char *title, window_type type, uint32 flags,
            uint32 workspace = B_CURRENT_WORKSPACE);
    // Deletes the view tree.
    virtual ~BWindow();

    BWindow(const BWindow &) = delete;
    BWindow &operator=(const BWindow &) = delete;

    // Leaves the window list, then quits as a looper (with the lock held from another
    // thread: ends the thread, waits, deletes; on its own thread: deletes there).
    virtual void Quit();
    void Close() { Quit(); }
    virtual thread_id Run();

    // The window takes ownership of `child`; see BView::AddChild for what is refused.
    void AddChild(BView *child, BView *before = nullptr);
    bool RemoveChild(BView *child);
    int32 CountChildren() const;
    BView *ChildAt(int32 index) const;
    BView *FindView(const char *name) const;
    BView *CurrentFocus() const;

    // Any thread. `button` must be in this window's tree (else nothing changes); null
    // leaves the window without one. A button leaving the tree stops being the default.
    void SetDefaultButton(BButton *button);
    BButton *DefaultButton() const;

    virtual void DispatchMessage(BMessage *message, BHandler *handler);
    // Drops every message it gets.
    virtual void MessageReceived(BMessage *message);
    virtual void FrameMoved(BPoint newPosition);
    virtual void FrameResized(float newWidth, float newHeight);

    // The first Show() starts the window's thread. Show and Hide do not nest: one
    // Hide() hides the window, one Show() shows it again.
    virtual void Show();
    virtual void Hide();
    bool IsHidden() const;

    void MoveTo(BPoint where);
    void MoveTo(float x, float y);
    void MoveBy(float dx, float dy);
    // Sizes are clamped into the size limits; a size that is not a number counts as 0.
    void ResizeTo(float width, float height);
    void ResizeBy(float dx, float dy);
    BRect Frame() const;
    BRect Bounds() const;

    // Title() points into the window: valid until the next SetTitle(). Other threads
    // should use TitleCopy().
    const char *Title() const;
    BString TitleCopy() const;
    void SetTitle(const char *title);

    // Limits on Frame().Width() and Height(); the current size is clamped into them.
    void SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight);
    void GetSizeLimits(float *minWidth, float *maxWidth, float *minHeight, float *maxHeight) const;

    window_type Type() const { return fType; }
    uint32 Flags() const { return fFlags; }
    uint32 Workspaces() const { return fWorkspaces; }

    // User action: the close box was pressed. Posts B_QUIT_REQUESTED to the window's
    // looper; it reaches QuitRequested() and, if that agrees, the window quits.
    status_t PressCloseBox();

protected:
    // Called after a view was added to or removed from the tree, on the thread that
    // did it, with no lock held. The layout library lays the window out again here.
    virtual void ContentChanged();

private:
    friend class BView;
    friend class BTextControl;

    void _SetFocus(BView *view) EXCLUDES(fStateLock);
    // The focus (`kind` B_VIEW_FOCUS_CHANGED) or the default button (the other kind)
    // becomes `view`, and the display is told, unless it was so.
    void _Replace(int32 kind, BView *view) EXCLUDES(fStateLock);
    // Forgets the focus and the default button when they are in `subtree`.
    void _ForgetViewsIn(BView *subtree) EXCLUDES(fStateLock);
    bool _HasView(const BView *view) const EXCLUDES(fStateLock);
    bool _IsRunning() const EXCLUDES(fStateLock);
    void _ResizeTo(float width, float height) EXCLUDES(fStateLock);
    void _RemoveFromWindowList() EXCLUDES(fStateLock);

    mutable brindle::Mutex fStateLock;
    BString fTitle GUARDED_BY(fStateLock);
    BRect fFrame GUARDED_BY(fStateLock);
    bool fHidden GUARDED_BY(fStateLock) = true;
    bool fRunCalled GUARDED_BY(fStateLock) = false;
    bool fInWindowList GUARDED_BY(fStateLock) = false;
    BView *fFocus GUARDED_BY(fStateLock) = nullptr;
    BView *fDefaultButton GUARDED_BY(fStateLock) = nullptr;  // a BButton
    std::vector<BView *> fTopViews GUARDED_BY(fStateLock);
    float fMinWidth GUARDED_BY(fStateLock) = 0;
    float fMaxWidth GUARDED_BY(fStateLock) = 32768;
    float fMinHeight GUARDED_BY(fStateLock) = 0;
    float fMaxHeight GUARDED_BY(fStateLock) = 32768;
    const window_type fType;
    const uint32 fFlags;
    const uint32 fWorkspaces;
};

#endif  // BRINDLE_INTERFACE_WINDOW_H
