// Finding a window's controls by their labels, as a user sees them: the player drives
// any interface's form this way without knowing its code.
//
// For use inside for_each_window() (the window and its views stay alive there). Each
// returns the first match in a depth-first walk of the view tree, or null.
#ifndef BRINDLE_PLAYER_WINDOW_CONTROLS_H
#define BRINDLE_PLAYER_WINDOW_CONTROLS_H

class BButton;
class BMenuField;
class BStringView;
class BTextControl;
class BWindow;

BTextControl *find_text_control(BWindow *window, const char *label);
BMenuField *find_menu_field(BWindow *window, const char *label);
BButton *find_button(BWindow *window, const char *label);
// A line of text by its view's name (a status line, say "status").
BStringView *find_string_view(BWindow *window, const char *name);

#endif  // BRINDLE_PLAYER_WINDOW_CONTROLS_H
