#include <MenuItem.h>

#include <Menu.h>

BMenuItem::BMenuItem(const char *label, BMessage *message, char shortcut, uint32 modifiers)
    : BInvoker(message, nullptr),
      fLabel(label != nullptr ? label : ""),
      fShortcut(shortcut),
      fModifiers(modifiers) {}

BMenuItem::~BMenuItem() {
    // Deleted while still in a menu: leave it rather than leave it a dangling pointer.
    BMenu *menu = Menu();
    if (menu != nullptr)
        menu->RemoveItem(this);
}

const char *BMenuItem::Label() const {
    brindle::MutexLock lock(fLabelLock);
    return fLabel.String();
}

BString BMenuItem::LabelCopy() const {
    brindle::MutexLock lock(fLabelLock);
    return fLabel;
}

void BMenuItem::SetLabel(const char *label) {
    {
        brindle::MutexLock lock(fLabelLock);
        fLabel.SetTo(label != nullptr ? label : "");
    }
    BMenu *menu = Menu();
    if (menu != nullptr) {
        menu->_LabelChanged();
        menu->_Notify(B_MENU_ITEM_CHANGED, this, menu->IndexOf(this));
    }
}

void BMenuItem::SetMarked(bool marked) {
    BMenu *menu = Menu();
    if (menu != nullptr) {
        menu->_MarkItem(this, marked);
        return;
    }
    fMarked.store(marked, std::memory_order_release);
}

void BMenuItem::SetEnabled(bool enabled) {
    if (fEnabled.exchange(enabled, std::memory_order_acq_rel) == enabled)
        return;
    BMenu *menu = Menu();
    if (menu != nullptr)
        menu->_Notify(B_MENU_ITEM_CHANGED, this, menu->IndexOf(this));
}

char BMenuItem::Shortcut(uint32 *modifiers) const {
    if (modifiers != nullptr)
        *modifiers = fModifiers;
    return fShortcut;
}

status_t BMenuItem::Invoke(BMessage *message) {
    BMessage copy;
    BMessenger target;
    status_t status = CopyInvocation(message, &copy, &target);
    if (status != B_OK)
        return status;
    BMenu *menu = Menu();
    copy.AddInt64("when", InvocationTime());
    copy.AddPointer("source", this);
    copy.AddInt32("index", menu != nullptr ? menu->IndexOf(this) : -1);
    return target.SendMessage(&copy);
}

status_t BMenuItem::Choose() {
    if (!IsEnabled())
        return B_NOT_ALLOWED;
    BMenu *menu = Menu();
    if (menu == nullptr || menu->IsRadioMode())
        SetMarked(true);
    if (Message() == nullptr)
        return B_OK;
    return Invoke();
}
