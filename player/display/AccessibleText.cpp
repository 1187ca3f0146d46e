#include "AccessibleText.h"

#include <QWidget>

namespace {

struct Description {
    const char *label;
    const char *text;
};

// Title, Album, Artist and Genre say what they hold; these do not say enough.
const Description kFormDescriptions[] = {
    {"Rating:", "How much you like this file, from 1 to 10"},
    {"Vol. Adjust:",
     "Loudness correction for this file, from -4 to 4: each step moves the playlist's "
     "volume by 0.25"},
    {"Save",
     "Writes the fields to the file now; moving to another file or closing the "
     "window saves them too"},
    {"status", "What the last load or save did"},
};

}  // namespace

QString accessible_name(const std::string &label) {
    QString name = QString::fromStdString(label).trimmed();
    if (name.endsWith(':'))
        name.chop(1);
    return name.trimmed();
}

QString form_description(const std::string &label) {
    for (const Description &description : kFormDescriptions) {
        if (label == description.label)
            return QString::fromUtf8(description.text);
    }
    return QString();
}

void set_accessible_text(QWidget *widget, const QString &name, const QString &description) {
    if (widget->accessibleName() != name)
        widget->setAccessibleName(name);
    if (widget->accessibleDescription() != description)
        widget->setAccessibleDescription(description);
}
