#pragma once

#include <initializer_list>

class QString;
class QWidget;

// What a screen reader says for the controls whose text alone would not tell it (no text, or a
// caption that only makes sense on screen). A null name or description leaves that text as the
// toolkit gives it.
struct SpokenText
{
    const char* control; // objectName of a child of the window
    const char* name;
    const char* description;
};

void describeForScreenReaders(QWidget& window, std::initializer_list<SpokenText> texts);

// Names that follow the clock change with every tick; setting one that did not change would be
// announced again all the same.
void setAccessibleNameIfChanged(QWidget& widget, const QString& name);
