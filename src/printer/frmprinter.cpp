#include "frmprinter.h"
#include "ui_frmprinter.h"

#include <limits>

#include "propertyreport.h"

#include "app/frm_sample.h"
#include "app/look.h"
#include "bmbc/frmbmbc.h"
#include "opos/controlfactory.h"
#include "opos/oposconstants.h"
#include "opos/resulttexts.h"
#include "opos/statuslines.h"
#include "opos/typednumber.h"

namespace {

const QString DeviceName = QStringLiteral("Z901");
const QString CrLf = QStringLiteral("\r\n");
const QString Printer = QStringLiteral("Printer");
const QString PrintNormalLabel = opos::resultLabel(Printer, QStringLiteral("PrintNormal"));
const QString RotateLabel = opos::resultLabel(Printer, QStringLiteral("RotatePrint"));
const QString ClaimLabel = opos::resultLabel(Printer, QStringLiteral("Claim"));

frm_Sample& mainWindow() {
    return FormInstance<frm_Sample>::get();
}

} // namespace

frmPrinter::frmPrinter(QWidget* parent) : Form(parent), ui(new Ui::frmPrinter) {
    ui->setupUi(this);
    // A pasted receipt may be long; the line edit's default limit would cut it without a word.
    ui->txtTextToPrint->setMaxLength(std::numeric_limits<int>::max());
    fitToWidth(ui->Label2, 13.5);
    for (QWidget* caption : std::initializer_list<QWidget*>{ui->Label1, ui->Label4, ui->chkSyncMode})
        fitToWidth(caption, caption->font().pointSizeF(), caption->font().bold());
    Form_Load();
    connectHandlers();
}

frmPrinter::~frmPrinter() {
    delete ui;
}

void frmPrinter::Form_Load() {
    MyStation = opos::PTR_S_RECEIPT;
    OPOSPOSPrinter1 = opos::ControlFactory::createPosPrinter().release();
    if (OPOSPOSPrinter1)
        OPOSPOSPrinter1->setParent(this);
    ui->cmdRotateNormal->setFocus();
}

void frmPrinter::connectHandlers() {
    connect(ui->cmdOpenPrinter, &QPushButton::clicked, this, &frmPrinter::cmdOpenPrinter_Click);
    connect(ui->cmdClaimPrinter, &QPushButton::clicked, this, &frmPrinter::cmdClaimPrinter_Click);
    connect(ui->cmdEnablePrinter, &QPushButton::clicked, this, &frmPrinter::cmdEnablePrinter_Click);
    connect(ui->cmdDisablePrinter, &QPushButton::clicked, this, &frmPrinter::cmdDisablePrinter_Click);
    connect(ui->cmdReleasePrinter, &QPushButton::clicked, this, &frmPrinter::cmdReleasePrinter_Click);
    connect(ui->cmdClosePrinter, &QPushButton::clicked, this, &frmPrinter::cmdClosePrinter_Click);
    // Every change of state counts, also the toggle of a screen reader, which clicks nothing.
    connect(ui->chkSyncMode, &QCheckBox::toggled, this, &frmPrinter::chkSyncMode_Click);
    connect(ui->Command1, &QPushButton::clicked, this, &frmPrinter::Command1_Click);
    connect(ui->cmdCloseForm, &QPushButton::clicked, this, &frmPrinter::cmdCloseForm_Click);
    connect(ui->cmdPrintNormal, &QPushButton::clicked, this, &frmPrinter::cmdPrintNormal_Click);
    connect(ui->cmdCutPaper, &QPushButton::clicked, this, &frmPrinter::cmdCutPaper_Click);
    connect(ui->cmdLineFeed, &QPushButton::clicked, this, &frmPrinter::cmdLineFeed_Click);
    connect(ui->cmdRotateLeft90, &QPushButton::clicked, this, &frmPrinter::cmdRotateLeft90_Click);
    connect(ui->cmdRotateNormal, &QPushButton::clicked, this, &frmPrinter::cmdRotateNormal_Click);
    connect(ui->cmdPrintProperties, &QPushButton::clicked, this, &frmPrinter::cmdPrintProperties_Click);
    if (OPOSPOSPrinter1) {
        connect(OPOSPOSPrinter1, &opos::PosPrinter::ErrorEvent, this,
                &frmPrinter::OPOSPOSPrinter1_ErrorEvent);
        connect(OPOSPOSPrinter1, &opos::PosPrinter::StatusUpdateEvent, this,
                &frmPrinter::OPOSPOSPrinter1_StatusUpdateEvent);
        connect(OPOSPOSPrinter1, &opos::PosPrinter::OutputCompleteEvent, this,
                &frmPrinter::OPOSPOSPrinter1_OutputCompleteEvent);
    }
}

QSize frmPrinter::designedSize() {
    return designedSizeOf<Ui::frmPrinter>();
}

void frmPrinter::Display() {
    m_display.display(this, &mainWindow());
}

// Lifecycle.

void frmPrinter::cmdOpenPrinter_Click() {
    mainWindow().LogResult(OPOSPOSPrinter1->Open(DeviceName),
                           opos::resultLabel(Printer, QStringLiteral("Open")), OPOSPOSPrinter1);
}

void frmPrinter::cmdClaimPrinter_Click() {
    // The control takes a 32-bit time-out; text that is no such number is refused here rather
    // than handed on as some arbitrary value.
    const QString text = ui->txtTimeOut->text();
    const std::optional<qint32> timeout = opos::parseTypedNumber(text);
    if (!timeout) {
        mainWindow().AddStatusLine(
            ClaimLabel + QStringLiteral("Time-out must be a whole number of milliseconds: \"%1\"").arg(text));
        return;
    }
    mainWindow().LogResult(OPOSPOSPrinter1->Claim(*timeout), ClaimLabel, OPOSPOSPrinter1);
}

void frmPrinter::cmdEnablePrinter_Click() {
    OPOSPOSPrinter1->setDeviceEnabled(true);
    mainWindow().LogResult(OPOSPOSPrinter1->ResultCode(),
                           opos::resultLabel(Printer, QStringLiteral("Enable")), OPOSPOSPrinter1);
}

void frmPrinter::cmdDisablePrinter_Click() {
    OPOSPOSPrinter1->setDeviceEnabled(false);
    mainWindow().LogResult(OPOSPOSPrinter1->ResultCode(),
                           opos::resultLabel(Printer, QStringLiteral("Disable")), OPOSPOSPrinter1);
}

void frmPrinter::cmdReleasePrinter_Click() {
    mainWindow().LogResult(OPOSPOSPrinter1->ReleaseDevice(),
                           opos::resultLabel(Printer, QStringLiteral("ReleaseDevice")), OPOSPOSPrinter1);
}

void frmPrinter::cmdClosePrinter_Click() {
    mainWindow().LogResult(OPOSPOSPrinter1->Close(), opos::resultLabel(Printer, QStringLiteral("Close")),
                           OPOSPOSPrinter1);
}

void frmPrinter::chkSyncMode_Click() {
    frm_Sample& main = mainWindow();
    const bool async = ui->chkSyncMode->isChecked();
    OPOSPOSPrinter1->setAsyncMode(async);
    main.result = QStringLiteral("AsyncMode = ") + opos::boolText(async);
    qint32 code = OPOSPOSPrinter1->ResultCode();
    main.WhatError(code);
    main.AddStatusLine(
        opos::propertySetLine(QStringLiteral("AsyncMode"), opos::boolText(async), main.MyErrDesc));
}

void frmPrinter::Command1_Click() {
    FormInstance<frmBMBC>::get().Display();
}

void frmPrinter::cmdCloseForm_Click() {
    closeDevice();
    unloadBarCodeWindow();
    Unload();
}

void frmPrinter::Form_Unload() {
    closeDevice();
    unloadBarCodeWindow();
}

void frmPrinter::closeDevice() {
    if (OPOSPOSPrinter1 && OPOSPOSPrinter1->State() != opos::OPOS_S_CLOSED)
        OPOSPOSPrinter1->Close();
}

void frmPrinter::unloadBarCodeWindow() {
    FormInstance<frmBMBC>::unload();
}

// Printing.

void frmPrinter::cmdPrintNormal_Click() {
    const QString data = mainWindow().Parse(ui->txtTextToPrint->text());
    mainWindow().LogResult(OPOSPOSPrinter1->PrintNormal(MyStation, data), PrintNormalLabel, OPOSPOSPrinter1);
}

void frmPrinter::cmdCutPaper_Click() {
    mainWindow().LogResult(OPOSPOSPrinter1->CutPaper(opos::PTR_CP_FULLCUT),
                           opos::resultLabel(Printer, QStringLiteral("Cut Paper")), OPOSPOSPrinter1);
}

void frmPrinter::cmdLineFeed_Click() {
    const QString feed = QChar(27) + QStringLiteral("|10lF");
    mainWindow().LogResult(OPOSPOSPrinter1->PrintNormal(MyStation, feed),
                           QStringLiteral(": 10 Line Feeds - "), OPOSPOSPrinter1);
}

void frmPrinter::cmdRotateLeft90_Click() {
    mainWindow().LogResult(OPOSPOSPrinter1->RotatePrint(MyStation, opos::PTR_RP_LEFT90), RotateLabel,
                           OPOSPOSPrinter1);
}

void frmPrinter::cmdRotateNormal_Click() {
    mainWindow().LogResult(OPOSPOSPrinter1->RotatePrint(MyStation, opos::PTR_RP_NORMAL), RotateLabel,
                           OPOSPOSPrinter1);
}

void frmPrinter::PrintLine(const QString& MyStr) {
    mainWindow().LogResult(OPOSPOSPrinter1->PrintNormal(opos::PTR_S_RECEIPT, MyStr + CrLf), PrintNormalLabel,
                           OPOSPOSPrinter1);
}

void frmPrinter::cmdPrintProperties_Click() {
    PropertyReport::run(*OPOSPOSPrinter1, [this](const QString& line) { PrintLine(line); });
}

// Events.

void frmPrinter::OPOSPOSPrinter1_ErrorEvent(qint32 ResultCode, qint32 ResultCodeExtended, qint32 ErrorLocus,
                                            qint32* pErrorResponse) {
    frm_Sample& main = mainWindow();
    // The response is reported as the control proposed it and left unchanged.
    const qint32 response = pErrorResponse ? *pErrorResponse : 0;
    main.MyErrLoc = opos::errorLocusText(ErrorLocus);
    main.MyResponse = opos::errorResponseText(response);
    main.MyExtErrDesc.clear();
    main.WhatError(ResultCode);
    main.AddStatusLine(opos::errorEventLine(ResultCode, ResultCodeExtended, ErrorLocus, response,
                                            OPOSPOSPrinter1->ResultCodeExtended()));
}

void frmPrinter::OPOSPOSPrinter1_StatusUpdateEvent(qint32 Data) {
    frm_Sample& main = mainWindow();
    main.WhatSUE(Data);
    main.AddStatusLine(opos::printerStatusUpdateLine(Data));
}

void frmPrinter::OPOSPOSPrinter1_OutputCompleteEvent(qint32 OutputID) {
    mainWindow().AddStatusLine(opos::outputCompleteLine(OutputID));
}
