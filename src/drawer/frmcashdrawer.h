#pragma once

#include "app/form.h"
#include "opos/cashdrawer.h"

// The cash drawer window: owns the application's only cash drawer control.
class frmCashDrawer : public Form {
    Q_OBJECT
public:
    explicit frmCashDrawer(QWidget* parent = nullptr);
    ~frmCashDrawer() override;

    opos::CashDrawer* OPOSCashDrawer1 = nullptr;

    void Display();

protected:
    void Form_Unload() override;
};
