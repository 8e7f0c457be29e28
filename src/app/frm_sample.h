#pragma once

#include "opos/statuslines.h"

#include <QMainWindow>
#include <QString>

class StatusList;

namespace Ui {
class frm_Sample;
}

// The main window: launcher, owner of the status list and of the strings all windows share.
class frm_Sample : public QMainWindow {
    Q_OBJECT
public:
    explicit frm_Sample(QWidget* parent = nullptr);
    ~frm_Sample() override;

    // The size it loads at, before the user resizes it.
    static QSize designedSize();

    // For FormInstance: the window counts as loaded until its shutdown step has finished.
    bool isUnloaded() const { return m_unloaded; }
    void Unload() { close(); }

    // Shared state (see the logging convention below).
    qint32 Counter = 0;
    QString MyErrDesc;
    QString MyExtErrDesc;
    QString MySUEDesc;
    QString MyErrLoc;
    QString MyResponse;
    QString result;

    StatusList* lstStatusResults = nullptr;

    // Translators: each writes its text into its shared string and leaves the argument unchanged.
    void WhatError(qint32& ErrCode);
    void WhatExtPrtErr(qint32& PrtExtErr);
    void WhatExtMICRErr(qint32& MICRExtErr);
    void WhatSUE(qint32& MySUECode);

    // The escape decoder.
    QString Parse(const QString& MyStr) const;

    // The logging convention, the one place that writes the status list: the line is Counter in
    // decimal followed by `pieces`; it is appended and selected, then Counter goes up by one.
    void AddStatusLine(const QString& pieces);
    // The one pattern of a device handler: WhatError(code), then a line of literal + MyErrDesc.
    // The control that answered gives the reason behind a failure, shown under the line.
    template <typename Control> void LogResult(qint32 code, const QString& literal, const Control* control) {
        LogResult(code, literal, control ? control->ResultReason() : QString());
    }
    void LogResult(qint32 code, const QString& literal, const QString& reason = {});

public Q_SLOTS:
    void cmdLoadPrinter_Click();
    void cmdLoadCashDrawer_Click();
    void cmdExit_Click();
    void MenuCtrlFileExit_Click(int Index = 1);
    void UsingSampApp_Click();
    void MenuCtrlHelpAbout_Click(int Index = 3);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void addLine(const opos::StatusLine& line);
    void Form_Load();
    void Form_Unload();
    void connectHandlers();
    void applyLook();
    void placeStatusList();

    Ui::frm_Sample* ui;
    bool m_unloading = false;
    bool m_unloaded = false;
};
