#pragma once

#include "app/form.h"

#include <QList>
#include <QString>

#include <optional>

class QLineEdit;

namespace Ui {
class frmBMBC;
}

// The bitmap and bar code window: holds the arguments of the printer's bar code and bitmap
// operations and hands them to the printer window's control. It owns no device.
class frmBMBC : public Form {
    Q_OBJECT
public:
    explicit frmBMBC(QWidget* parent = nullptr);
    ~frmBMBC() override;

    // The symbology code outlives every window instance: only the symbology box's leave step
    // changes it, never a load or Reset All.
    static inline qint32 MySymbology = 0;
    qint32 MyBCWidth = 3;
    qint32 MyBCAlignment = -2;
    qint32 MyBCTextPos = -13;
    qint32 MyBMWidth = -11;
    qint32 MyBMAlignment = -2;

    // The size it loads at (it shows at a fifth of the screen).
    static QSize designedSize();

    // Shows the window modeless, or brings the one that is open forward.
    void Display();
    // The "Illegal Value" box for an empty parameter box; returns when it is closed.
    void Alert();
    // The window's entry to the shared escape decoder.
    QString ParseMe(const QString& MyStr) const;

public Q_SLOTS:
    void cmdPrintBarCode_Click();
    void cmdSample_Click();
    void cmdPrintBitmap_Click();
    void cmdSetBitmap_Click();
    void cmdResetAll_Click();
    void cmdCloseForm_Click();
    void cboSymbology_Change();

protected:
    void Form_Unload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ParameterBox {
        QLineEdit* box;
        qint32 frmBMBC::*value;
    };

    void Form_Load();
    void connectHandlers();
    void resetAllChoices();
    void resetBarCodeChoices();
    void restoreBarCodeValues();
    void setSymbologyText(const QString& text);

    void cboSymbology_LostFocus();
    void parameterBox_LostFocus(const ParameterBox& parameter, Qt::FocusReason reason);
    bool countsAsLeaving(Qt::FocusReason reason) const;
    void refuseLeave(QLineEdit* box, const QString& text, Qt::FocusReason reason);
    bool takeFocus(QWidget* button);
    std::optional<qint32> readNumberBox(QLineEdit* box, const QString& what);

    QList<ParameterBox> m_parameterBoxes;
    bool m_refusingLeave = false;
    bool m_unloading = false;
    int m_refusals = 0;

    Ui::frmBMBC* ui;
};
