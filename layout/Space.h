// Space: an empty layout object that takes up room; flexible in both directions unless
// given other limits.
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
