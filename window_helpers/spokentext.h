#pragma once

#include <QAccessible>
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

void describeForScreenReaders(QWidget& window, std::initializer_list<SpokenText> texts);

// Names that follow the clock change with every tick; setting one that did not change would be
// announced again all the same.
void setAccessibleNameIfChanged(QWidget& widget, const QString& name);

// Every widget of the class is presented to screen readers in this role, where the toolkit's own
// choice would say less: a plain top-level widget, for one, is not presented as a window.
void setAccessibleRole(const QMetaObject& widgetClass, QAccessible::Role role);

// Says a short text once, when something happens that the focus does not tell: a child that is
// never shown, which screen readers present as a notification. Nothing of it is on screen.
class Announcer : public QWidget
{
    Q_OBJECT

public:
    // Until the first announcement, the notification is named by what it is for.
    Announcer(const QString& purpose, QWidget* parent);

    void announce(const QString& text);
    // The last text announced; screen readers read it as the notification's name.
    const QString& text() const { return m_text; }

private:
    QString m_text;
};
