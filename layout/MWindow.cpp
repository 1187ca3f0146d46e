#include <MWindow.h>

#include <algorithm>

#include <Button.h>
#include <Distribute.h>
#include <MView.h>

MWindow::MWindow(BRect frame, const char *title, window_type type, uint32 flags, uint32 workspace)
    : BWindow(frame, title, type, flags, workspace) {}

MWindow::~MWindow() = default;

std::vector<MView *> MWindow::_Contents() const {
    std::vector<MView *> contents;
    const int32 count = CountChildren();
    for (int32 i = 0; i < count; i++) {
        MView *view = dynamic_cast<MView *>(ChildAt(i));
        if (view != nullptr)
            contents.push_back(view);
    }
    return contents;
}

void MWindow::RecalcSize() {
    brindle::MutexLock lock(fLayoutLock);
    std::vector<MView *> contents = _Contents();
    if (contents.empty())
        return;

    // The contents form a column.
    float minWidth = 0;
    float maxWidth = 0;
    float minHeight = 0;
    float maxHeight = 0;
    for (MView *view : contents) {
        minimax m = view->layoutprefs();
        minWidth = std::max(minWidth, m.mini.x);
        maxWidth = std::max(maxWidth, m.maxi.x);
        minHeight += m.mini.y;
        maxHeight = std::min(maxHeight + m.maxi.y, kLayoutInfinity);
    }
    // Limits are on Frame().Width(): a window of w pixels has Width() w - 1.
    SetSizeLimits(std::max(minWidth - 1, 0.0f), std::max(maxWidth - 1, 0.0f),
                  std::max(minHeight - 1, 0.0f), std::max(maxHeight - 1, 0.0f));
    if (!Frame().IsValid())
        ResizeTo(std::max(minWidth - 1, 0.0f), std::max(minHeight - 1, 0.0f));
    _LayOut();
}

void MWindow::_LayoutContents() {
    brindle::MutexLock lock(fLayoutLock);
    _LayOut();
}

void MWindow::_LayOut() {
    std::vector<MView *> contents = _Contents();
    if (contents.empty())
        return;
    BRect bounds = Bounds();
    if (!bounds.IsValid())
        return;
    layout_run(contents, bounds, false);
}

void MWindow::Show() {
    RecalcSize();
    _DefaultToTheOnlyButton();
    BWindow::Show();
}

void MWindow::_DefaultToTheOnlyButton() {
    if (DefaultButton() != nullptr)
        return;
    std::vector<BButton *> buttons;
    std::vector<BView *> pending;
    for (int32 i = CountChildren() - 1; i >= 0; i--)
        pending.push_back(ChildAt(i));
    while (!pending.empty() && buttons.size() < 2) {
        BView *view = pending.back();
        pending.pop_back();
        if (view == nullptr)
            continue;
        if (BButton *button = dynamic_cast<BButton *>(view))
            buttons.push_back(button);
        for (int32 i = view->CountChildren() - 1; i >= 0; i--)
            pending.push_back(view->ChildAt(i));
    }
    if (buttons.size() == 1)
        SetDefaultButton(buttons.front());
}

void MWindow::FrameResized(float, float) {
    // The frame may have changed again since this message was sent: lay out for the
    // window's size now, not the one in the message.
    _LayoutContents();
}

void MWindow::ContentChanged() {
    RecalcSize();
}
