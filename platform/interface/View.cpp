#include <View.h>

#include <algorithm>
#include <cstring>

#include <Window.h>

BView::BView(BRect frame, const char *name, uint32 resizingMode, uint32 flags)
    : BHandler(name), fFrame(frame), fResizingMode(resizingMode), fFlags(flags) {}

BView::BView(const char *name, uint32 flags)
    : BHandler(name),
      fFrame(0, 0, -1, -1),
      fResizingMode(B_FOLLOW_LEFT | B_FOLLOW_TOP),
      fFlags(flags) {}

BView::~BView() {
    // A view deleted while still in a tree leaves it first, so that no parent or
    // window keeps a pointer to freed memory.
    if (Parent() != nullptr)
        Parent()->RemoveChild(this);
    else if (fTopLevel.load(std::memory_order_acquire) && Window() != nullptr)
        Window()->RemoveChild(this);

    std::vector<BView *> children;
    {
        brindle::MutexLock lock(fLock);
        children.swap(fChildren);
    }
    for (BView *child : children) {
        child->_ClearParent();
        delete child;
    }
}

void BView::AddChild(BView *child, BView *before) {
    if (child == nullptr || child->Parent() != nullptr || child->Window() != nullptr)
        return;
    if (child->_IsAncestorOrSelf(this))
        return;

    {
        brindle::MutexLock lock(fLock);
        auto at = std::find(fChildren.begin(), fChildren.end(), before);
        fChildren.insert(before != nullptr ? at : fChildren.end(), child);
    }
    child->fParent.store(this, std::memory_order_release);

    BWindow *window = Window();
    if (window != nullptr)
        child->_Attach(window);

    _TreeChanged(B_VIEW_ADDED, window, child, this);
}

bool BView::RemoveChild(BView *child) {
    if (child == nullptr)
        return false;
    {
        brindle::MutexLock lock(fLock);
        auto at = std::find(fChildren.begin(), fChildren.end(), child);
        if (at == fChildren.end())
            return false;
        fChildren.erase(at);
    }
    child->_ClearParent();

    BWindow *window = Window();
    if (window != nullptr) {
        window->_ForgetViewsIn(child);
        child->_Detach();
    }

    _TreeChanged(B_VIEW_REMOVED, window, child, this);
    return true;
}

bool BView::RemoveSelf() {
    if (Parent() != nullptr)
        return Parent()->RemoveChild(this);
    if (fTopLevel.load(std::memory_order_acquire) && Window() != nullptr)
        return Window()->RemoveChild(this);
    return false;
}

int32 BView::CountChildren() const {
    brindle::MutexLock lock(fLock);
    return static_cast<int32>(fChildren.size());
}

BView *BView::ChildAt(int32 index) const {
    brindle::MutexLock lock(fLock);
    if (index < 0 || static_cast<size_t>(index) >= fChildren.size())
        return nullptr;
    return fChildren[index];
}

BView *BView::FindView(const char *name) const {
    if (name == nullptr)
        return nullptr;
    if (Name() != nullptr && strcmp(Name(), name) == 0)
        return const_cast<BView *>(this);
    for (BView *child : _ChildrenCopy()) {
        BView *found = child->FindView(name);
        if (found != nullptr)
            return found;
    }
    return nullptr;
}

void BView::AttachedToWindow() {}

void BView::DetachedFromWindow() {}

void BView::MakeFocus(bool focus) {
    BWindow *window = Window();
    if (window == nullptr)
        return;
    if (focus)
        window->_SetFocus(this);
    else if (window->CurrentFocus() == this)
        window->_SetFocus(nullptr);
}

bool BView::IsFocus() const {
    BWindow *window = Window();
    return window != nullptr && window->CurrentFocus() == this;
}

BRect BView::Frame() const {
    brindle::MutexLock lock(fLock);
    return fFrame;
}

BRect BView::Bounds() const {
    brindle::MutexLock lock(fLock);
    return BRect(0, 0, fFrame.Width(), fFrame.Height());
}

void BView::MoveTo(BPoint where) {
    MoveTo(where.x, where.y);
}

void BView::MoveTo(float x, float y) {
    BRect frame = Frame();
    frame.OffsetTo(x, y);
    SetFrame(frame);
}

void BView::ResizeTo(float width, float height) {
    BRect frame = Frame();
    frame.right = frame.left + width;
    frame.bottom = frame.top + height;
    SetFrame(frame);
}

void BView::SetFrame(BRect frame) {
    fLock.Lock();
    SetAndNotify(fLock, fFrame, frame, B_VIEW_FRAME_CHANGED);
}

void BView::SetLayoutInfo(const view_layout_info &info) {
    brindle::MutexLock lock(fLock);
    fLayoutInfo = info;
}

view_layout_info BView::LayoutInfo() const {
    brindle::MutexLock lock(fLock);
    return fLayoutInfo;
}

void BView::SetToolTip(const char *text) {
    fLock.Lock();
    SetAndNotify(fLock, fToolTip, BString(text != nullptr ? text : ""), B_VIEW_TOOL_TIP_CHANGED);
}

BString BView::ToolTipText() const {
    brindle::MutexLock lock(fLock);
    return fToolTip;
}

void BView::NotifyDisplay(display_change &change) const {
    change.window = Window();
    change.view = const_cast<BView *>(this);
    notify_display(change);
}

void BView::NotifyDisplay(display_change_kind kind) const {
    display_change change{kind};
    NotifyDisplay(change);
}

void BView::_TreeChanged(display_change_kind kind, BWindow *window, BView *child, BView *parent) {
    display_change change{kind};
    change.window = window;
    change.view = child;
    change.other = parent;
    notify_display(change);
    if (window != nullptr)
        window->ContentChanged();
}

std::vector<BView *> BView::_ChildrenCopy() const {
    brindle::MutexLock lock(fLock);
    return fChildren;
}

bool BView::_IsAncestorOrSelf(const BView *view) const {
    for (const BView *up = view; up != nullptr; up = up->Parent()) {
        if (up == this)
            return true;
    }
    return false;
}

void BView::_Attach(BWindow *window) {
    fWindow.store(window, std::memory_order_release);
    AttachedToWindow();
    for (BView *child : _ChildrenCopy())
        child->_Attach(window);
}

void BView::_Detach() {
    for (BView *child : _ChildrenCopy())
        child->_Detach();
    DetachedFromWindow();
    fWindow.store(nullptr, std::memory_order_release);
    fTopLevel.store(false, std::memory_order_release);
}
