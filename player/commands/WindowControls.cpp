#include "WindowControls.h"

#include <Button.h>
#include <MenuField.h>
#include <StringView.h>
#include <TextControl.h>
#include <View.h>
#include <Window.h>

namespace {

template <class Control>
Control *find_in_view(BView *view, const char *label) {
    if (auto *control = dynamic_cast<Control *>(view)) {
        if (control->LabelCopy() == label)
            return control;
    }
    const int32 count = view->CountChildren();
    for (int32 i = 0; i < count; i++) {
        BView *child = view->ChildAt(i);
        if (child == nullptr)
            continue;
        if (Control *found = find_in_view<Control>(child, label))
            return found;
    }
    return nullptr;
}

template <class Control>
Control *find_in_window(BWindow *window, const char *label) {
    const int32 count = window->CountChildren();
    for (int32 i = 0; i < count; i++) {
        BView *child = window->ChildAt(i);
        if (child == nullptr)
            continue;
        if (Control *found = find_in_view<Control>(child, label))
            return found;
    }
    return nullptr;
}

}  // namespace

BTextControl *find_text_control(BWindow *window, const char *label) {
    return find_in_window<BTextControl>(window, label);
}

BMenuField *find_menu_field(BWindow *window, const char *label) {
    return find_in_window<BMenuField>(window, label);
}

BButton *find_button(BWindow *window, const char *label) {
    return find_in_window<BButton>(window, label);
}

BStringView *find_string_view(BWindow *window, const char *name) {
    return dynamic_cast<BStringView *>(window->FindView(name));
}
