#include "spokentext.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QString>

namespace {

QHash<QString, QAccessible::Role>& rolesByClass()
{
    static QHash<QString, QAccessible::Role> roles;
    return roles;
}

// The announcer's text is its name, read when the screen reader hears that it was shown (before
// Qt 6.8, which has announcements of its own). A changed accessible name would be an event of its
// own, which screen readers do not speak.
class AnnouncerInterface : public QAccessibleWidget
{
public:
    explicit AnnouncerInterface(Announcer* announcer)
        : QAccessibleWidget(announcer, QAccessible::Notification)
    {}
    QString text(QAccessible::Text which) const override
    {
        return which == QAccessible::Name ? static_cast<const Announcer*>(widget())->text()
                                          : QAccessibleWidget::text(which);
    }
};

QAccessibleInterface* interfaceFor(const QString& className, QObject* object)
{
    if (!object->isWidgetType()) {
        return nullptr;
    }
    if (className == QLatin1String(Announcer::staticMetaObject.className())) {
        return new AnnouncerInterface(static_cast<Announcer*>(object));
    }
    const auto role = rolesByClass().constFind(className);
    return role != rolesByClass().constEnd()
               ? new QAccessibleWidget(static_cast<QWidget*>(object), *role)
               : nullptr;
}

void installInterfaces()
{
    static const bool installed = [] {
        QAccessible::installFactory(interfaceFor);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace

void describeForScreenReaders(QWidget& window, std::initializer_list<SpokenText> texts)
{
    for (const SpokenText& text : texts) {
        auto* control = window.findChild<QWidget*>(QString::fromLatin1(text.control));
        Q_ASSERT_X(control != nullptr, text.control, "no such control to describe");
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

void setAccessibleRole(const QMetaObject& widgetClass, QAccessible::Role role)
{
    installInterfaces();
    rolesByClass().insert(QString::fromLatin1(widgetClass.className()), role);
}

Announcer::Announcer(const QString& purpose, QWidget* parent) : QWidget(parent), m_text(purpose)
{
    installInterfaces();
    setFocusPolicy(Qt::NoFocus);
    resize(0, 0);
    // Hidden explicitly, so that it stays hidden when its window is shown.
    hide();
}

void Announcer::announce(const QString& text)
{
    m_text = text;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // Qt 6.8 has the accessibility stacks' own announcement, which screen readers speak as it
    // comes, from the window the players are in.
    QAccessibleAnnouncementEvent announcement(parentWidget() != nullptr ? parentWidget() : this,
                                              text);
    QAccessible::updateAccessibility(&announcement);
#else
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
#endif
}
