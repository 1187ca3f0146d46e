#include <Menu.h>

#include <algorithm>
#include <cstring>

#include <MenuItem.h>
#include <View.h>
#include <Window.h>

BMenu::BMenu(const char *name) : fName(name != nullptr ? name : "") {}

BMenu::~BMenu() {
    std::vector<BMenuItem *> items;
    {
        brindle::MutexLock lock(fMenuLock);
        items.swap(fItems);
    }
    for (BMenuItem *item : items) {
        item->fMenu.store(nullptr, std::memory_order_release);
        delete item;
    }
}

bool BMenu::AddItem(BMenuItem *item) {
    return AddItem(item, -1);
}

bool BMenu::AddItem(BMenuItem *item, int32 index) {
    if (item == nullptr)
        return false;
    BMenu *none = nullptr;
    if (!item->fMenu.compare_exchange_strong(none, this, std::memory_order_acq_rel))
        return false;
    int32 at;
    {
        brindle::MutexLock lock(fMenuLock);
        if (index < 0 || static_cast<size_t>(index) > fItems.size())
            index = static_cast<int32>(fItems.size());
        fItems.insert(fItems.begin() + index, item);
        fLabelIndexValid = false;
        fMarkKnown = false;
        at = index;
        // An item marked before it joined a radio-mode menu takes the mark over.
        if (fRadioMode && item->IsMarked()) {
            for (BMenuItem *other : fItems) {
                if (other != item)
                    other->fMarked.store(false, std::memory_order_release);
            }
        }
    }
    _AimItem(item, Window());
    _Notify(B_MENU_ITEM_ADDED, item, at);
    return true;
}

BMenuItem *BMenu::RemoveItem(int32 index) {
    BMenuItem *item = nullptr;
    {
        brindle::MutexLock lock(fMenuLock);
        if (index < 0 || static_cast<size_t>(index) >= fItems.size())
            return nullptr;
        item = fItems[index];
        fItems.erase(fItems.begin() + index);
        fLabelIndexValid = false;
        fMarkKnown = false;
    }
    item->fMenu.store(nullptr, std::memory_order_release);
    _Notify(B_MENU_ITEM_REMOVED, item, index);
    return item;
}

bool BMenu::RemoveItem(BMenuItem *item) {
    int32 index = IndexOf(item);
    if (index < 0)
        return false;
    return RemoveItem(index) == item;
}

BMenuItem *BMenu::ItemAt(int32 index) const {
    brindle::MutexLock lock(fMenuLock);
    if (index < 0 || static_cast<size_t>(index) >= fItems.size())
        return nullptr;
    return fItems[index];
}

int32 BMenu::CountItems() const {
    brindle::MutexLock lock(fMenuLock);
    return static_cast<int32>(fItems.size());
}

int32 BMenu::IndexOf(const BMenuItem *item) const {
    brindle::MutexLock lock(fMenuLock);
    auto at = std::find(fItems.begin(), fItems.end(), item);
    return at == fItems.end() ? -1 : static_cast<int32>(at - fItems.begin());
}

BMenuItem *BMenu::FindItem(const char *label) const {
    if (label == nullptr)
        return nullptr;
    brindle::MutexLock lock(fMenuLock);
    const int32 index = _IndexOfLabel(label);
    return index >= 0 ? fItems[index] : nullptr;
}

int32 BMenu::_IndexOfLabel(const char *label) const {
    if (!fLabelIndexValid) {
        fLabelIndex.clear();
        for (size_t i = 0; i < fItems.size(); i++)
            fLabelIndex.emplace(fItems[i]->LabelCopy().String(), static_cast<int32>(i));
        fLabelIndexValid = true;
    }
    auto found = fLabelIndex.find(label);
    return found != fLabelIndex.end() ? found->second : -1;
}

void BMenu::_LabelChanged() {
    brindle::MutexLock lock(fMenuLock);
    fLabelIndexValid = false;
}

BMenuItem *BMenu::FindMarked() const {
    brindle::MutexLock lock(fMenuLock);
    const int32 index = _FirstMarked();
    return index >= 0 ? fItems[index] : nullptr;
}

int32 BMenu::FindMarkedIndex() const {
    brindle::MutexLock lock(fMenuLock);
    return _FirstMarked();
}

int32 BMenu::_FirstMarked() const {
    if (fMarkKnown)
        return fMarked;
    int32 first = -1;
    int32 count = 0;
    for (size_t i = 0; i < fItems.size(); i++) {
        if (fItems[i]->IsMarked()) {
            if (first < 0)
                first = static_cast<int32>(i);
            count++;
        }
    }
    // Several marks (a menu that is not in radio mode) are found by a scan each time.
    fMarkKnown = count <= 1;
    fMarked = first;
    return first;
}

void BMenu::SetRadioMode(bool on) {
    brindle::MutexLock lock(fMenuLock);
    fRadioMode = on;
}

bool BMenu::IsRadioMode() const {
    brindle::MutexLock lock(fMenuLock);
    return fRadioMode;
}

void BMenu::SetLabelFromMarked(bool on) {
    brindle::MutexLock lock(fMenuLock);
    fLabelFromMarked = on;
}

bool BMenu::IsLabelFromMarked() const {
    brindle::MutexLock lock(fMenuLock);
    return fLabelFromMarked;
}

status_t BMenu::SetTargetForItems(BHandler *target) {
    return SetTargetForItems(target != nullptr ? BMessenger(target) : BMessenger());
}

status_t BMenu::SetTargetForItems(BMessenger messenger) {
    std::vector<BMenuItem *> items;
    {
        brindle::MutexLock lock(fMenuLock);
        fDefaultTarget = messenger;
        fHasDefaultTarget = messenger.IsValid();
        items = fItems;
    }
    // Items are only deleted by this menu's destructor or after RemoveItem, neither of
    // which may race with a call on the menu itself.
    for (BMenuItem *item : items)
        item->SetTarget(messenger);
    return B_OK;
}

BWindow *BMenu::Window() const {
    BView *owner = Owner();
    return owner != nullptr ? owner->Window() : nullptr;
}

void BMenu::AimItemsAt(BWindow *window) {
    std::vector<BMenuItem *> items;
    {
        brindle::MutexLock lock(fMenuLock);
        items = fItems;
    }
    for (BMenuItem *item : items)
        _AimItem(item, window);
}

void BMenu::_AimItem(BMenuItem *item, BWindow *window) {
    if (item->HasValidTarget())
        return;
    BMessenger target;
    bool hasDefault = false;
    {
        brindle::MutexLock lock(fMenuLock);
        target = fDefaultTarget;
        hasDefault = fHasDefaultTarget;
    }
    if (hasDefault)
        item->SetTarget(target);
    else if (window != nullptr)
        item->SetTarget(window);
}

void BMenu::_MarkItem(BMenuItem *item, bool marked) {
    // The items whose mark changed, to report once the lock is released, in menu order.
    std::vector<std::pair<BMenuItem *, int32>> changed;
    {
        brindle::MutexLock lock(fMenuLock);
        const auto at = std::find(fItems.begin(), fItems.end(), item);
        const int32 index = at != fItems.end() ? static_cast<int32>(at - fItems.begin()) : -1;
        const bool radioPick = fRadioMode && marked && index >= 0;
        if (radioPick)
            _FirstMarked();  // learns where the mark is, when there is one at most
        if (radioPick && fMarkKnown) {
            // Only the old mark and the new one change: a long menu (the genres) is not
            // walked for every pick.
            const int32 previous = fMarked;
            if (previous != index) {
                if (previous >= 0) {
                    fItems[previous]->fMarked.store(false, std::memory_order_release);
                    changed.emplace_back(fItems[previous], previous);
                }
                item->fMarked.store(true, std::memory_order_release);
                changed.emplace_back(item, index);
                if (previous > index)
                    std::swap(changed.front(), changed.back());
                fMarked = index;
            }
        } else {
            for (size_t i = 0; i < fItems.size(); i++) {
                BMenuItem *other = fItems[i];
                const bool was = other->IsMarked();
                bool want = was;
                if (other == item)
                    want = marked;
                else if (fRadioMode && marked)
                    want = false;
                if (want != was && other->fMarked.exchange(want, std::memory_order_acq_rel) != want)
                    changed.emplace_back(other, static_cast<int32>(i));
            }
            // A pick in radio mode leaves one mark, the new one's.
            fMarkKnown = radioPick;
            fMarked = radioPick ? index : -1;
        }
    }
    for (const auto &entry : changed)
        _Notify(B_MENU_ITEM_MARKED, entry.first, entry.second);
}

void BMenu::_Notify(display_change_kind kind, BMenuItem *item, int32 index) const {
    display_change change{kind};
    change.view = Owner();
    change.window = Window();
    change.menu = const_cast<BMenu *>(this);
    change.item = item;
    change.index = index;
    notify_display(change);
}
