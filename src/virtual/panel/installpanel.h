#pragma once

// Shows a virtual printer's window when a control first opens it, unless POSLING_VIRTUAL_PANEL=0.
void installVirtualPanel();
