#include "spokentext.h"

#include <QString>
#include <QWidget>

void describeForScreenReaders(QWidget& window, std::initializer_list<SpokenText> texts)
{
    for (const SpokenText& text : texts) {
        auto* control = window.findChild<QWidget*>(QString::fromLatin1(text.control));
        if (control == nullptr) {
            continue;
        }
        if (text.name != nullptr) {
            control->setAccessibleName(QString::fromLatin1(text.name));
        }
        if (text.description != nullptr) {
            control->setAccessibleDescription(QString::fromLatin1(text.description));
        }
    }
}

void setAccessibleNameIfChanged(QWidget& widget, const QString& name)
{
    if (widget.accessibleName() != name) {
        widget.setAccessibleName(name);
    }
}
