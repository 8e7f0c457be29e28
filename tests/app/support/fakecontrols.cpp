#include "fakecontrols.h"

#include "opos/controlfactory.h"

FakeControls::FakeControls() {
    opos::ControlFactory::setPosPrinterCreator([this] {
        auto printer = std::make_unique<FakePosPrinter>(log);
        m_printer = printer.get();
        return printer;
    });
    opos::ControlFactory::setCashDrawerCreator([this] {
        auto drawer = std::make_unique<FakeCashDrawer>(log);
        m_drawer = drawer.get();
        return drawer;
    });
}

FakeControls::~FakeControls() {
    opos::ControlFactory::setPosPrinterCreator({});
    opos::ControlFactory::setCashDrawerCreator({});
}
