#pragma once

#include "app/centring.h"

class QWidget;

// Shows a modeless window, or brings the one that is open forward: restored when minimised, raised
// and activated.
void displayModeless(QWidget* window);

// Displays a working window whose first show of a load goes beside an anchor window, the main
// window, so that the anchor's status list stays in view. A window holds one for its load.
class DisplayBeside {
public:
    explicit DisplayBeside(Side preferred) : m_preferred(preferred) {}

    void display(QWidget* window, const QWidget* anchor);

private:
    Side m_preferred;
    bool m_placed = false;
};
