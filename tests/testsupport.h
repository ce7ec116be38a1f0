#pragma once

// Helpers shared by the window tests.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <vector>

namespace testsupport {

struct SeenMessage
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
};

// Answers every message box that comes up (the program's message boxes are modal and would
// otherwise block the test), recording what it showed. Polls, so it also catches boxes opened
// inside nested event loops.
class MessageBoxCloser : public QObject
{
public:
    MessageBoxCloser()
    {
        constexpr int pollMilliseconds = 5;
        m_timer.setInterval(pollMilliseconds);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { closeVisibleBoxes(); });
        m_timer.start();
    }

    const std::vector<SeenMessage>& seen() const { return m_seen; }
    void clear() { m_seen.clear(); }

private:
    void closeVisibleBoxes()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box == nullptr || !box->isVisible() || m_answered.contains(box)) {
                continue;
            }
            m_answered.append(box);
            m_seen.push_back({box->windowTitle(), box->text(), box->icon(),
                              static_cast<int>(box->buttons().size())});
            QAbstractButton* button = box->buttons().value(0);
            if (button != nullptr) {
                button->click();
            } else {
                box->close();
            }
        }
        m_answered.removeIf([](const QPointer<QMessageBox>& p) { return p.isNull(); });
    }

    QTimer m_timer;
    QList<QPointer<QMessageBox>> m_answered;
    std::vector<SeenMessage> m_seen;
};

} // namespace testsupport
