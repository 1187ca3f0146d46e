#include "FocusStyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOption>

namespace {

// A copy of `option` that says the focus came from the keyboard whenever there is one.
template <typename Option>
Option with_focus_shown(const Option &option) {
    Option copy(option);
    if (copy.state & QStyle::State_HasFocus)
        copy.state |= QStyle::State_KeyboardFocusChange;
    return copy;
}

// Runs `draw` with the focus shown, for the option types whose controls take the
// focus; any other option is passed on untouched (a copy of the base type would lose
// the fields the style reads through its real type).
template <typename Draw>
void draw_with_focus(const QStyleOption *option, Draw draw) {
    if (option == nullptr || !(option->state & QStyle::State_HasFocus)) {
        draw(option);
    } else if (const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option)) {
        const QStyleOptionButton copy = with_focus_shown(*button);
        draw(&copy);
    } else if (const auto *combo = qstyleoption_cast<const QStyleOptionComboBox *>(option)) {
        const QStyleOptionComboBox copy = with_focus_shown(*combo);
        draw(&copy);
    } else if (const auto *slider = qstyleoption_cast<const QStyleOptionSlider *>(option)) {
        const QStyleOptionSlider copy = with_focus_shown(*slider);
        draw(&copy);
    } else if (const auto *rect = qstyleoption_cast<const QStyleOptionFocusRect *>(option)) {
        const QStyleOptionFocusRect copy = with_focus_shown(*rect);
        draw(&copy);
    } else {
        draw(option);
    }
}

// A button's own focus ring, inside its frame: the default button's frame is already
// drawn in the highlight colour, so the focus needs a mark of its own. Four thin bands:
// paths and outlines of many scanlines would hand the raster work to Qt's thread pool.
void draw_button_focus(const QStyleOption *option, QPainter *painter) {
    const QRect ring = option->rect.adjusted(3, 3, -3, -3);
    const int thickness = 2;
    if (ring.width() <= 2 * thickness || ring.height() <= 2 * thickness)
        return;
    QColor colour = option->palette.color(QPalette::Highlight);
    colour.setAlpha(170);
    painter->fillRect(QRect(ring.left(), ring.top(), ring.width(), thickness), colour);
    painter->fillRect(QRect(ring.left(), ring.bottom() - thickness + 1, ring.width(), thickness),
                      colour);
    const int side = ring.height() - 2 * thickness;
    painter->fillRect(QRect(ring.left(), ring.top() + thickness, thickness, side), colour);
    painter->fillRect(QRect(ring.right() - thickness + 1, ring.top() + thickness, thickness, side),
                      colour);
}

}  // namespace

void FocusStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                               QPainter *painter, const QWidget *widget) const {
    draw_with_focus(option, [&](const QStyleOption *shown) {
        QProxyStyle::drawPrimitive(element, shown, painter, widget);
    });
}

void FocusStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                             const QWidget *widget) const {
    draw_with_focus(option, [&](const QStyleOption *shown) {
        QProxyStyle::drawControl(element, shown, painter, widget);
    });
    if (element == CE_PushButton && option != nullptr && (option->state & State_HasFocus))
        draw_button_focus(option, painter);
}

void FocusStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                                    QPainter *painter, const QWidget *widget) const {
    draw_with_focus(option, [&](const QStyleOption *shown) {
        QProxyStyle::drawComplexControl(control, static_cast<const QStyleOptionComplex *>(shown),
                                        painter, widget);
    });
}

void install_focus_style() {
    if (dynamic_cast<FocusStyle *>(QApplication::style()) == nullptr)
        QApplication::setStyle(new FocusStyle);
}
