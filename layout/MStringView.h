// MStringView: a line of text for layouts (a BStringView), as wide as it is given and one
// line high. Its width does not follow its text, so a changing text (a status line)
// never moves the rest of the form.
#ifndef BRINDLE_LAYOUT_M_STRING_VIEW_H
#define BRINDLE_LAYOUT_M_STRING_VIEW_H

#include <MView.h>
#include <StringView.h>

class MStringView : public MView, public BStringView {
public:
    // `name` names the view (BWindow::FindView finds it by that name).
    MStringView(const char *name, const char *text = "",
                minimax limits = minimax(0, -1, kLayoutInfinity, -1, 1.0));
    virtual ~MStringView();

    minimax layoutprefs() override;
    BRect layout(BRect rect) override;
};

#endif  // BRINDLE_LAYOUT_M_STRING_VIEW_H
