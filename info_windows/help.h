#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QShowEvent;

// "General Help": six fixed text lines and an OK button that only hides the window.
// Its close box destroys it (the window sets WA_DeleteOnClose).
class Help : public QWidget
{
    Q_OBJECT

public:
    explicit Help(QWidget* parent = nullptr);

    void Command1_Click();

private:
    void createLabels();
    void createButton();

    // Centres the window the first time only; later shows keep where the user left it.
    void showEvent(QShowEvent* event) override;

    QPushButton* Command1 = nullptr;
    bool m_placedOnce = false;
};
