#include "app/windowdisplay.h"

#include <QWidget>

void displayModeless(QWidget* window) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void DisplayBeside::display(QWidget* window, const QWidget* anchor) {
    if (!m_placed) {
        placeBeside(window, anchor, m_preferred);
        m_placed = true;
    }
    displayModeless(window);
}
