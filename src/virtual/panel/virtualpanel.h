#pragma once

#include "virtual/virtualprinter.h"

#include <QPointer>
#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QListView;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QTimer;

namespace virt {

class PaperView;

// The virtual printer's window: the paper, the operator's controls and the wire monitor.
class VirtualPanel : public QWidget {
    Q_OBJECT
public:
    explicit VirtualPanel(VirtualPrinter* printer, QWidget* parent = nullptr);

    VirtualPrinter* printer() const { return m_printer; }

private:
    void buildUi();
    void connectAll();
    void showSensors();
    void showProblem(const QString& message);
    void showBuffer();
    void paperChanged();
    void scrollToNewest();

    QPointer<VirtualPrinter> m_printer;
    PaperView* m_paperView = nullptr;
    QScrollArea* m_paperScroll = nullptr;
    QPushButton* m_zoomIn = nullptr;
    QPushButton* m_zoomOut = nullptr;
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
    QLabel* m_problem = nullptr;
    QListView* m_wire = nullptr;
    QTimer* m_repaint = nullptr;
};

} // namespace virt
