#pragma once

#include <QDialog>

class QCloseEvent;
class QLabel;
class QPushButton;

// The About window. OK, Enter, Esc and the close box all destroy it (WA_DeleteOnClose).
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Runs once, when the window is created: caption and version text.
    void Form_Load();
    void cmdOK_Click();

    // Esc: the same as OK, so the window is destroyed rather than only hidden.
    void reject() override;

protected:
    // The close box, and cmdOK_Click's close(): always accepted, so WA_DeleteOnClose destroys
    // the window. (QDialog's own closeEvent would call reject(), which closes again.)
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();

    QLabel* lblVersion = nullptr;
    QPushButton* cmdOK = nullptr;
};
