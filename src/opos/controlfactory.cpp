#include "controlfactory.h"

namespace opos {

namespace {

struct Installed {
    ControlFactory::PosPrinterCreator posPrinter;
    ControlFactory::CashDrawerCreator cashDrawer;
    HostServices services;
};

Installed& installed() {
    static Installed instance;
    return instance;
}

} // namespace

std::unique_ptr<PosPrinter> ControlFactory::createPosPrinter() {
    const Installed& i = installed();
    return i.posPrinter ? i.posPrinter() : nullptr;
}

std::unique_ptr<CashDrawer> ControlFactory::createCashDrawer() {
    const Installed& i = installed();
    return i.cashDrawer ? i.cashDrawer() : nullptr;
}

void ControlFactory::setPosPrinterCreator(PosPrinterCreator creator) {
    installed().posPrinter = std::move(creator);
}

void ControlFactory::setCashDrawerCreator(CashDrawerCreator creator) {
    installed().cashDrawer = std::move(creator);
}

void ControlFactory::setHostServices(HostServices services) {
    installed().services = std::move(services);
}

const HostServices& ControlFactory::hostServices() {
    return installed().services;
}

} // namespace opos
