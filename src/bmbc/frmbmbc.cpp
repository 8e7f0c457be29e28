#include "frmbmbc.h"
#include "ui_frmbmbc.h"

#include "barcodechoices.h"

#include "app/centring.h"
#include "app/frm_sample.h"
#include "app/look.h"
#include "app/messagebox.h"
#include "app/windowdisplay.h"
#include "opos/escapedecoder.h"
#include "opos/oposconstants.h"
#include "opos/typednumber.h"
#include "printer/frmprinter.h"

#include <QApplication>
#include <QFocusEvent>
#include <QTimer>

#include <limits>

namespace {

const QString IllegalValueTitle = QStringLiteral("Illegal Value");
const QString DownForSymbologies = QStringLiteral("Down for Symbologies");
const QString DefaultBarCodeData = QStringLiteral("Enter Bar Code Data Here");
const QString DefaultHeight = QStringLiteral("162");
const QString WholeNumberRange = QStringLiteral(" must be a whole number from -2147483648 to 2147483647.");

frm_Sample& mainWindow() {
    return FormInstance<frm_Sample>::get();
}

frmPrinter& printerWindow() {
    return FormInstance<frmPrinter>::get();
}

// Swallows the mouse press whose focus change was just refused, so the click that tried to leave
// a box (on a button or an option) does not go on to act; goes away by the next event loop turn.
class RefusedPressEater : public QObject {
public:
    explicit RefusedPressEater(QObject* parent) : QObject(parent) {
        qApp->installEventFilter(this);
        QTimer::singleShot(0, this, &QObject::deleteLater);
    }
    ~RefusedPressEater() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject*, QEvent* event) override {
        if (m_used ||
            (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick))
            return false;
        m_used = true;
        event->accept();
        return true;
    }

private:
    bool m_used = false;
};

} // namespace

frmBMBC::frmBMBC(QWidget* parent) : Form(parent), ui(new Ui::frmBMBC) {
    ui->setupUi(this);
    // Pasted data (a long 2D symbol, a long path) must not be cut without a word.
    for (QLineEdit* box : {ui->txtBCData, ui->txtBMPath})
        box->setMaxLength(std::numeric_limits<int>::max());
    // The boxes keep their designed sizes; a caption that runs wider gets a smaller font instead.
    for (QWidget* caption : findChildren<QWidget*>())
        if (qobject_cast<QLabel*>(caption) || qobject_cast<QRadioButton*>(caption))
            fitToWidth(caption, caption->font().pointSizeF());
    // The width box covers the end of its option as designed, so that caption must end before the box.
    QRadioButton* const ownWidth = ui->optBMMywidth;
    const int designedWidth = ownWidth->width();
    ownWidth->resize(ui->txtBMWidth->x() - ownWidth->x(), ownWidth->height());
    fitToWidth(ownWidth, ownWidth->font().pointSizeF());
    ownWidth->resize(designedWidth, ownWidth->height());
    // Typed names must match exactly: no completion may change what the user wrote.
    ui->cboSymbology->setCompleter(nullptr);
    ui->cboSymbology->setCurrentIndex(-1);
    ui->cboSymbology->setEditText(DownForSymbologies);
    m_parameterBoxes = {{ui->txtBCWManual, &frmBMBC::MyBCWidth},
                        {ui->txtBCAlignIll, &frmBMBC::MyBCAlignment},
                        {ui->txtHRCIllegal, &frmBMBC::MyBCTextPos},
                        {ui->txtBMWidth, &frmBMBC::MyBMWidth},
                        {ui->txtBMAlignIll, &frmBMBC::MyBMAlignment}};
    connectHandlers();
    Form_Load();
}

frmBMBC::~frmBMBC() {
    // Children losing the focus while they go must not count as leaving a box.
    m_unloading = true;
    delete ui;
}

void frmBMBC::connectHandlers() {
    // `toggled` fires for every way an option gets selected: mouse, keyboard, program and
    // assistive tools. Deselection runs nothing.
    struct OptionValue {
        QRadioButton* option;
        qint32 frmBMBC::*target;
        qint32 value;
    };
    const OptionValue optionValues[] = {
        {ui->optBCWSmall, &frmBMBC::MyBCWidth, 2},
        {ui->optBCWMedium, &frmBMBC::MyBCWidth, 3},
        {ui->optBCWLarge, &frmBMBC::MyBCWidth, 4},
        {ui->optBCLeft, &frmBMBC::MyBCAlignment, opos::PTR_BC_LEFT},
        {ui->optBCCenter, &frmBMBC::MyBCAlignment, opos::PTR_BC_CENTER},
        {ui->optBCRight, &frmBMBC::MyBCAlignment, opos::PTR_BC_RIGHT},
        {ui->optHRCNone, &frmBMBC::MyBCTextPos, opos::PTR_BC_TEXT_NONE},
        {ui->optHRCAbove, &frmBMBC::MyBCTextPos, opos::PTR_BC_TEXT_ABOVE},
        {ui->optHRCBelow, &frmBMBC::MyBCTextPos, opos::PTR_BC_TEXT_BELOW},
        {ui->optBMAsIs, &frmBMBC::MyBMWidth, opos::PTR_BM_ASIS},
        {ui->optBMLeft, &frmBMBC::MyBMAlignment, opos::PTR_BM_LEFT},
        {ui->optBMCenter, &frmBMBC::MyBMAlignment, opos::PTR_BM_CENTER},
        {ui->optBMRight, &frmBMBC::MyBMAlignment, opos::PTR_BM_RIGHT},
    };
    for (const auto& [option, target, value] : optionValues)
        connect(option, &QRadioButton::toggled, this, [this, target = target, value = value](bool selected) {
            if (selected)
                this->*target = value;
        });
    const std::pair<QRadioButton*, QLineEdit*> focusTargets[] = {{ui->optBCWManual, ui->txtBCWManual},
                                                                 {ui->optBCAlignIll, ui->txtBCAlignIll},
                                                                 {ui->optHRCIllegal, ui->txtHRCIllegal},
                                                                 {ui->optBMMywidth, ui->txtBMWidth},
                                                                 {ui->optBMAlignIll, ui->txtBMAlignIll}};
    for (const auto& [option, box] : focusTargets)
        connect(option, &QRadioButton::toggled, box, [box](bool selected) {
            if (selected)
                box->setFocus(Qt::OtherFocusReason);
        });

    for (const ParameterBox& parameter : m_parameterBoxes)
        parameter.box->installEventFilter(this);
    // The line edit hands its focus to the combo box, so the combo box is the one that leaves.
    ui->cboSymbology->installEventFilter(this);
    // Keystrokes only: picking from the list sets the text without an edit.
    connect(ui->cboSymbology->lineEdit(), &QLineEdit::textEdited, this, &frmBMBC::cboSymbology_Change);

    connect(ui->cmdPrintBarCode, &QPushButton::clicked, this, &frmBMBC::cmdPrintBarCode_Click);
    connect(ui->cmdSample, &QPushButton::clicked, this, &frmBMBC::cmdSample_Click);
    connect(ui->cmdPrintBitmap, &QPushButton::clicked, this, &frmBMBC::cmdPrintBitmap_Click);
    connect(ui->cmdSetBitmap, &QPushButton::clicked, this, &frmBMBC::cmdSetBitmap_Click);
    connect(ui->cmdResetAll, &QPushButton::clicked, this, &frmBMBC::cmdResetAll_Click);
    connect(ui->cmdCloseForm, &QPushButton::clicked, this, &frmBMBC::cmdCloseForm_Click);
}

void frmBMBC::Form_Load() {
    placeAtFifth(this);
    ui->txtBMPath->setEnabled(true);
    resetAllChoices();
    ui->txtBMPath->setFocus();
}

void frmBMBC::Form_Unload() {
    m_unloading = true;
}

QSize frmBMBC::designedSize() {
    return designedSizeOf<Ui::frmBMBC>();
}

void frmBMBC::Display() {
    displayModeless(this);
}

void frmBMBC::Alert() {
    MessageBox::warning(this, IllegalValueTitle,
                        QStringLiteral("This value cannot be NULL! Please enter a value"));
}

QString frmBMBC::ParseMe(const QString& MyStr) const {
    return opos::decodeEscapes(MyStr);
}

// Choices ----------------------------------------------------------------------------------------

void frmBMBC::cmdResetAll_Click() {
    if (takeFocus(ui->cmdResetAll))
        resetAllChoices();
}

// Each option is selected after its box is emptied, and its value restored with it: selecting an
// option that is already selected runs no handler, and a number typed into a box may be in force.
// The symbology code is left alone.
void frmBMBC::resetAllChoices() {
    ui->txtBCData->setText(DefaultBarCodeData);
    ui->txtBCHeight->setText(DefaultHeight);
    setSymbologyText(DownForSymbologies);
    ui->txtBCWManual->clear();
    ui->optBCWMedium->setChecked(true);
    ui->txtHRCIllegal->clear();
    ui->optHRCBelow->setChecked(true);
    ui->txtBMWidth->clear();
    ui->optBMAsIs->setChecked(true);
    ui->txtBMPath->setText(QCoreApplication::applicationDirPath() + QStringLiteral("/test.bmp"));
    ui->txtBCAlignIll->clear();
    ui->optBCCenter->setChecked(true);
    ui->txtBMAlignIll->clear();
    ui->optBMCenter->setChecked(true);
    restoreBarCodeValues();
    MyBMWidth = opos::PTR_BM_ASIS;
    MyBMAlignment = opos::PTR_BM_CENTER;
}

void frmBMBC::restoreBarCodeValues() {
    MyBCWidth = 3;
    MyBCTextPos = opos::PTR_BC_TEXT_BELOW;
    MyBCAlignment = opos::PTR_BC_CENTER;
}

// A program change of the box's text counts as an edit when the text really changes.
void frmBMBC::setSymbologyText(const QString& text) {
    const bool changed = ui->cboSymbology->currentText() != text;
    ui->cboSymbology->setCurrentIndex(-1);
    ui->cboSymbology->setEditText(text);
    if (changed)
        cboSymbology_Change();
}

void frmBMBC::cboSymbology_Change() {
    resetBarCodeChoices();
}

void frmBMBC::resetBarCodeChoices() {
    ui->txtBCData->setText(DefaultBarCodeData);
    ui->txtBCHeight->setText(DefaultHeight);
    ui->txtBCWManual->clear();
    ui->optBCWMedium->setChecked(true);
    ui->txtHRCIllegal->clear();
    ui->optHRCBelow->setChecked(true);
    ui->txtBCAlignIll->clear();
    ui->optBCCenter->setChecked(true);
    restoreBarCodeValues();
}

void frmBMBC::cboSymbology_LostFocus() {
    if (const std::optional<qint32> code = bmbc::symbologyCode(ui->cboSymbology->currentText()))
        MySymbology = *code;
}

// Leaving -----------------------------------------------------------------------------------------

bool frmBMBC::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (countsAsLeaving(reason)) {
            if (watched == ui->cboSymbology)
                cboSymbology_LostFocus();
            for (const ParameterBox& parameter : m_parameterBoxes)
                if (watched == parameter.box)
                    parameterBox_LostFocus(parameter, reason);
        }
    }
    return Form::eventFilter(watched, event);
}

// Switching windows, opening a popup (the symbology list, a context menu) or working in it, and the
// focus coming back after a refusal are not leaving; neither is anything while the window goes away.
bool frmBMBC::countsAsLeaving(Qt::FocusReason reason) const {
    return !m_refusingLeave && !m_unloading && reason != Qt::ActiveWindowFocusReason &&
           reason != Qt::PopupFocusReason && !QApplication::activePopupWidget();
}

void frmBMBC::parameterBox_LostFocus(const ParameterBox& parameter, Qt::FocusReason reason) {
    const QString text = parameter.box->text();
    if (text.isEmpty()) {
        refuseLeave(parameter.box, QString(), reason);
        return;
    }
    if (const std::optional<qint32> number = opos::parseTypedNumber(text))
        this->*parameter.value = *number;
    else
        refuseLeave(parameter.box, QStringLiteral("This value") + WholeNumberRange, reason);
}

// Shows why the box cannot be left and puts the focus back. The box the focus was going to loses
// it again at once; that is not its leaving, so only one message appears.
void frmBMBC::refuseLeave(QLineEdit* box, const QString& text, Qt::FocusReason reason) {
    m_refusingLeave = true;
    ++m_refusals;
    if (text.isEmpty())
        Alert();
    else
        MessageBox::warning(this, IllegalValueTitle, text);
    if (reason == Qt::MouseFocusReason)
        new RefusedPressEater(this);
    box->setFocus(Qt::OtherFocusReason);
    m_refusingLeave = false;
}

// A button takes the focus before it acts, so a pending leave step runs first; if that step
// keeps the focus where it was, the button does nothing.
bool frmBMBC::takeFocus(QWidget* button) {
    const int refusals = m_refusals;
    button->setFocus(Qt::OtherFocusReason);
    return refusals == m_refusals;
}

std::optional<qint32> frmBMBC::readNumberBox(QLineEdit* box, const QString& what) {
    const std::optional<qint32> number = opos::parseTypedNumber(box->text());
    if (!number) {
        MessageBox::warning(this, IllegalValueTitle, what + WholeNumberRange);
        box->setFocus(Qt::OtherFocusReason);
    }
    return number;
}

// Printing ----------------------------------------------------------------------------------------

void frmBMBC::cmdPrintBarCode_Click() {
    if (!takeFocus(ui->cmdPrintBarCode))
        return;
    const QString typed = ui->txtBCData->text();
    const QString data = MySymbology == opos::PTR_BCS_Code128 ? ParseMe(typed) : typed;
    const qint32 station = printerWindow().MyStation;
    const std::optional<qint32> height =
        readNumberBox(ui->txtBCHeight, QStringLiteral("The bar code height"));
    if (!height)
        return;
    mainWindow().LogResult(printerWindow().OPOSPOSPrinter1->PrintBarCode(
                               station, data, MySymbology, *height, MyBCWidth, MyBCAlignment, MyBCTextPos),
                           QStringLiteral(":  Result of Printer::PrintBarCode:  "),
                           printerWindow().OPOSPOSPrinter1);
}

void frmBMBC::cmdSample_Click() {
    if (!takeFocus(ui->cmdSample))
        return;
    if (const std::optional<QString> sample = bmbc::barCodeSample(MyBCWidth, MySymbology))
        ui->txtBCData->setText(*sample);
}

void frmBMBC::cmdPrintBitmap_Click() {
    if (!takeFocus(ui->cmdPrintBitmap))
        return;
    const qint32 station = printerWindow().MyStation;
    mainWindow().LogResult(printerWindow().OPOSPOSPrinter1->PrintBitmap(station, ui->txtBMPath->text(),
                                                                        MyBMWidth, MyBMAlignment),
                           QStringLiteral(":  Result of Printer::PrintBitmap:  "),
                           printerWindow().OPOSPOSPrinter1);
}

void frmBMBC::cmdSetBitmap_Click() {
    if (!takeFocus(ui->cmdSetBitmap))
        return;
    const std::optional<qint32> number =
        readNumberBox(ui->txtBitmapNumber, QStringLiteral("The bitmap number"));
    if (!number)
        return;
    const qint32 station = printerWindow().MyStation;
    mainWindow().LogResult(printerWindow().OPOSPOSPrinter1->SetBitmap(*number, station, ui->txtBMPath->text(),
                                                                      MyBMWidth, MyBMAlignment),
                           QStringLiteral(":  Result of Printer::SetBitmap:  "),
                           printerWindow().OPOSPOSPrinter1);
}

void frmBMBC::cmdCloseForm_Click() {
    if (takeFocus(ui->cmdCloseForm))
        Unload();
}
