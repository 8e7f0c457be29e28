#pragma once

#include <QList>
#include <QRect>
#include <QSize>

#include <functional>

namespace virt {
class VirtualPanel;
}

// What the program around the virtual printer tells of its own windows, so that the printer's
// window keeps clear of the windows still to open too, not only of those open now.
struct ProgramWindows {
    // The frames where the program's windows are, or will be once they open, on `available`;
    // `frame` is what the window manager adds around a window.
    std::function<QList<QRect>(const QRect& available, const QSize& frame)> frames;
    // What must stay in view even where the printer's window fits nowhere else.
    std::function<QList<QRect>()> keptInView;
};

// Shows a virtual printer's window when a control first opens it, unless POSLING_VIRTUAL_PANEL=0.
void installVirtualPanel();

// Tells the placement below where the program's windows are and will be; unset, only the open
// windows count.
void setProgramWindows(const ProgramWindows& windows);

// Puts a virtual printer's window where its user last left it, or else where it covers none of
// the program's windows, open or to come (sizing itself down when the screen has too little
// room), and never the window the user is working in nor what the program keeps in view.
void placeVirtualPanel(virt::VirtualPanel* panel);
