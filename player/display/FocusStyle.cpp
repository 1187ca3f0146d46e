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
// drawn in the highlight colour, so the focus needs a mark of its own.
void draw_button_focus(const QStyleOption *option, QPainter *painter) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    QColor ring = option->palette.color(QPalette::Highlight);
    ring.setAlpha(170);
    painter->setPen(QPen(ring, 1.5));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(QRectF(option->rect).adjusted(3.5, 3.5, -3.5, -3.5), 2, 2);
    painter->restore();
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
