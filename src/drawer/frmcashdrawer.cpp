#include "frmcashdrawer.h"

#include "opos/controlfactory.h"
#include "opos/oposconstants.h"

frmCashDrawer::frmCashDrawer(QWidget* parent) : Form(parent) {
    OPOSCashDrawer1 = opos::ControlFactory::createCashDrawer().release();
    if (OPOSCashDrawer1)
        OPOSCashDrawer1->setParent(this);
}

frmCashDrawer::~frmCashDrawer() = default;

void frmCashDrawer::Display() {
    show();
    raise();
    activateWindow();
}

void frmCashDrawer::Form_Unload() {
    if (OPOSCashDrawer1 && OPOSCashDrawer1->State() != opos::OPOS_S_CLOSED)
        OPOSCashDrawer1->Close();
}
