#pragma once

namespace virt {
class VirtualPanel;
}

// Shows a virtual printer's window when a control first opens it, unless POSLING_VIRTUAL_PANEL=0.
void installVirtualPanel();

// Puts a virtual printer's window where its user last left it, or else where it covers none of
// the other windows (sizing itself down when the screen has too little room) and never the window
// the user is working in when that can be helped.
void placeVirtualPanel(virt::VirtualPanel* panel);
