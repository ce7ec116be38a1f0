#pragma once

#include <QWidget>

class QPushButton;

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

    QPushButton* Command1 = nullptr;
};
