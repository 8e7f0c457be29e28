#pragma once

#include <QDialog>

class QPushButton;

// A modal information dialog that FormInstance can hold: a fixed frame, centred on load, closed
// by its OK button. Unloading ends a running exec(), hides the dialog and destroys it, so the
// next Display loads it afresh.
class DialogForm : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

    bool isUnloaded() const { return m_unloaded; }
    void Unload();

    // Shows the dialog modal (no owner window) and returns when it has been closed.
    void Display();

public Q_SLOTS:
    void cmdOK_Click() { Unload(); }

protected:
    // The load step, after setupUi: fixed frame, OK wired and focused, centred on the screen.
    void Form_Load(QPushButton* cmdOK);

    // Esc and the close box end the dialog the way its OK button does.
    void reject() override { Unload(); }

private:
    bool m_unloaded = false;
};
