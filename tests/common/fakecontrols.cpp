#include "fakecontrols.h"

#include "opos/controlfactory.h"

FakeControls::FakeControls() {
    FakePosPrinter::install(log);
    FakeCashDrawer::install(log);
}

FakeControls::~FakeControls() {
    opos::ControlFactory::setPosPrinterCreator({});
    opos::ControlFactory::setCashDrawerCreator({});
}
