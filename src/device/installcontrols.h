#pragma once

// Registers the transports of real printers (tcp, file, serial) and makes the control factory
// hand out our POS printer and cash drawer controls. The virtual printer registers its own scheme.
void installDeviceControls();
