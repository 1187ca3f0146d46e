// Space: an empty layout object that takes up room along its group (between the
// views of a row, say) unless given other limits. Across its group it asks for
// nothing, so a row with a space grows no taller than its other views can.
#ifndef BRINDLE_LAYOUT_SPACE_H
#define BRINDLE_LAYOUT_SPACE_H

#include <MView.h>
#include <View.h>

class Space : public MView, public BView {
public:
    Space();
    explicit Space(minimax limits);
    virtual ~Space();

    minimax layoutprefs() override;
    BRect layout(BRect rect) override;
};

#endif  // BRINDLE_LAYOUT_SPACE_H
