#pragma once

#include "app/form.h"
#include "app/windowdisplay.h"
#include "opos/posprinter.h"

namespace Ui {
class frmPrinter;
}

// The printer window: owns the application's only POS printer control. Every button makes one
// call on the control and logs its answer as one status line; the window never checks the
// device state first.
class frmPrinter : public Form {
    Q_OBJECT
public:
    explicit frmPrinter(QWidget* parent = nullptr);
    ~frmPrinter() override;

    opos::PosPrinter* OPOSPOSPrinter1 = nullptr;
    qint32 MyStation = 2;

    // The side of the main window it first shows on, at the size it loads at.
    static constexpr Side DisplaySide = Side::Right;
    static QSize designedSize();

    // Shows the window modeless, or brings the one that is open forward.
    void Display();
    // Prints MyStr followed by CR LF on the receipt station and logs the result.
    void PrintLine(const QString& MyStr);

public Q_SLOTS:
    void cmdOpenPrinter_Click();
    void cmdClaimPrinter_Click();
    void cmdEnablePrinter_Click();
    void cmdDisablePrinter_Click();
    void cmdReleasePrinter_Click();
    void cmdClosePrinter_Click();
    void chkSyncMode_Click();
    void Command1_Click();
    void cmdCloseForm_Click();

    void cmdPrintNormal_Click();
    void cmdCutPaper_Click();
    void cmdLineFeed_Click();
    void cmdRotateLeft90_Click();
    void cmdRotateNormal_Click();

    void cmdPrintProperties_Click();

    void OPOSPOSPrinter1_ErrorEvent(qint32 ResultCode, qint32 ResultCodeExtended, qint32 ErrorLocus,
                                    qint32* pErrorResponse);
    void OPOSPOSPrinter1_StatusUpdateEvent(qint32 Data);
    void OPOSPOSPrinter1_OutputCompleteEvent(qint32 OutputID);

protected:
    void Form_Unload() override;

private:
    DisplayBeside m_display{DisplaySide};
    void Form_Load();
    void connectHandlers();
    void closeDevice();
    void unloadBarCodeWindow();

    Ui::frmPrinter* ui;
};
