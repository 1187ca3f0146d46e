// What following the playlist asks of whoever loads and saves the form (PluginWindow::Impl,
// through its loader and saver), so the tracker knows neither of them.
#ifndef BRINDLE_WINDOW_FORM_ACTIONS_H
#define BRINDLE_WINDOW_FORM_ACTIONS_H

#include "window/SaveResult.h"

class FormActions {
public:
    // The edits since the last load go into the file the form belongs to; nothing is
    // written, and no line printed, when there are none.
    virtual SaveResult saveChangedEdits(SaveKind kind) = 0;
    // Fills the form from the file in the state's `ref`.
    virtual void loadForm() = 0;

protected:
    ~FormActions() = default;
};

#endif  // BRINDLE_WINDOW_FORM_ACTIONS_H
