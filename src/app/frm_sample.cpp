#include "frm_sample.h"
#include "ui_frm_sample.h"

#include "app/centring.h"
#include "app/form.h"
#include "app/frmabout.h"
#include "app/frmusingsampleapp.h"
#include "app/look.h"
#include "app/statuslist.h"
#include "bmbc/frmbmbc.h"
#include "drawer/frmcashdrawer.h"
#include "opos/escapedecoder.h"
#include "opos/oposconstants.h"
#include "opos/resultadvice.h"
#include "opos/resulttexts.h"
#include "opos/statuslines.h"
#include "printer/frmprinter.h"

#include <QCloseEvent>
#include <QMenuBar>

// The resources live in a static library; without a reference the linker would drop them.
static void initAppResources() {
    Q_INIT_RESOURCE(posling_app);
}

namespace {

// The client area below the menu bar: 9255 x 4740 twips at 15 twips per pixel.
constexpr QSize clientSize(617, 316);
// The status list as laid out for that client area; it takes up whatever the window gains.
constexpr QRect statusListPlace(8, 120, 601, 184);
const QColor statusListText(0, 0, 128);

QSize sizeWithMenu(const QMainWindow& window) {
    return {clientSize.width(), clientSize.height() + window.menuBar()->sizeHint().height()};
}

} // namespace

frm_Sample::frm_Sample(QWidget* parent) : QMainWindow(parent), ui(new Ui::frm_Sample) {
    initAppResources();
    ui->setupUi(this);
    lstStatusResults = ui->lstStatusResults;
    lstStatusResults->lineToolTip = opos::resultAdvice;
    applyLook();
    connectHandlers();
    resize(sizeWithMenu(*this));
    ui->cmdLoadPrinter->setFocus();
    Form_Load();
}

frm_Sample::~frm_Sample() {
    delete ui;
}

QSize frm_Sample::designedSize() {
    QMainWindow window;
    Ui::frm_Sample form;
    form.setupUi(&window);
    return sizeWithMenu(window);
}

void frm_Sample::applyLook() {
    fitToWidth(ui->Label1, 24);
    for (QWidget* button : {ui->cmdLoadPrinter, ui->cmdLoadCashDrawer, ui->cmdExit})
        setPointSize(button, 9.75, true);

    QPalette palette = lstStatusResults->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    palette.setColor(QPalette::Text, statusListText);
    lstStatusResults->setPalette(palette);
    lstStatusResults->setAccessibleName(QStringLiteral("Status results"));
    ui->centralwidget->installEventFilter(this);
}

void frm_Sample::connectHandlers() {
    connect(ui->cmdLoadPrinter, &QPushButton::clicked, this, &frm_Sample::cmdLoadPrinter_Click);
    connect(ui->cmdLoadCashDrawer, &QPushButton::clicked, this, &frm_Sample::cmdLoadCashDrawer_Click);
    connect(ui->cmdExit, &QPushButton::clicked, this, &frm_Sample::cmdExit_Click);
    connect(ui->MenuCtrlFileExit, &QAction::triggered, this, [this] { MenuCtrlFileExit_Click(1); });
    connect(ui->UsingSampApp, &QAction::triggered, this, &frm_Sample::UsingSampApp_Click);
    connect(ui->MenuCtrlHelpAbout, &QAction::triggered, this, [this] { MenuCtrlHelpAbout_Click(3); });
}

void frm_Sample::Form_Load() {
    Counter = 0;
    centreOnScreen(this);
}

bool frm_Sample::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->centralwidget && event->type() == QEvent::Resize)
        placeStatusList();
    return QMainWindow::eventFilter(watched, event);
}

void frm_Sample::placeStatusList() {
    const QSize gained = ui->centralwidget->size() - clientSize;
    const QSize size = statusListPlace.size() + gained;
    lstStatusResults->setGeometry(QRect(statusListPlace.topLeft(), size.expandedTo(QSize(0, 0))));
}

// Translators ---------------------------------------------------------------------------------

void frm_Sample::WhatError(qint32& ErrCode) {
    if (ErrCode != opos::OPOS_E_EXTENDED) {
        MyErrDesc = opos::resultDescription(ErrCode, 0);
        return;
    }
    // Always the printer's extended code, whichever device answered (there is only one such code).
    const opos::PosPrinter* printer = FormInstance<frmPrinter>::get().OPOSPOSPrinter1;
    qint32 extended = printer ? printer->ResultCodeExtended() : 0;
    WhatExtPrtErr(extended);
    MyErrDesc = opos::resultDescription(ErrCode, extended);
}

void frm_Sample::WhatExtPrtErr(qint32& PrtExtErr) {
    MyExtErrDesc = opos::extendedPrinterText(PrtExtErr);
}

void frm_Sample::WhatExtMICRErr(qint32& MICRExtErr) {
    MyExtErrDesc = opos::extendedMicrText(MICRExtErr);
}

void frm_Sample::WhatSUE(qint32& MySUECode) {
    MySUEDesc = opos::statusUpdateText(MySUECode);
}

QString frm_Sample::Parse(const QString& MyStr) const {
    return opos::decodeEscapes(MyStr);
}

// Status list ---------------------------------------------------------------------------------

void frm_Sample::AddStatusLine(const QString& pieces) {
    addLine(opos::statusLine(Counter, pieces));
}

void frm_Sample::LogResult(qint32 code, const QString& literal, const QString& reason) {
    WhatError(code);
    addLine(opos::resultLine(Counter, literal + MyErrDesc, code, reason));
}

void frm_Sample::addLine(const opos::StatusLine& line) {
    lstStatusResults->AddItem(line.text);
    lstStatusResults->setListIndex(Counter);
    ++Counter;
    if (!line.note.isEmpty())
        lstStatusResults->setLineNote(lstStatusResults->ListCount() - 1, line.note);
}

// Handlers ------------------------------------------------------------------------------------

void frm_Sample::cmdLoadPrinter_Click() {
    FormInstance<frmPrinter>::get().Display();
}

void frm_Sample::cmdLoadCashDrawer_Click() {
    FormInstance<frmCashDrawer>::get().Display();
}

void frm_Sample::cmdExit_Click() {
    Unload();
}

void frm_Sample::MenuCtrlFileExit_Click(int /*Index*/) {
    cmdExit_Click();
}

void frm_Sample::UsingSampApp_Click() {
    FormInstance<frmUsingSampleApp>::get().Display();
}

void frm_Sample::MenuCtrlHelpAbout_Click(int /*Index*/) {
    FormInstance<frmAbout>::get().Display();
}

// Shutdown ------------------------------------------------------------------------------------

void frm_Sample::closeEvent(QCloseEvent* event) {
    if (!m_unloading) {
        m_unloading = true;
        Form_Unload();
        m_unloaded = true;
        deleteLater();
    }
    event->accept();
}

void frm_Sample::Form_Unload() {
    // Reaching a device window that was never opened loads it hidden; its new control is closed.
    if (opos::PosPrinter* printer = FormInstance<frmPrinter>::get().OPOSPOSPrinter1;
        printer && printer->State() != opos::OPOS_S_CLOSED)
        printer->Close();
    if (opos::CashDrawer* drawer = FormInstance<frmCashDrawer>::get().OPOSCashDrawer1;
        drawer && drawer->State() != opos::OPOS_S_CLOSED)
        drawer->Close();

    FormInstance<frmPrinter>::unload();
    FormInstance<frmAbout>::unload();
    FormInstance<frmCashDrawer>::unload();
    FormInstance<frmBMBC>::unload();
    FormInstance<frmUsingSampleApp>::unload();
}
