#include "virtualpanel.h"

#include "paperview.h"
#include "paperwirelink.h"
#include "virtual/virtualprinter.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>
#include <functional>

namespace virt {

namespace {

constexpr double kZoomStep = 1.25;
// Below this height the wire monitor folds away, so the paper keeps the room.
constexpr int kHeightWithWireMonitor = 560;

QSettings placeSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("posling"),
                     QStringLiteral("virtual-printer"));
}

// Each printer's window has a place of its own.
QString geometryKey(const VirtualPrinter& printer) {
    return printer.name() + QStringLiteral("/geometry");
}

template <typename W> W* named(W* widget, const QString& objectName, const QString& accessibleName) {
    widget->setObjectName(objectName);
    widget->setAccessibleName(accessibleName);
    return widget;
}

} // namespace

VirtualPanel::VirtualPanel(VirtualPrinter* printer, QWidget* parent)
    : QWidget(parent, Qt::Window), m_printer(printer) {
    setObjectName(QStringLiteral("VirtualPrinterPanel"));
    setWindowTitle(tr("Virtual printer %1").arg(printer->name()));
    buildUi();
    connectAll();
    showSensors();
    showBuffer();
    showPersonality();
    m_realSpeed->setChecked(printer->dotLinesPerSecond() > 0);
    if (!printer->problem().isEmpty())
        showProblem(printer->problem());
    resize(1000, 720);
    // A printer that printed before its window opened shows its newest line and bytes first.
    paperChanged();
}

VirtualPanel::~VirtualPanel() {
    if (isVisible())
        rememberGeometry();
}

void VirtualPanel::buildUi() {
    m_paperView = new PaperView(m_printer->paper());
    m_paperScroll = named(new QScrollArea, QStringLiteral("paperScroll"), tr("Paper roll"));
    m_paperScroll->setWidget(m_paperView);
    m_paperScroll->setAlignment(Qt::AlignHCenter);
    m_paperScroll->setBackgroundRole(QPalette::Dark);

    m_zoomOut = named(new QPushButton(tr("Zoom &out")), QStringLiteral("zoomOut"), tr("Zoom out"));
    m_zoomIn = named(new QPushButton(tr("Zoom &in")), QStringLiteral("zoomIn"), tr("Zoom in"));
    m_saveReceipt = named(new QPushButton(tr("&Save receipt...")), QStringLiteral("saveReceipt"),
                          tr("Save the shown receipt as PNG"));
    auto* zoomRow = new QHBoxLayout;
    zoomRow->addWidget(m_zoomOut);
    zoomRow->addWidget(m_zoomIn);
    zoomRow->addStretch();
    zoomRow->addWidget(m_saveReceipt);
    auto* paperColumn = new QVBoxLayout;
    paperColumn->addLayout(zoomRow);
    paperColumn->addWidget(m_paperScroll, 1);

    m_cover = named(new QPushButton(tr("Open &cover")), QStringLiteral("cover"), tr("Open cover"));

    auto* paperBox = new QGroupBox(tr("Paper"));
    m_paperOk = named(new QRadioButton(tr("o&k")), QStringLiteral("paperOk"), tr("Paper ok"));
    m_paperNear =
        named(new QRadioButton(tr("&near end")), QStringLiteral("paperNearEnd"), tr("Paper near end"));
    m_paperOut = named(new QRadioButton(tr("o&ut")), QStringLiteral("paperOut"), tr("Paper out"));
    auto* paperGroup = new QButtonGroup(this);
    auto* paperLayout = new QVBoxLayout(paperBox);
    for (QRadioButton* button : {m_paperOk, m_paperNear, m_paperOut}) {
        paperGroup->addButton(button);
        paperLayout->addWidget(button);
    }

    auto* lineBox = new QGroupBox(tr("Line"));
    m_online = named(new QRadioButton(tr("On&line")), QStringLiteral("online"), tr("Online"));
    m_offline = named(new QRadioButton(tr("O&ffline")), QStringLiteral("offline"), tr("Offline"));
    auto* lineGroup = new QButtonGroup(this);
    auto* lineLayout = new QVBoxLayout(lineBox);
    for (QRadioButton* button : {m_online, m_offline}) {
        lineGroup->addButton(button);
        lineLayout->addWidget(button);
    }

    auto* drawerBox = new QGroupBox(tr("Drawer"));
    m_drawerState = named(new QLabel, QStringLiteral("drawerState"), tr("Drawer state"));
    m_closeDrawer =
        named(new QPushButton(tr("Close &drawer")), QStringLiteral("closeDrawer"), tr("Close drawer"));
    auto* drawerLayout = new QVBoxLayout(drawerBox);
    drawerLayout->addWidget(m_drawerState);
    drawerLayout->addWidget(m_closeDrawer);

    m_clearPaper =
        named(new QPushButton(tr("Clear p&aper")), QStringLiteral("clearPaper"), tr("Clear paper"));
    m_realSpeed = named(new QCheckBox(tr("&Real speed (250 mm/s)")), QStringLiteral("realSpeed"),
                        tr("Print at real speed"));
    m_realSpeed->setToolTip(tr("Print as fast as a real printer, so the cover can be opened during a job"));
    m_buffer = named(new QLabel, QStringLiteral("receiveBuffer"), tr("Receive buffer"));
    m_answers = named(new QLabel, QStringLiteral("answers"), tr("What this printer answers"));
    m_answers->setWordWrap(true);
    m_problem = named(new QLabel, QStringLiteral("problem"), tr("Problem"));
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #a00000"));
    m_problem->hide();

    auto* controls = new QVBoxLayout;
    controls->addWidget(m_cover);
    controls->addWidget(paperBox);
    controls->addWidget(lineBox);
    controls->addWidget(drawerBox);
    controls->addWidget(m_clearPaper);
    controls->addWidget(m_realSpeed);
    controls->addWidget(m_buffer);
    controls->addWidget(m_answers);
    controls->addWidget(m_problem);
    controls->addStretch();

    auto* top = new QWidget;
    m_topLayout = new QHBoxLayout(top);
    m_topLayout->setContentsMargins(0, 0, 0, 0);
    m_topLayout->addLayout(paperColumn, 1);
    m_topLayout->addLayout(controls);

    m_wire = named(new QListView, QStringLiteral("wireMonitor"), tr("Wire monitor"));
    m_wire->setModel(m_printer->wireLog());
    m_wire->setUniformItemSizes(true);
    m_wire->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_wire->setEditTriggers(QAbstractItemView::NoEditTriggers);

    m_splitter = new QSplitter(Qt::Vertical);
    m_splitter->addWidget(top);
    m_splitter->addWidget(m_wire);
    m_splitter->setStretchFactor(0, 3);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setCollapsible(0, false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_splitter);

    m_repaint = new QTimer(this);
    m_repaint->setSingleShot(true);
    m_repaint->setInterval(30);
}

void VirtualPanel::connectAll() {
    VirtualPrinter* printer = m_printer;
    connect(m_zoomIn, &QPushButton::clicked, this, [this] { zoomBy(kZoomStep); });
    connect(m_zoomOut, &QPushButton::clicked, this, [this] { zoomBy(1 / kZoomStep); });
    m_paperScroll->viewport()->installEventFilter(this); // Ctrl+wheel zooms
    connect(m_saveReceipt, &QPushButton::clicked, this, &VirtualPanel::askAndSaveReceipt);
    auto* zoomInKey = new QShortcut(QKeySequence::ZoomIn, this);
    connect(zoomInKey, &QShortcut::activated, m_zoomIn, &QPushButton::click);
    auto* zoomOutKey = new QShortcut(QKeySequence::ZoomOut, this);
    connect(zoomOutKey, &QShortcut::activated, m_zoomOut, &QPushButton::click);

    connect(m_cover, &QPushButton::clicked, printer,
            [printer] { printer->setCoverOpen(!printer->sensors().coverOpen); });
    // An option acts when it becomes selected, however that happens (a screen reader's toggle clicks
    // nothing); showSensors() reflects the printer without acting.
    const auto whenSelected = [this](QRadioButton* option, const std::function<void()>& act) {
        connect(option, &QRadioButton::toggled, m_printer, [act](bool selected) {
            if (selected)
                act();
        });
    };
    whenSelected(m_paperOk, [printer] { printer->setPaper(PaperLevel::Ok); });
    whenSelected(m_paperNear, [printer] { printer->setPaper(PaperLevel::NearEnd); });
    whenSelected(m_paperOut, [printer] { printer->setPaper(PaperLevel::Out); });
    whenSelected(m_online, [printer] { printer->setOnline(true); });
    whenSelected(m_offline, [printer] { printer->setOnline(false); });
    connect(m_closeDrawer, &QPushButton::clicked, printer->drawer(), &VirtualDrawer::close);
    connect(m_clearPaper, &QPushButton::clicked, printer->paper(), &PaperRoll::clear);
    connect(m_realSpeed, &QCheckBox::toggled, printer, [printer](bool real) {
        printer->setDotLinesPerSecond(real ? VirtualPrinter::kRealisticDotLinesPerSecond : 0);
    });
    connect(printer, &VirtualPrinter::bufferChanged, this, &VirtualPanel::showBuffer);
    connect(printer, &VirtualPrinter::personalityChanged, this, &VirtualPanel::showPersonality);

    connect(printer, &VirtualPrinter::sensorsChanged, this, &VirtualPanel::showSensors);
    connect(printer->drawer(), &VirtualDrawer::changed, this, &VirtualPanel::showSensors);
    connect(printer, &VirtualPrinter::problemFound, this, &VirtualPanel::showProblem);
    connect(printer->paper(), &PaperRoll::changed, m_repaint, qOverload<>(&QTimer::start));
    connect(m_repaint, &QTimer::timeout, this, &VirtualPanel::paperChanged);
    connect(printer->wireLog(), &QAbstractItemModel::rowsInserted, m_wire, &QListView::scrollToBottom);
    new PaperWireLink(m_paperView, m_paperScroll, m_wire, printer->wireLog(), this);
}

void VirtualPanel::showSensors() {
    if (!m_printer)
        return;
    const SensorState state = m_printer->sensors();
    const QString coverText = state.coverOpen ? tr("Close &cover") : tr("Open &cover");
    m_cover->setText(coverText);
    m_cover->setAccessibleName(state.coverOpen ? tr("Close cover") : tr("Open cover"));
    // Showing the printer's state is not the operator's choice: the options' handlers stay quiet.
    const QSignalBlocker quiet[] = {QSignalBlocker(m_paperOk), QSignalBlocker(m_paperNear),
                                    QSignalBlocker(m_paperOut), QSignalBlocker(m_online),
                                    QSignalBlocker(m_offline)};
    m_paperOk->setChecked(state.paper == PaperLevel::Ok);
    m_paperNear->setChecked(state.paper == PaperLevel::NearEnd);
    m_paperOut->setChecked(state.paper == PaperLevel::Out);
    m_online->setChecked(m_printer->isOnline());
    m_offline->setChecked(!m_printer->isOnline());
    const bool open = m_printer->drawer()->isOpen();
    m_drawerState->setText(open ? tr("Drawer open") : tr("Drawer closed"));
    m_drawerState->setAccessibleName(m_drawerState->text()); // read out the state, not a caption
    m_closeDrawer->setEnabled(open);
}

void VirtualPanel::showBuffer() {
    if (!m_printer)
        return;
    m_buffer->setText(tr("Buffer: %1 of %2 bytes")
                          .arg(m_printer->bufferedBytes())
                          .arg(m_printer->profile().receiveBufferBytes));
    m_buffer->setAccessibleName(m_buffer->text());
}

void VirtualPanel::showPersonality() {
    if (!m_printer)
        return;
    const QString what = m_printer->personality().description;
    m_answers->setText(tr("This printer %1.").arg(what));
    m_answers->setAccessibleName(m_answers->text());
}

void VirtualPanel::showProblem(const QString& message) {
    m_problem->setText(message);
    m_problem->setAccessibleName(tr("Problem: %1").arg(message));
    m_problem->show();
}

void VirtualPanel::paperChanged() {
    m_paperView->resize(m_paperView->sizeHint());
    m_paperView->update();
    // Layout settles first; then follow the newest line.
    QTimer::singleShot(0, this, &VirtualPanel::scrollToNewest);
}

void VirtualPanel::zoomBy(double factor) {
    m_paperView->setZoom(m_paperView->zoom() * factor);
}

bool VirtualPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int notches = wheel->angleDelta().y() / 120;
            if (notches != 0)
                zoomBy(std::pow(kZoomStep, notches));
            return true; // no scrolling while Ctrl is held
        }
    }
    return QWidget::eventFilter(watched, event);
}

void VirtualPanel::arrange(Arrangement arrangement) {
    m_topLayout->setDirection(arrangement == Arrangement::ControlsBelow ? QBoxLayout::TopToBottom
                                                                        : QBoxLayout::LeftToRight);
    // The window's layout keeps the splitter's least size until it hears of a change.
    m_splitter->updateGeometry();
}

VirtualPanel::Arrangement VirtualPanel::arrangement() const {
    return m_topLayout->direction() == QBoxLayout::TopToBottom ? Arrangement::ControlsBelow
                                                               : Arrangement::ControlsBeside;
}

QSize VirtualPanel::leastSize(Arrangement wanted) {
    const Arrangement was = arrangement();
    arrange(wanted);
    const QSize least = minimumSizeHint();
    arrange(was);
    return least;
}

void VirtualPanel::fitTo(const QSize& size) {
    const bool narrow = size.width() < leastSize(Arrangement::ControlsBeside).width();
    arrange(narrow ? Arrangement::ControlsBelow : Arrangement::ControlsBeside);
    layout()->activate(); // the new arrangement's least size holds before the resize
    resize(size);
    // Short, or with the controls under it, the paper takes the wire monitor's room.
    if (narrow || size.height() < kHeightWithWireMonitor)
        m_splitter->setSizes({size.height(), 0});
    // The room the paper has is known once the layout has run.
    QTimer::singleShot(0, this, &VirtualPanel::fitPaperToWidth);
}

void VirtualPanel::fitPaperToWidth() {
    const int room =
        m_paperScroll->viewport()->width() - m_paperScroll->verticalScrollBar()->sizeHint().width();
    const int paperWidth = m_paperView->sizeHint().width();
    if (room > 0 && room < paperWidth)
        m_paperView->setZoom(m_paperView->zoom() * room / paperWidth);
}

QString VirtualPanel::saveShownReceipt(const QString& path) const {
    const QPoint middle = m_paperScroll->viewport()->rect().center();
    const QImage receipt =
        m_paperView->receiptAt(m_paperView->mapFrom(m_paperScroll->viewport(), middle).y());
    if (receipt.isNull())
        return tr("No paper has been printed yet");
    QImageWriter writer(path, "png");
    if (!writer.write(receipt))
        return writer.errorString();
    return {};
}

void VirtualPanel::askAndSaveReceipt() {
    const QString path = QFileDialog::getSaveFileName(this, tr("Save receipt"), QStringLiteral("receipt.png"),
                                                      tr("PNG images (*.png)"));
    if (path.isEmpty())
        return;
    const QString problem = saveShownReceipt(path);
    if (!problem.isEmpty())
        QMessageBox::warning(this, tr("Save receipt"),
                             tr("The receipt was not saved to %1: %2").arg(path, problem));
}

QByteArray VirtualPanel::rememberedGeometry() const {
    return m_printer ? placeSettings().value(geometryKey(*m_printer)).toByteArray() : QByteArray();
}

void VirtualPanel::notePlaced(const QRect& frame) {
    m_placed = frame;
}

void VirtualPanel::rememberGeometry() {
    // A window manager nudges a new window by its frame; a move or resize beyond that is the user's.
    // A window the program never placed (a test's, say) leaves no trace.
    constexpr int kNudge = 48;
    const QRect now = frameGeometry();
    const bool moved = (now.topLeft() - m_placed.topLeft()).manhattanLength() > kNudge ||
                       qAbs(now.width() - m_placed.width()) + qAbs(now.height() - m_placed.height()) > kNudge;
    if (m_printer && m_placed.isValid() && moved)
        placeSettings().setValue(geometryKey(*m_printer), saveGeometry());
}

void VirtualPanel::hideEvent(QHideEvent* event) {
    rememberGeometry();
    QWidget::hideEvent(event);
}

void VirtualPanel::scrollToNewest() {
    QScrollBar* bar = m_paperScroll->verticalScrollBar();
    bar->setValue(bar->maximum());
    m_wire->scrollToBottom();
}

} // namespace virt
