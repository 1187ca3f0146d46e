// What a screen reader says for the controls the front end draws (Qt speaks it through
// AT-SPI on Linux): a name taken from each control's label, and a description where the
// label alone does not say what the control does.
//
// GUI thread only.
#ifndef BRINDLE_PLAYER_DISPLAY_ACCESSIBLE_TEXT_H
#define BRINDLE_PLAYER_DISPLAY_ACCESSIBLE_TEXT_H

#include <string>

#include <QString>

class QWidget;

// The name a label gives its control: the label without its closing colon
// ("Vol. Adjust:" names "Vol. Adjust").
QString accessible_name(const std::string &label);

// The description of a Brindle form control or view, by its label or view name ("" when
// the label says enough). The player knows the form only by its labels.
QString form_description(const std::string &label);

// Sets `widget`'s accessible name and description, each only when it changed (a change
// is announced to the screen reader).
void set_accessible_text(QWidget *widget, const QString &name, const QString &description);

#endif  // BRINDLE_PLAYER_DISPLAY_ACCESSIBLE_TEXT_H
