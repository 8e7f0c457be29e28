#include "frmcashdrawer.h"
#include "ui_frmcashdrawer.h"

#include "app/frm_sample.h"
#include "app/look.h"
#include "opos/controlfactory.h"
#include "opos/oposconstants.h"
#include "opos/statuslines.h"

namespace {

const QString Drawer = QStringLiteral("CashDrawer1");

frm_Sample& mainWindow() {
    return FormInstance<frm_Sample>::get();
}

} // namespace

frmCashDrawer::frmCashDrawer(QWidget* parent) : Form(parent), ui(new Ui::frmCashDrawer) {
    ui->setupUi(this);
    // Designer fonts take whole points only.
    setPointSize(ui->Label1, 9.75, true);
    for (QPushButton* button : {ui->cmdOpenSOCashDrawer1, ui->cmdCashDrawer1Enable, ui->cmdCashDrawer1Kick,
                                ui->cmdCashDrawer1Disable, ui->cmdCashDrawer1Close})
        setPointSize(button, 8.25);
    OPOSCashDrawer1 = opos::ControlFactory::createCashDrawer().release();
    if (OPOSCashDrawer1)
        OPOSCashDrawer1->setParent(this);
    ui->cmdCloseForm->setFocus();
    connectHandlers();
}

frmCashDrawer::~frmCashDrawer() {
    delete ui;
}

void frmCashDrawer::connectHandlers() {
    connect(ui->cmdOpenSOCashDrawer1, &QPushButton::clicked, this,
            &frmCashDrawer::cmdOpenSOCashDrawer1_Click);
    connect(ui->cmdCashDrawer1Enable, &QPushButton::clicked, this,
            &frmCashDrawer::cmdCashDrawer1Enable_Click);
    connect(ui->cmdCashDrawer1Kick, &QPushButton::clicked, this, &frmCashDrawer::cmdCashDrawer1Kick_Click);
    connect(ui->cmdCashDrawer1Disable, &QPushButton::clicked, this,
            &frmCashDrawer::cmdCashDrawer1Disable_Click);
    connect(ui->cmdCashDrawer1Close, &QPushButton::clicked, this, &frmCashDrawer::cmdCashDrawer1Close_Click);
    connect(ui->cmdCloseForm, &QPushButton::clicked, this, &frmCashDrawer::cmdCloseForm_Click);
    if (OPOSCashDrawer1)
        connect(OPOSCashDrawer1, &opos::CashDrawer::StatusUpdateEvent, this,
                &frmCashDrawer::OPOSCashDrawer1_StatusUpdateEvent);
}

QSize frmCashDrawer::designedSize() {
    return designedSizeOf<Ui::frmCashDrawer>();
}

void frmCashDrawer::Display() {
    m_display.display(this, &mainWindow());
}

void frmCashDrawer::cmdOpenSOCashDrawer1_Click() {
    mainWindow().LogResult(OPOSCashDrawer1->Open(QStringLiteral("Z901-1")),
                           opos::resultLabel(Drawer, QStringLiteral("Open")), OPOSCashDrawer1);
}

void frmCashDrawer::cmdCashDrawer1Enable_Click() {
    OPOSCashDrawer1->setDeviceEnabled(true);
    mainWindow().LogResult(OPOSCashDrawer1->ResultCode(), opos::resultLabel(Drawer, QStringLiteral("Enable")),
                           OPOSCashDrawer1);
}

void frmCashDrawer::cmdCashDrawer1Kick_Click() {
    mainWindow().LogResult(OPOSCashDrawer1->OpenDrawer(),
                           opos::resultLabel(Drawer, QStringLiteral("OpenDrawer")), OPOSCashDrawer1);
}

void frmCashDrawer::cmdCashDrawer1Disable_Click() {
    OPOSCashDrawer1->setDeviceEnabled(false);
    mainWindow().LogResult(OPOSCashDrawer1->ResultCode(),
                           opos::resultLabel(Drawer, QStringLiteral("Disable")), OPOSCashDrawer1);
}

void frmCashDrawer::cmdCashDrawer1Close_Click() {
    mainWindow().LogResult(OPOSCashDrawer1->Close(), opos::resultLabel(Drawer, QStringLiteral("Close")),
                           OPOSCashDrawer1);
}

void frmCashDrawer::cmdCloseForm_Click() {
    Unload();
}

void frmCashDrawer::Form_Unload() {
    if (OPOSCashDrawer1 && OPOSCashDrawer1->State() != opos::OPOS_S_CLOSED)
        OPOSCashDrawer1->Close();
}

void frmCashDrawer::OPOSCashDrawer1_StatusUpdateEvent(qint32 Data) {
    mainWindow().AddStatusLine(opos::drawerStatusUpdateLine(Data));
}
