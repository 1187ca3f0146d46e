#include <MenuField.h>

#include <PopUpMenu.h>
#include <Window.h>

namespace {

BMenu *menu_or_empty(BMenu *menu, const char *name) {
    return menu != nullptr ? menu : new BPopUpMenu(name);
}

}  // namespace

BMenuField::BMenuField(BRect frame, const char *name, const char *label, BMenu *menu,
                       uint32 resizingMode, uint32 flags)
    : BView(frame, name, resizingMode, flags),
      fMenu(menu_or_empty(menu, name)),
      fLabel(label != nullptr ? label : "") {
    fMenu->SetOwner(this);
}

BMenuField::BMenuField(const char *name, const char *label, BMenu *menu, uint32 flags)
    : BView(name, flags), fMenu(menu_or_empty(menu, name)), fLabel(label != nullptr ? label : "") {
    fMenu->SetOwner(this);
}

BMenuField::~BMenuField() {
    delete fMenu;
}

void BMenuField::AttachedToWindow() {
    fMenu->AimItemsAt(Window());
}

void BMenuField::SetLabel(const char *label) {
    fFieldLock.Lock();
    SetAndNotify(fFieldLock, fLabel, label != nullptr ? label : "", B_CONTROL_LABEL_CHANGED, true);
}

const char *BMenuField::Label() const {
    brindle::MutexLock lock(fFieldLock);
    return fLabel.String();
}

BString BMenuField::LabelCopy() const {
    brindle::MutexLock lock(fFieldLock);
    return fLabel;
}

void BMenuField::SetDivider(float position) {
    fFieldLock.Lock();
    SetAndNotify(fFieldLock, fDivider, position, B_CONTROL_DIVIDER_CHANGED);
}

float BMenuField::Divider() const {
    brindle::MutexLock lock(fFieldLock);
    return fDivider;
}

void BMenuField::SetEnabled(bool enabled) {
    fFieldLock.Lock();
    SetAndNotify(fFieldLock, fEnabled, enabled, B_CONTROL_ENABLED_CHANGED);
}

bool BMenuField::IsEnabled() const {
    brindle::MutexLock lock(fFieldLock);
    return fEnabled;
}
