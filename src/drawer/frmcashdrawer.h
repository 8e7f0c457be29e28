#pragma once

#include "app/form.h"
#include "app/windowdisplay.h"
#include "opos/cashdrawer.h"

namespace Ui {
class frmCashDrawer;
}

// The cash drawer window: owns the application's only cash drawer control. Every button makes
// one call on the control and logs its answer as one status line.
class frmCashDrawer : public Form {
    Q_OBJECT
public:
    explicit frmCashDrawer(QWidget* parent = nullptr);
    ~frmCashDrawer() override;

    opos::CashDrawer* OPOSCashDrawer1 = nullptr;

    // The side of the main window it first shows on, at the size it loads at.
    static constexpr Side DisplaySide = Side::Left;
    static QSize designedSize();

    // Shows the window modeless, or brings the one that is open forward.
    void Display();

public Q_SLOTS:
    void cmdOpenSOCashDrawer1_Click();
    void cmdCashDrawer1Enable_Click();
    void cmdCashDrawer1Kick_Click();
    void cmdCashDrawer1Disable_Click();
    void cmdCashDrawer1Close_Click();
    void cmdCloseForm_Click();
    void OPOSCashDrawer1_StatusUpdateEvent(qint32 Data);

protected:
    void Form_Unload() override;

private:
    DisplayBeside m_display{DisplaySide};
    void connectHandlers();

    Ui::frmCashDrawer* ui;
};
