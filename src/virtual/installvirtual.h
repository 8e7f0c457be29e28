#pragma once

// Registers the "virtual:NAME" transport scheme: one shared in-process printer per name.
void installVirtualPrinter();
