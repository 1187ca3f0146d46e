// BMenuItem: a labelled item of a BMenu with a message it sends when chosen.
//
// The label is fixed at construction in practice; SetLabel() exists, and Label() points
// into the item until the next SetLabel() (other threads: LabelCopy()). The marked and
// enabled flags may be read from any thread at any time.
#ifndef BRINDLE_INTERFACE_MENU_ITEM_H
#define BRINDLE_INTERFACE_MENU_ITEM_H

#include <atomic>

#include <Invoker.h>
#include <Mutex.h>
#include <String.h>

class BMenu;

class BMenuItem : public BInvoker {
public:
    // Takes ownership of `message` (may be null: choosing the item then only marks it).
    BMenuItem(const char *label, BMessage *message, char shortcut = 0, uint32 modifiers = 0);
    // Not to be deleted while in a menu: take it out with BMenu::RemoveItem() first
    // (the menu deletes the items it still holds).
    virtual ~BMenuItem();

    const char *Label() const;
    BString LabelCopy() const;
    virtual void SetLabel(const char *label);

    // In a radio-mode menu, marking an item unmarks the others.
    virtual void SetMarked(bool marked);
    bool IsMarked() const { return fMarked.load(std::memory_order_acquire); }

    virtual void SetEnabled(bool enabled);
    bool IsEnabled() const { return fEnabled.load(std::memory_order_acquire); }

    BMenu *Menu() const { return fMenu.load(std::memory_order_acquire); }
    char Shortcut(uint32 *modifiers = nullptr) const;

    // Sends the message with the fields "when" (int64), "source" (pointer to this
    // item) and "index" (int32, the item's index in its menu).
    virtual status_t Invoke(BMessage *message = nullptr);

    // User action, safe from any thread: chooses the item as a user would. Marks it
    // (in a radio-mode menu, unmarking the others), then sends its message, if it has
    // one, to its target. A disabled item does nothing and returns B_NOT_ALLOWED;
    // an item without a message returns B_OK after marking.
    status_t Choose();

private:
    friend class BMenu;

    mutable brindle::Mutex fLabelLock;
    BString fLabel GUARDED_BY(fLabelLock);
    std::atomic<bool> fMarked{false};
    std::atomic<bool> fEnabled{true};
    std::atomic<BMenu *> fMenu{nullptr};
    const char fShortcut;
    const uint32 fModifiers;
};

#endif  // BRINDLE_INTERFACE_MENU_ITEM_H
