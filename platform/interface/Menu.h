// BMenu: an ordered list of BMenuItems. A model: nothing is drawn, nothing pops up.
//
// The item list and the marks are guarded by a mutex of the menu's, so the window's
// thread may mark and add items while another thread reads them or chooses one.
// Item pointers stay valid while the item is in the menu; the menu deletes the items it
// holds when it is destroyed.
//
// Targets: an item without a live target of its own is aimed, when added or when the
// menu's field joins a window, at the menu's default target (SetTargetForItems) or,
// without one, at the window.
#ifndef BRINDLE_INTERFACE_MENU_H
#define BRINDLE_INTERFACE_MENU_H

#include <atomic>
#include <string>
#include <unordered_map>
#include <vector>

#include <DisplayHook.h>
#include <Messenger.h>
#include <Mutex.h>
#include <String.h>

class BHandler;
class BMenuItem;
class BView;
class BWindow;

class BMenu {
public:
    explicit BMenu(const char *name);
    virtual ~BMenu();

    BMenu(const BMenu &) = delete;
    BMenu &operator=(const BMenu &) = delete;

    // The menu takes ownership of `item`. Null or an item already in a menu is refused.
    bool AddItem(BMenuItem *item);
    bool AddItem(BMenuItem *item, int32 index);
    // Takes the item out; the caller owns it again.
    BMenuItem *RemoveItem(int32 index);
    bool RemoveItem(BMenuItem *item);

    BMenuItem *ItemAt(int32 index) const;
    int32 CountItems() const;
    int32 IndexOf(const BMenuItem *item) const;
    // The first item with exactly that label, or null. Found through an index of the labels
    // (a long menu, the genres, is searched often and changed rarely).
    BMenuItem *FindItem(const char *label) const;
    // The first marked item, or null.
    BMenuItem *FindMarked() const;
    int32 FindMarkedIndex() const;

    void SetRadioMode(bool on);
    bool IsRadioMode() const;
    void SetLabelFromMarked(bool on);
    bool IsLabelFromMarked() const;

    // Aims every item, and every item added later, at `target`.
    status_t SetTargetForItems(BHandler *target);
    status_t SetTargetForItems(BMessenger messenger);

    const char *Name() const { return fName.String(); }
    // The view that shows this menu (a BMenuField), or null.
    BView *Owner() const { return fOwner.load(std::memory_order_acquire); }
    BWindow *Window() const;

    // Gives every item without a live target the menu's default target or `window`.
    // Called by the owning field when it joins a window.
    void AimItemsAt(BWindow *window);
    // Records the view that shows the menu (kept by BMenuField).
    void SetOwner(BView *owner) { fOwner.store(owner, std::memory_order_release); }

private:
    friend class BMenuItem;

    // Sets an item's mark under the menu's lock, unmarking the others in radio mode.
    void _MarkItem(BMenuItem *item, bool marked);
    void _AimItem(BMenuItem *item, BWindow *window);
    void _Notify(display_change_kind kind, BMenuItem *item, int32 index) const;
    // An item's label changed: the label index is out of date.
    void _LabelChanged();

    // The index of the first item with `label`, or -1.
    int32 _IndexOfLabel(const char *label) const REQUIRES(fMenuLock);
    // The index of the first marked item, or -1; learns where the mark is when one item
    // at most is marked.
    int32 _FirstMarked() const REQUIRES(fMenuLock);

    const BString fName;
    mutable brindle::Mutex fMenuLock;
    std::vector<BMenuItem *> fItems GUARDED_BY(fMenuLock);
    // Each label's first position in fItems, built on demand, dropped by every change
    // of the items or their labels.
    mutable std::unordered_map<std::string, int32> fLabelIndex GUARDED_BY(fMenuLock);
    mutable bool fLabelIndexValid GUARDED_BY(fMenuLock) = false;
    // When fMarkKnown, fMarked is the only marked item's index (-1: none is marked).
    // Marks change only under fMenuLock while an item is in a menu; adding or removing
    // items forgets it.
    mutable int32 fMarked GUARDED_BY(fMenuLock) = -1;
    mutable bool fMarkKnown GUARDED_BY(fMenuLock) = false;
    BMessenger fDefaultTarget GUARDED_BY(fMenuLock);
    bool fHasDefaultTarget GUARDED_BY(fMenuLock) = false;
    bool fRadioMode GUARDED_BY(fMenuLock) = false;
    bool fLabelFromMarked GUARDED_BY(fMenuLock) = false;
    std::atomic<BView *> fOwner{nullptr};
};

#endif  // BRINDLE_INTERFACE_MENU_H
