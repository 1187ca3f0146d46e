#include "WindowMirror.h"

#include <algorithm>
#include <cmath>

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMoveEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <QWindow>

#include <Button.h>
#include <MenuItem.h>
#include <TextControl.h>
#include <Window.h>
#include <WindowList.h>

#include <PluginInterface.h>

#include "AccessibleText.h"

namespace {

const float kUnlimited = 100000;

int pixels(float size) {
    if (!(size > 0))
        return 0;
    if (size >= kUnlimited)
        return QWIDGETSIZE_MAX;
    return static_cast<int>(std::ceil(size));
}

// Runs `action` on the live window `model`, inside the window list's lock.
template <typename Action>
bool with_model(const BWindow *model, Action action) {
    bool found = false;
    for_each_window([&](BWindow *window) {
        if (window != model)
            return true;
        found = true;
        action(window);
        return false;
    });
    return found;
}

// The flags the window is made with, once: setWindowFlags() on a shown window hides it
// and makes its native window again, and under a window manager the keys typed meanwhile
// go elsewhere.
Qt::WindowFlags window_flags(bool closable) {
    Qt::WindowFlags flags = Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint;
    if (closable)
        flags |= Qt::WindowCloseButtonHint;
    return flags;
}

}  // namespace

QWidget *WindowMirror::Control::Field() const {
    if (edit != nullptr)
        return edit;
    if (combo != nullptr)
        return combo;
    return button;
}

WindowMirror::WindowMirror(const WindowSnapshot &snapshot)
    : QWidget(nullptr, window_flags(snapshot.closable)), fClosable(snapshot.closable) {
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    _Build(snapshot);
    _ApplyWindow(snapshot);
}

void WindowMirror::Apply(const WindowSnapshot &snapshot) {
    if (!same_shape(fShown, snapshot)) {
        _Build(snapshot);
    } else {
        std::function<void(const ViewSnapshot &)> apply = [&](const ViewSnapshot &view) {
            _ApplyView(view);
            for (const ViewSnapshot &child : view.children)
                apply(child);
        };
        for (const ViewSnapshot &view : snapshot.views)
            apply(view);
        fShown.views = snapshot.views;
        _AlignLabels(snapshot);
    }
    _ApplyWindow(snapshot);
}

void WindowMirror::_Build(const WindowSnapshot &snapshot) {
    fControls.clear();
    delete fContent;
    fShown = snapshot;
    fContent = new QWidget(this);
    auto *column = new QVBoxLayout(fContent);
    column->setContentsMargins(0, 0, 0, 0);
    for (const ViewSnapshot &view : snapshot.views)
        column->addWidget(_MakeView(view));
    layout()->addWidget(fContent);
    _AlignLabels(snapshot);
    _OrderFocus(snapshot);
}

void WindowMirror::_OrderFocus(const WindowSnapshot &snapshot) {
    // Tab follows the model's tree, which is the visual order: a row from left to right,
    // a column from top to bottom.
    std::vector<QWidget *> chain;
    std::function<void(const ViewSnapshot &)> collect = [&](const ViewSnapshot &view) {
        auto found = fControls.find(view.id);
        if (found != fControls.end()) {
            if (QWidget *field = found->second.Field())
                chain.push_back(field);
        }
        for (const ViewSnapshot &child : view.children)
            collect(child);
    };
    for (const ViewSnapshot &view : snapshot.views)
        collect(view);
    for (size_t i = 1; i < chain.size(); i++)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

QWidget *WindowMirror::_MakeView(const ViewSnapshot &view) {
    Control control;
    QWidget *widget = nullptr;
    switch (view.kind) {
        case ViewSnapshot::kGroup: {
            widget = new QWidget;
            QBoxLayout *box;
            if (view.layout.arrangement == B_ARRANGE_IN_ROW)
                box = new QHBoxLayout(widget);
            else
                box = new QVBoxLayout(widget);
            box->setContentsMargins(0, 0, 0, 0);
            for (const ViewSnapshot &child : view.children) {
                const int stretch = static_cast<int>(std::lround(child.layout.weight * 10));
                box->addWidget(_MakeView(child), std::max(stretch, 0));
            }
            break;
        }
        case ViewSnapshot::kText:
        case ViewSnapshot::kPopup: {
            widget = new QWidget;
            auto *row = new QHBoxLayout(widget);
            row->setContentsMargins(0, 0, 0, 0);
            control.label = new QLabel(widget);
            row->addWidget(control.label);
            const BView *id = view.id;
            if (view.kind == ViewSnapshot::kText) {
                control.edit = new QLineEdit(widget);
                control.label->setBuddy(control.edit);
                row->addWidget(control.edit, 1);
                connect(control.edit, &QLineEdit::textEdited, this,
                        [this, id](const QString &text) { UserTyped(id, text); });
            } else {
                control.combo = new QComboBox(widget);
                control.label->setBuddy(control.combo);
                row->addWidget(control.combo, 1);
                connect(control.combo, QOverload<int>::of(&QComboBox::activated), this,
                        [this, id](int index) { UserChose(id, index); });
            }
            break;
        }
        case ViewSnapshot::kButton: {
            control.button = new QPushButton;
            widget = control.button;
            const BView *id = view.id;
            connect(control.button, &QPushButton::clicked, this, [this, id] { UserPressed(id); });
            break;
        }
        case ViewSnapshot::kString:
            control.string = new QLabel;
            // A long text is cut, not a reason to widen the window.
            control.string->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
            control.string->setTextFormat(Qt::PlainText);
            widget = control.string;
            break;
        case ViewSnapshot::kOther:
            widget = new QWidget;  // a space
            widget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            break;
    }
    control.box = widget;
    fControls[view.id] = control;
    _ApplyView(view);
    return widget;
}

void WindowMirror::_ApplyLimits(QWidget *widget, const view_layout_info &layout) {
    // The layout library's limits, but never below what the Qt widget needs to be
    // usable: its fonts are not the model's.
    const QSize needed = widget->minimumSizeHint();
    widget->setMinimumSize(std::max(pixels(layout.minWidth), std::max(needed.width(), 0)),
                           std::max(pixels(layout.minHeight), std::max(needed.height(), 0)));
    widget->setMaximumSize(std::max(pixels(layout.maxWidth), widget->minimumWidth()),
                           std::max(pixels(layout.maxHeight), widget->minimumHeight()));
}

void WindowMirror::_ApplyView(const ViewSnapshot &view) {
    auto found = fControls.find(view.id);
    if (found == fControls.end())
        return;
    Control &control = found->second;
    const QString label = QString::fromStdString(view.label);
    if (control.label != nullptr && control.label->text() != label)
        control.label->setText(label);
    if (control.edit != nullptr) {
        const QString text = QString::fromStdString(view.text);
        // Only a real change: setting the same text would move a typing user's cursor.
        if (control.edit->text() != text) {
            const int cursor = control.edit->cursorPosition();
            control.edit->setText(text);
            // A loaded text is shown from its start; a field being typed in keeps its
            // cursor where it was.
            control.edit->setCursorPosition(
                control.edit->hasFocus() ? std::min(cursor, static_cast<int>(text.size())) : 0);
        }
        control.edit->setEnabled(view.enabled);
    }
    if (control.combo != nullptr) {
        QComboBox *combo = control.combo;
        bool sameItems = combo->count() == static_cast<int>(view.items.size());
        for (int i = 0; sameItems && i < combo->count(); i++)
            sameItems = combo->itemText(i).toStdString() == view.items[i];
        if (!sameItems) {
            combo->clear();
            for (const std::string &item : view.items)
                combo->addItem(QString::fromStdString(item));
        }
        if (auto *model = qobject_cast<QStandardItemModel *>(combo->model())) {
            for (int i = 0; i < static_cast<int>(view.itemEnabled.size()); i++) {
                if (QStandardItem *item = model->item(i))
                    item->setEnabled(view.itemEnabled[i]);
            }
        }
        if (combo->currentIndex() != view.marked)
            combo->setCurrentIndex(view.marked);
        combo->setEnabled(view.enabled);
    }
    if (control.button != nullptr) {
        const QString text = QString::fromStdString(view.label);
        if (control.button->text() != text)
            control.button->setText(text);
        control.button->setEnabled(view.enabled);
    }
    if (control.string != nullptr) {
        // A line of text keeps no name of its own: its name is its text, so that each new
        // text is announced as a change of name (Qt has no live region to announce it).
        // Its tooltip (the status line's: the file's full path) is its description too,
        // set first, so a reader told of the new text reads the description that goes with it.
        const QString toolTip = QString::fromStdString(view.toolTip);
        if (control.string->toolTip() != toolTip)
            control.string->setToolTip(toolTip);
        set_accessible_text(control.string, QString(),
                            toolTip.isEmpty() ? form_description(view.label) : toolTip);
        const QString text = QString::fromStdString(view.text);
        if (control.string->text() != text)
            control.string->setText(text);
    }
    if (QWidget *field = control.Field())
        set_accessible_text(field, accessible_name(view.label), form_description(view.label));

    if (control.box != nullptr)
        _ApplyLimits(control.box, view.layout);
    // A line of text asks for no width of its own (its label would ask for all of it).
    if (control.string != nullptr)
        control.string->setMinimumWidth(pixels(view.layout.minWidth));
}

void WindowMirror::_AlignLabels(const WindowSnapshot &snapshot) {
    // Labels that share a divider form one column (DivideSame gave them the widest
    // label's width): they get one width, at least the divider and at least what the
    // widest of them needs in Qt's font.
    std::map<float, int> widths;
    std::function<void(const ViewSnapshot &)> measure = [&](const ViewSnapshot &view) {
        auto found = fControls.find(view.id);
        if (found != fControls.end() && found->second.label != nullptr) {
            int &width = widths[view.divider];
            width =
                std::max({width, pixels(view.divider), found->second.label->sizeHint().width()});
        }
        for (const ViewSnapshot &child : view.children)
            measure(child);
    };
    for (const ViewSnapshot &view : snapshot.views)
        measure(view);
    std::function<void(const ViewSnapshot &)> align = [&](const ViewSnapshot &view) {
        auto found = fControls.find(view.id);
        if (found != fControls.end() && found->second.label != nullptr)
            found->second.label->setFixedWidth(widths[view.divider]);
        for (const ViewSnapshot &child : view.children)
            align(child);
    };
    for (const ViewSnapshot &view : snapshot.views)
        align(view);

    // The labels' widths are part of what their rows need: the limits computed before
    // were too small for them, and so were those of the groups around them.
    std::function<void(const ViewSnapshot &)> limit = [&](const ViewSnapshot &view) {
        for (const ViewSnapshot &child : view.children)
            limit(child);
        auto found = fControls.find(view.id);
        if (found != fControls.end() && found->second.box != nullptr)
            _ApplyLimits(found->second.box, view.layout);
    };
    for (const ViewSnapshot &view : snapshot.views)
        limit(view);
}

void WindowMirror::_ApplyWindow(const WindowSnapshot &snapshot) {
    fApplying = true;
    fShown.title = snapshot.title;
    fShown.frame = snapshot.frame;
    fShown.hidden = snapshot.hidden;
    fShown.closable = snapshot.closable;
    fShown.minWidth = snapshot.minWidth;
    fShown.maxWidth = snapshot.maxWidth;
    fShown.minHeight = snapshot.minHeight;
    fShown.maxHeight = snapshot.maxHeight;

    const QString title = QString::fromStdString(snapshot.title);
    if (windowTitle() != title)
        setWindowTitle(title);
    if (snapshot.closable != fClosable) {
        // Only the close box may come and go: told to the native window in place (Qt
        // adds flags of its own to what windowFlags() reports, so that is no measure).
        fClosable = snapshot.closable;
        if (QWindow *native = windowHandle())
            native->setFlag(Qt::WindowCloseButtonHint, fClosable);
        overrideWindowFlags(window_flags(fClosable));
    }
    // The model's sizes count inclusive edges: a Width() of w covers w + 1 pixels.
    setMaximumSize(std::max(pixels(snapshot.maxWidth + 1), 1),
                   std::max(pixels(snapshot.maxHeight + 1), 1));
    if (snapshot.frame.IsValid()) {
        // The model's frame is the window's own area, without the window manager's
        // decoration, as geometry() is: the two are read and set the same way, so a
        // place handed back is the place that was read.
        const QRect wanted(static_cast<int>(snapshot.frame.left),
                           static_cast<int>(snapshot.frame.top), pixels(snapshot.frame.Width() + 1),
                           pixels(snapshot.frame.Height() + 1));
        // The model following a move the window system reported is not moved back: a
        // window manager that places frames a little off what was asked would otherwise
        // walk the window across the screen.
        const bool reported =
            fReportedPosition.has_value() && *fReportedPosition == wanted.topLeft();
        fReportedPosition.reset();
        const QRect now = geometry();
        QRect next = now;
        if (wanted.topLeft() != now.topLeft() && !reported)
            next.moveTopLeft(wanted.topLeft());
        if (wanted.size() != now.size())
            next.setSize(wanted.size().expandedTo(minimumSizeHint()));
        if (next != now)
            setGeometry(next);
    }
    fShown.defaultButton = snapshot.defaultButton;
    for (auto &entry : fControls) {
        if (entry.second.button != nullptr)
            entry.second.button->setDefault(entry.first == snapshot.defaultButton);
    }
    setVisible(!snapshot.hidden);
    fApplying = false;
}

const ViewSnapshot *WindowMirror::_Find(const BView *id) const {
    std::function<const ViewSnapshot *(const std::vector<ViewSnapshot> &)> find =
        [&](const std::vector<ViewSnapshot> &views) -> const ViewSnapshot * {
        for (const ViewSnapshot &view : views) {
            if (view.id == id)
                return &view;
            if (const ViewSnapshot *found = find(view.children))
                return found;
        }
        return nullptr;
    };
    return find(fShown.views);
}

const ViewSnapshot *WindowMirror::_FindByLabel(const std::string &label,
                                               ViewSnapshot::Kind kind) const {
    std::function<const ViewSnapshot *(const std::vector<ViewSnapshot> &)> find =
        [&](const std::vector<ViewSnapshot> &views) -> const ViewSnapshot * {
        for (const ViewSnapshot &view : views) {
            if (view.kind == kind && view.label == label)
                return &view;
            if (const ViewSnapshot *found = find(view.children))
                return found;
        }
        return nullptr;
    };
    return find(fShown.views);
}

QLineEdit *WindowMirror::LineEdit(const std::string &label) const {
    const ViewSnapshot *view = _FindByLabel(label, ViewSnapshot::kText);
    return view != nullptr ? fControls.at(view->id).edit : nullptr;
}

QComboBox *WindowMirror::ComboBox(const std::string &label) const {
    const ViewSnapshot *view = _FindByLabel(label, ViewSnapshot::kPopup);
    return view != nullptr ? fControls.at(view->id).combo : nullptr;
}

QPushButton *WindowMirror::Button(const std::string &label) const {
    const ViewSnapshot *view = _FindByLabel(label, ViewSnapshot::kButton);
    return view != nullptr ? fControls.at(view->id).button : nullptr;
}

QLabel *WindowMirror::StringLabel(const std::string &name) const {
    const ViewSnapshot *view = _FindByLabel(name, ViewSnapshot::kString);
    return view != nullptr ? fControls.at(view->id).string : nullptr;
}

void WindowMirror::UserTyped(const BView *control, const QString &text) {
    const std::string typed = text.toStdString();
    with_model(fShown.id, [&](BWindow *window) {
        if (!window_has_view(window, control))
            return;
        auto *textControl = dynamic_cast<BTextControl *>(const_cast<BView *>(control));
        if (textControl != nullptr)
            textControl->TypeText(typed.c_str());
    });
}

void WindowMirror::UserChose(const BView *field, int index) {
    const ViewSnapshot *view = _Find(field);
    if (view == nullptr || index < 0 || index >= static_cast<int>(view->itemIds.size()))
        return;
    const BMenuItem *chosen = view->itemIds[index];
    const int shownMarked = view->marked;
    bool done = false;
    with_model(fShown.id, [&](BWindow *window) {
        if (BMenuItem *item = window_menu_item(window, chosen))
            done = item->Choose() == B_OK;
    });
    // A refused choice changes no model, so no change comes back: show the marked
    // item again here.
    auto control = fControls.find(field);
    if (!done && control != fControls.end() && control->second.combo != nullptr)
        control->second.combo->setCurrentIndex(shownMarked);
}

void WindowMirror::UserPressed(const BView *button) {
    with_model(fShown.id, [&](BWindow *window) {
        if (!window_has_view(window, button))
            return;
        if (auto *control = dynamic_cast<BButton *>(const_cast<BView *>(button)))
            control->Press();
    });
}

bool WindowMirror::PressDefault() {
    auto found = fControls.find(fShown.defaultButton);
    if (fShown.defaultButton == nullptr || found == fControls.end())
        return false;
    QPushButton *button = found->second.button;
    if (button == nullptr || !button->isEnabled())
        return false;
    button->click();
    return true;
}

void WindowMirror::UserMoved(const QPoint &where) {
    fReportedPosition = where;
    with_model(fShown.id, [&](BWindow *window) { window->MoveTo(where.x(), where.y()); });
}

void WindowMirror::UserResized(const QSize &size) {
    // The model's sizes count inclusive edges: w pixels are a Width() of w - 1.
    with_model(fShown.id,
               [&](BWindow *window) { window->ResizeTo(size.width() - 1, size.height() - 1); });
}

void WindowMirror::keyPressEvent(QKeyEvent *event) {
    // Keys the focused widget left alone arrive here.
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier;
    const bool control = modifiers == Qt::ControlModifier;
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && plain) {
        if (auto *button = qobject_cast<QPushButton *>(focusWidget()))
            button->click();
        else
            PressDefault();
    } else if (key == Qt::Key_S && control) {
        PressDefault();
    } else if (key == Qt::Key_Escape && plain) {
        // The window decides: it takes back unsaved edits, or closes when there are none.
        with_model(fShown.id, [](BWindow *window) { window->PostMessage(MSG_UNDO_EDITS); });
    } else if (key == Qt::Key_W && control) {
        close();
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void WindowMirror::moveEvent(QMoveEvent *event) {
    QWidget::moveEvent(event);
    // Moves the window system reports (a user dragging the window); the ones that
    // follow the model come back with the model's own values and change nothing.
    if (!fApplying && event->spontaneous())
        UserMoved(geometry().topLeft());
}

void WindowMirror::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (!fApplying && event->spontaneous())
        UserResized(event->size());
}

void WindowMirror::closeEvent(QCloseEvent *event) {
    // The close box asks the model; the window goes when its looper agrees.
    event->ignore();
    if (!fShown.closable)
        return;
    with_model(fShown.id, [](BWindow *window) { window->PressCloseBox(); });
}
