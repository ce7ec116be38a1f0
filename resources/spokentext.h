#pragma once

#include <QString>
#include <QWidget>

#include <initializer_list>

// What a screen reader says for the controls whose text alone would not tell it (no text, or a
// caption that only makes sense on screen). A null name or description leaves that text as the
// toolkit gives it.
struct SpokenText
{
    const char* control; // objectName of a child of the window
    const char* name;
    const char* description;
};

inline void describeForScreenReaders(QWidget& window, std::initializer_list<SpokenText> texts)
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
