#include "WindowSnapshot.h"

#include <Button.h>
#include <Menu.h>
#include <MenuField.h>
#include <MenuItem.h>
#include <StringView.h>
#include <TextControl.h>
#include <Window.h>

namespace {

ViewSnapshot snapshot_view(BView *view) {
    ViewSnapshot shot;
    shot.id = view;
    shot.layout = view->LayoutInfo();
    shot.frame = view->Frame();
    shot.toolTip = view->ToolTipText().String();
    if (auto *text = dynamic_cast<BTextControl *>(view)) {
        shot.kind = ViewSnapshot::kText;
        shot.label = text->LabelCopy().String();
        shot.text = text->TextCopy().String();
        shot.enabled = text->IsEnabled();
        shot.divider = text->Divider();
    } else if (auto *field = dynamic_cast<BMenuField *>(view)) {
        shot.kind = ViewSnapshot::kPopup;
        shot.label = field->LabelCopy().String();
        shot.enabled = field->IsEnabled();
        shot.divider = field->Divider();
        BMenu *menu = field->Menu();
        const int32 count = menu->CountItems();
        for (int32 i = 0; i < count; i++) {
            BMenuItem *item = menu->ItemAt(i);
            if (item == nullptr)
                break;
            shot.items.push_back(item->LabelCopy().String());
            shot.itemIds.push_back(item);
            shot.itemEnabled.push_back(item->IsEnabled());
            if (item->IsMarked() && shot.marked < 0)
                shot.marked = static_cast<int>(shot.items.size()) - 1;
        }
    } else if (auto *button = dynamic_cast<BButton *>(view)) {
        shot.kind = ViewSnapshot::kButton;
        shot.label = button->LabelCopy().String();
        shot.enabled = button->IsEnabled();
    } else if (auto *string = dynamic_cast<BStringView *>(view)) {
        shot.kind = ViewSnapshot::kString;
        shot.label = string->Name() != nullptr ? string->Name() : "";
        shot.text = string->TextCopy().String();
    }
    const int32 count = view->CountChildren();
    for (int32 i = 0; i < count; i++) {
        if (BView *child = view->ChildAt(i))
            shot.children.push_back(snapshot_view(child));
    }
    if (shot.kind == ViewSnapshot::kOther && !shot.children.empty())
        shot.kind = ViewSnapshot::kGroup;
    return shot;
}

bool same_view_shape(const ViewSnapshot &a, const ViewSnapshot &b) {
    if (a.id != b.id || a.kind != b.kind || a.itemIds != b.itemIds ||
        a.children.size() != b.children.size())
        return false;
    for (size_t i = 0; i < a.children.size(); i++) {
        if (!same_view_shape(a.children[i], b.children[i]))
            return false;
    }
    return true;
}

bool view_in(BView *root, const BView *view) {
    if (root == view)
        return true;
    const int32 count = root->CountChildren();
    for (int32 i = 0; i < count; i++) {
        BView *child = root->ChildAt(i);
        if (child != nullptr && view_in(child, view))
            return true;
    }
    return false;
}

BMenuItem *item_in(BView *root, const BMenuItem *item) {
    if (auto *field = dynamic_cast<BMenuField *>(root)) {
        BMenu *menu = field->Menu();
        const int32 index = menu->IndexOf(item);
        if (index >= 0)
            return menu->ItemAt(index);
    }
    const int32 count = root->CountChildren();
    for (int32 i = 0; i < count; i++) {
        BView *child = root->ChildAt(i);
        if (child == nullptr)
            continue;
        if (BMenuItem *found = item_in(child, item))
            return found;
    }
    return nullptr;
}

}  // namespace

WindowSnapshot snapshot_window(BWindow *window) {
    WindowSnapshot shot;
    shot.id = window;
    shot.title = window->TitleCopy().String();
    shot.frame = window->Frame();
    shot.hidden = window->IsHidden();
    shot.closable = (window->Flags() & B_NOT_CLOSABLE) == 0;
    window->GetSizeLimits(&shot.minWidth, &shot.maxWidth, &shot.minHeight, &shot.maxHeight);
    shot.defaultButton = window->DefaultButton();
    const int32 count = window->CountChildren();
    for (int32 i = 0; i < count; i++) {
        if (BView *view = window->ChildAt(i))
            shot.views.push_back(snapshot_view(view));
    }
    return shot;
}

bool same_shape(const WindowSnapshot &a, const WindowSnapshot &b) {
    if (a.id != b.id || a.views.size() != b.views.size())
        return false;
    for (size_t i = 0; i < a.views.size(); i++) {
        if (!same_view_shape(a.views[i], b.views[i]))
            return false;
    }
    return true;
}

bool window_has_view(BWindow *window, const BView *view) {
    const int32 count = window->CountChildren();
    for (int32 i = 0; i < count; i++) {
        BView *top = window->ChildAt(i);
        if (top != nullptr && view_in(top, view))
            return true;
    }
    return false;
}

BMenuItem *window_menu_item(BWindow *window, const BMenuItem *item) {
    const int32 count = window->CountChildren();
    for (int32 i = 0; i < count; i++) {
        BView *top = window->ChildAt(i);
        if (top == nullptr)
            continue;
        if (BMenuItem *found = item_in(top, item))
            return found;
    }
    return nullptr;
}
