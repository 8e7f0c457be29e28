#pragma once

#include "virtual/virtualprinter.h"

#include <QPointer>
#include <QWidget>

class QBoxLayout;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QListView;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSplitter;
class QTimer;

namespace virt {

class PaperView;

// The virtual printer's window: the paper, the operator's controls and the wire monitor.
class VirtualPanel : public QWidget {
    Q_OBJECT
public:
    explicit VirtualPanel(VirtualPrinter* printer, QWidget* parent = nullptr);
    ~VirtualPanel() override;

    VirtualPrinter* printer() const { return m_printer; }

    // Where the controls go: beside the paper, or under it where the room is narrow.
    enum class Arrangement { ControlsBeside, ControlsBelow };
    // The least size the window takes in an arrangement.
    QSize leastSize(Arrangement wanted);
    // Takes a smaller size than it would like: the controls go under the paper when the window is
    // narrower than they need beside it, the wire monitor folds away when it is short or narrow, and
    // the paper zooms out to fit the width.
    void fitTo(const QSize& size);
    // Saves the receipt in the middle of the paper view as PNG; the reason when it cannot.
    QString saveShownReceipt(const QString& path) const;
    // Where the user last left this printer's window, if anywhere; kept between runs.
    QByteArray rememberedGeometry() const;
    // The frame the program chose for the window: only a place the user chose is remembered.
    void notePlaced(const QRect& frame);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildUi();
    void connectAll();
    void showSensors();
    void showProblem(const QString& message);
    void showBuffer();
    void showPersonality();
    void paperChanged();
    void scrollToNewest();
    void askAndSaveReceipt();
    void zoomBy(double factor);
    void fitPaperToWidth();
    void arrange(Arrangement arrangement);
    Arrangement arrangement() const;
    void rememberGeometry();

    QPointer<VirtualPrinter> m_printer;
    PaperView* m_paperView = nullptr;
    QScrollArea* m_paperScroll = nullptr;
    QPushButton* m_zoomIn = nullptr;
    QPushButton* m_zoomOut = nullptr;
    QPushButton* m_saveReceipt = nullptr;
    QPushButton* m_cover = nullptr;
    QRadioButton* m_paperOk = nullptr;
    QRadioButton* m_paperNear = nullptr;
    QRadioButton* m_paperOut = nullptr;
    QRadioButton* m_online = nullptr;
    QRadioButton* m_offline = nullptr;
    QLabel* m_drawerState = nullptr;
    QPushButton* m_closeDrawer = nullptr;
    QPushButton* m_clearPaper = nullptr;
    QCheckBox* m_realSpeed = nullptr;
    QLabel* m_buffer = nullptr;
    QLabel* m_answers = nullptr;
    QLabel* m_problem = nullptr;
    QListView* m_wire = nullptr;
    QSplitter* m_splitter = nullptr;
    QBoxLayout* m_topLayout = nullptr;
    QRect m_placed; // the frame the program gave the window
    QTimer* m_repaint = nullptr;
};

} // namespace virt
