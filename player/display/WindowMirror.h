// One top-level Qt window mirroring one BWindow: its title, frame, shown/hidden state,
// close box, default button, and its views as Qt layouts and widgets (BTextControl: a labelled line
// edit; BMenuField: a labelled combo box showing the marked item; BButton: a push
// button; BStringView: a label; groups: box layouts honouring the layout library's size limits,
// with labels as wide as the layout library's dividers so DivideSame columns line up).
// Each control is named for screen readers by its label (AccessibleText.h), a status
// line's new text is announced, and Tab goes through the controls in visual order.
//
// Keys, as in a dialog: Enter (Return) presses the focused button, or anywhere else the
// window's default button; Ctrl+S presses the default button; Escape sends the window
// MSG_UNDO_EDITS (it takes back unsaved edits, or closes when there are none); Ctrl+W
// asks the window to close, as its close box does. A text the model loads into a field
// is shown from its start.
//
// GUI thread only. User actions go back to the model through the kit's user-action
// entry points (TypeText, Choose, Press, PressCloseBox, MoveTo, ResizeTo), each inside
// for_each_window() after checking that the window and the control are still there;
// none of them waits.
#ifndef BRINDLE_PLAYER_DISPLAY_WINDOW_MIRROR_H
#define BRINDLE_PLAYER_DISPLAY_WINDOW_MIRROR_H

#include <map>
#include <optional>

#include <QWidget>

#include "WindowSnapshot.h"

class QBoxLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class WindowMirror : public QWidget {
    Q_OBJECT
public:
    explicit WindowMirror(const WindowSnapshot &snapshot);

    const BWindow *Model() const { return fShown.id; }
    const WindowSnapshot &Shown() const { return fShown; }
    // Shows `snapshot`: values change in place; a changed tree is built again.
    void Apply(const WindowSnapshot &snapshot);

    // The widgets, for the front end's test commands (by the model's label).
    QLineEdit *LineEdit(const std::string &label) const;
    QComboBox *ComboBox(const std::string &label) const;
    QPushButton *Button(const std::string &label) const;
    // A BStringView's label, by the view's name.
    QLabel *StringLabel(const std::string &name) const;

    // What a person does, as the widgets' signals do it.
    void UserTyped(const BView *control, const QString &text);
    void UserChose(const BView *field, int index);
    void UserPressed(const BView *button);
    // Presses the default button as Enter does; false when there is no enabled one.
    bool PressDefault();
    // The user moved the window to `where` (its own area's corner, inside the window
    // manager's decoration) or sized it to `size`.
    void UserMoved(const QPoint &where);
    void UserResized(const QSize &size);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Control {
        QLabel *label = nullptr;
        QLineEdit *edit = nullptr;
        QComboBox *combo = nullptr;
        QPushButton *button = nullptr;
        QLabel *string = nullptr;
        QWidget *box = nullptr;

        // The control a person uses (and Tab reaches), or null for a label or a space.
        QWidget *Field() const;
    };

    void _Build(const WindowSnapshot &snapshot);
    QWidget *_MakeView(const ViewSnapshot &view);
    void _ApplyWindow(const WindowSnapshot &snapshot);
    void _ApplyView(const ViewSnapshot &view);
    void _ApplyLimits(QWidget *widget, const view_layout_info &layout);
    void _AlignLabels(const WindowSnapshot &snapshot);
    void _OrderFocus(const WindowSnapshot &snapshot);
    const ViewSnapshot *_Find(const BView *id) const;
    const ViewSnapshot *_FindByLabel(const std::string &label, ViewSnapshot::Kind kind) const;

    WindowSnapshot fShown;
    QWidget *fContent = nullptr;
    std::map<const BView *, Control> fControls;
    bool fApplying = false;
    // Whether the window has a close box; its flags are otherwise set once, when it is made.
    bool fClosable;
    // Where the last move reported to the model went, until the model's frame comes back.
    std::optional<QPoint> fReportedPosition;
};

#endif  // BRINDLE_PLAYER_DISPLAY_WINDOW_MIRROR_H
