#include "frmprinter.h"

#include "opos/controlfactory.h"
#include "opos/oposconstants.h"

frmPrinter::frmPrinter(QWidget* parent) : Form(parent) { Form_Load(); }

frmPrinter::~frmPrinter() = default;

void frmPrinter::Form_Load() {
    MyStation = opos::PTR_S_RECEIPT;
    OPOSPOSPrinter1 = opos::ControlFactory::createPosPrinter().release();
    if (OPOSPOSPrinter1)
        OPOSPOSPrinter1->setParent(this);
}

void frmPrinter::Display() {
    show();
    raise();
    activateWindow();
}

void frmPrinter::Form_Unload() {
    if (OPOSPOSPrinter1 && OPOSPOSPrinter1->State() != opos::OPOS_S_CLOSED)
        OPOSPOSPrinter1->Close();
}
