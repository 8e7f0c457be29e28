#include "dialogform.h"

#include "app/centring.h"

#include <QPushButton>

void DialogForm::Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    QDialog::done(QDialog::Accepted);
    deleteLater();
}

void DialogForm::Display() {
    setWindowModality(Qt::ApplicationModal);
    exec();
}

void DialogForm::Form_Load(QPushButton* cmdOK) {
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(size());
    connect(cmdOK, &QPushButton::clicked, this, &DialogForm::cmdOK_Click);
    cmdOK->setFocus();
    centreOnScreen(this);
}
