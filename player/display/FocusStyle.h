// The front end's style: the platform's own, except that a control with the keyboard
// focus always shows it. Qt's usual styles draw the focus of buttons and pop-ups only
// after the focus was moved with the keyboard, so a user who clicked into the window
// and then pressed Tab twice could not tell where Enter or Space would go.
#ifndef BRINDLE_PLAYER_DISPLAY_FOCUS_STYLE_H
#define BRINDLE_PLAYER_DISPLAY_FOCUS_STYLE_H

#include <QProxyStyle>

class FocusStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                            QPainter *painter, const QWidget *widget = nullptr) const override;
};

// GUI thread, with the QApplication made: makes a FocusStyle around the application's
// style the application's style (once).
void install_focus_style();

#endif  // BRINDLE_PLAYER_DISPLAY_FOCUS_STYLE_H
