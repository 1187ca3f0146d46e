#include <Window.h>

#include <algorithm>
#include <cmath>

#include <AppDefs.h>
#include <Button.h>
#include <DisplayHook.h>
#include <TextControl.h>
#include <WindowList.h>
#include <TypeTextMessage.h>

using brindle::MutexLock;

namespace {

float finite_or_zero(float value) {
    return std::isfinite(value) ? value : 0.0f;
}

}  // namespace

BWindow::BWindow(BRect frame, const char *title, window_type type, uint32 flags, uint32 workspace)
    : BLooper(title),
      fTitle(title),
      fFrame(frame),
      fType(type),
      fFlags(flags),
      fWorkspaces(workspace) {
    {
        MutexLock lock(fStateLock);
        fInWindowList = true;
    }
    BPrivate::add_window(this);
    display_change change{B_WINDOW_CREATED};
    change.window = this;
    notify_display(change);
}

BWindow::~BWindow() {
    _RemoveFromWindowList();

    std::vector<BView *> views;
    {
        MutexLock lock(fStateLock);
        views = fTopViews;
    }
    for (BView *view : views) {
        RemoveChild(view);
        delete view;
    }

    display_change change{B_WINDOW_DESTROYED};
    change.window = this;
    notify_display(change);
}

void BWindow::Quit() {
    // Leave the list before anything is torn down, so a display walking the list never
    // meets a window that is being destroyed.
    _RemoveFromWindowList();
    BLooper::Quit();
}

thread_id BWindow::Run() {
    {
        MutexLock lock(fStateLock);
        fRunCalled = true;
    }
    return BLooper::Run();
}

void BWindow::AddChild(BView *child, BView *before) {
    if (child == nullptr || child->Parent() != nullptr || child->Window() != nullptr)
        return;
    {
        MutexLock lock(fStateLock);
        if (std::find(fTopViews.begin(), fTopViews.end(), child) != fTopViews.end())
            return;
        auto at = std::find(fTopViews.begin(), fTopViews.end(), before);
        fTopViews.insert(before != nullptr ? at : fTopViews.end(), child);
    }
    child->fTopLevel.store(true, std::memory_order_release);
    child->_Attach(this);

    BView::_TreeChanged(B_VIEW_ADDED, this, child, nullptr);
}

bool BWindow::RemoveChild(BView *child) {
    if (child == nullptr)
        return false;
    {
        MutexLock lock(fStateLock);
        auto at = std::find(fTopViews.begin(), fTopViews.end(), child);
        if (at == fTopViews.end())
            return false;
        fTopViews.erase(at);
    }
    _ForgetViewsIn(child);
    child->_Detach();

    BView::_TreeChanged(B_VIEW_REMOVED, this, child, nullptr);
    return true;
}

int32 BWindow::CountChildren() const {
    MutexLock lock(fStateLock);
    return static_cast<int32>(fTopViews.size());
}

BView *BWindow::ChildAt(int32 index) const {
    MutexLock lock(fStateLock);
    if (index < 0 || static_cast<size_t>(index) >= fTopViews.size())
        return nullptr;
    return fTopViews[index];
}

BView *BWindow::FindView(const char *name) const {
    std::vector<BView *> views;
    {
        MutexLock lock(fStateLock);
        views = fTopViews;
    }
    for (BView *view : views) {
        BView *found = view->FindView(name);
        if (found != nullptr)
            return found;
    }
    return nullptr;
}

BView *BWindow::CurrentFocus() const {
    MutexLock lock(fStateLock);
    return fFocus;
}

void BWindow::SetDefaultButton(BButton *button) {
    if (button != nullptr && !_HasView(button))
        return;
    _Replace(B_WINDOW_DEFAULT_BUTTON_CHANGED, button);
}

BButton *BWindow::DefaultButton() const {
    MutexLock lock(fStateLock);
    return static_cast<BButton *>(fDefaultButton);
}

void BWindow::DispatchMessage(BMessage *message, BHandler *handler) {
    if (message == nullptr) {
        BLooper::DispatchMessage(message, handler);
        return;
    }
    switch (message->what) {
        case B_WINDOW_MOVED: {
            BPoint where;
            if (message->FindPoint("where", &where) == B_OK)
                FrameMoved(where);
            return;
        }
        case B_WINDOW_RESIZED: {
            float width = 0;
            float height = 0;
            if (message->FindFloat("width", &width) == B_OK &&
                message->FindFloat("height", &height) == B_OK)
                FrameResized(width, height);
            return;
        }
        case BPrivate::kTypeTextMessage: {
            // The view may have left the tree since the message was posted: look for
            // it by identity before touching it.
            void *pointer = nullptr;
            const char *text = nullptr;
            if (message->FindPointer(BPrivate::kTypeTextView, &pointer) != B_OK ||
                message->FindString(BPrivate::kTypeTextText, &text) != B_OK)
                return;
            BView *view = static_cast<BView *>(pointer);
            if (!_HasView(view))
                return;
            BTextControl *control = dynamic_cast<BTextControl *>(view);
            if (control != nullptr)
                control->SetText(text);
            return;
        }
        default:
            BLooper::DispatchMessage(message, handler);
    }
}

void BWindow::MessageReceived(BMessage *) {}

void BWindow::FrameMoved(BPoint) {}

void BWindow::FrameResized(float, float) {}

void BWindow::Show() {
    bool runNow = false;
    bool becameVisible = false;
    {
        MutexLock lock(fStateLock);
        becameVisible = fHidden;
        fHidden = false;
        // Decided and recorded under the lock: two threads showing the window for the
        // first time at once start one thread between them.
        runNow = !fRunCalled;
        fRunCalled = true;
    }
    if (becameVisible) {
        display_change change{B_WINDOW_SHOWN};
        change.window = this;
        notify_display(change);
    }
    if (runNow)
        Run();
}

void BWindow::Hide() {
    bool becameHidden = false;
    {
        MutexLock lock(fStateLock);
        becameHidden = !fHidden;
        fHidden = true;
    }
    if (becameHidden) {
        display_change change{B_WINDOW_HIDDEN};
        change.window = this;
        notify_display(change);
    }
}

bool BWindow::IsHidden() const {
    MutexLock lock(fStateLock);
    return fHidden;
}

void BWindow::MoveTo(BPoint where) {
    MoveTo(where.x, where.y);
}

void BWindow::MoveTo(float x, float y) {
    if (!std::isfinite(x) || !std::isfinite(y))
        return;
    {
        MutexLock lock(fStateLock);
        if (fFrame.left == x && fFrame.top == y)
            return;
        fFrame.OffsetTo(x, y);
    }
    display_change change{B_WINDOW_FRAME_CHANGED};
    change.window = this;
    notify_display(change);

    BMessage moved(B_WINDOW_MOVED);
    moved.AddPoint("where", BPoint(x, y));
    PostMessage(&moved);
}

void BWindow::MoveBy(float dx, float dy) {
    BRect frame = Frame();
    MoveTo(frame.left + dx, frame.top + dy);
}

void BWindow::ResizeTo(float width, float height) {
    _ResizeTo(finite_or_zero(width), finite_or_zero(height));
}

void BWindow::ResizeBy(float dx, float dy) {
    BRect frame = Frame();
    ResizeTo(frame.Width() + dx, frame.Height() + dy);
}

void BWindow::_ResizeTo(float width, float height) {
    {
        MutexLock lock(fStateLock);
        width = std::min(std::max(width, fMinWidth), fMaxWidth);
        height = std::min(std::max(height, fMinHeight), fMaxHeight);
        if (fFrame.Width() == width && fFrame.Height() == height)
            return;
        fFrame.right = fFrame.left + width;
        fFrame.bottom = fFrame.top + height;
    }
    display_change change{B_WINDOW_FRAME_CHANGED};
    change.window = this;
    notify_display(change);

    BMessage resized(B_WINDOW_RESIZED);
    resized.AddFloat("width", width);
    resized.AddFloat("height", height);
    PostMessage(&resized);
}

BRect BWindow::Frame() const {
    MutexLock lock(fStateLock);
    return fFrame;
}

BRect BWindow::Bounds() const {
    MutexLock lock(fStateLock);
    return BRect(0, 0, fFrame.Width(), fFrame.Height());
}

const char *BWindow::Title() const {
    MutexLock lock(fStateLock);
    return fTitle.String();
}

BString BWindow::TitleCopy() const {
    MutexLock lock(fStateLock);
    return fTitle;
}

void BWindow::SetTitle(const char *title) {
    {
        MutexLock lock(fStateLock);
        fTitle.SetTo(title != nullptr ? title : "");
    }
    display_change change{B_WINDOW_TITLE_CHANGED};
    change.window = this;
    notify_display(change);
}

void BWindow::SetSizeLimits(float minWidth, float maxWidth, float minHeight, float maxHeight) {
    minWidth = std::max(finite_or_zero(minWidth), 0.0f);
    minHeight = std::max(finite_or_zero(minHeight), 0.0f);
    maxWidth = std::max(std::isnan(maxWidth) ? minWidth : maxWidth, minWidth);
    maxHeight = std::max(std::isnan(maxHeight) ? minHeight : maxHeight, minHeight);
    BRect frame;
    {
        MutexLock lock(fStateLock);
        fMinWidth = minWidth;
        fMaxWidth = maxWidth;
        fMinHeight = minHeight;
        fMaxHeight = maxHeight;
        frame = fFrame;
    }
    display_change change{B_WINDOW_SIZE_LIMITS_CHANGED};
    change.window = this;
    notify_display(change);

    // A window without a size yet keeps none until someone gives it one.
    if (frame.IsValid())
        _ResizeTo(frame.Width(), frame.Height());
}

void BWindow::GetSizeLimits(float *minWidth, float *maxWidth, float *minHeight,
                            float *maxHeight) const {
    MutexLock lock(fStateLock);
    if (minWidth != nullptr)
        *minWidth = fMinWidth;
    if (maxWidth != nullptr)
        *maxWidth = fMaxWidth;
    if (minHeight != nullptr)
        *minHeight = fMinHeight;
    if (maxHeight != nullptr)
        *maxHeight = fMaxHeight;
}

status_t BWindow::PressCloseBox() {
    return PostMessage(B_QUIT_REQUESTED);
}

void BWindow::ContentChanged() {}

void BWindow::_SetFocus(BView *view) {
    _Replace(B_VIEW_FOCUS_CHANGED, view);
}

void BWindow::_Replace(int32 kind, BView *view) {
    BView *previous;
    {
        MutexLock lock(fStateLock);
        BView *&field = kind == B_VIEW_FOCUS_CHANGED ? fFocus : fDefaultButton;
        if (field == view)
            return;
        previous = field;
        field = view;
    }
    // Told outside the lock: a display may ask the window about itself.
    display_change change{static_cast<display_change_kind>(kind)};
    change.window = this;
    change.view = view;
    change.other = previous;
    notify_display(change);
}

void BWindow::_ForgetViewsIn(BView *subtree) {
    BView *focus = CurrentFocus();
    if (focus != nullptr && subtree->_IsAncestorOrSelf(focus))
        _SetFocus(nullptr);
    BButton *button = DefaultButton();
    if (button != nullptr && subtree->_IsAncestorOrSelf(button))
        SetDefaultButton(nullptr);
}

bool BWindow::_HasView(const BView *view) const {
    if (view == nullptr)
        return false;
    // Walk up from the candidate only through views we can vouch for: first confirm by
    // a search from the top, which dereferences nothing but live views.
    std::vector<BView *> pending;
    {
        MutexLock lock(fStateLock);
        pending = fTopViews;
    }
    while (!pending.empty()) {
        BView *next = pending.back();
        pending.pop_back();
        if (next == view)
            return true;
        std::vector<BView *> children = next->_ChildrenCopy();
        pending.insert(pending.end(), children.begin(), children.end());
    }
    return false;
}

bool BWindow::_IsRunning() const {
    MutexLock lock(fStateLock);
    return fRunCalled;
}

void BWindow::_RemoveFromWindowList() {
    {
        MutexLock lock(fStateLock);
        if (!fInWindowList)
            return;
        fInWindowList = false;
    }
    BPrivate::remove_window(this);
}
