// MGroup: a view that lays its layout children out in a row or a column.
#ifndef BRINDLE_LAYOUT_M_GROUP_H
#define BRINDLE_LAYOUT_M_GROUP_H

#include <initializer_list>
#include <vector>

#include <MView.h>
#include <View.h>

class MGroup : public MView, public BView {
public:
    // Children are added as child views, in order; null entries are skipped. The group
    // owns them (through the view tree).
    MGroup(const char *name, orientation direction, minimax limits,
           std::initializer_list<MView *> children);
    virtual ~MGroup();

    minimax layoutprefs() override;
    BRect layout(BRect rect) override;

    orientation Orientation() const { return fOrientation; }
    // The layout children, in order (views of the group that are MViews).
    std::vector<MView *> LayoutChildren() const;

private:
    const orientation fOrientation;
};

#endif  // BRINDLE_LAYOUT_M_GROUP_H
