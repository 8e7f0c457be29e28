#include "controlfactory.h"

namespace opos {

namespace {

ControlFactory::PosPrinterCreator& posPrinterCreator() {
    static ControlFactory::PosPrinterCreator creator;
    return creator;
}

ControlFactory::CashDrawerCreator& cashDrawerCreator() {
    static ControlFactory::CashDrawerCreator creator;
    return creator;
}

} // namespace

std::unique_ptr<PosPrinter> ControlFactory::createPosPrinter() {
    return posPrinterCreator() ? posPrinterCreator()() : nullptr;
}

std::unique_ptr<CashDrawer> ControlFactory::createCashDrawer() {
    return cashDrawerCreator() ? cashDrawerCreator()() : nullptr;
}

void ControlFactory::setPosPrinterCreator(PosPrinterCreator creator) {
    posPrinterCreator() = std::move(creator);
}

void ControlFactory::setCashDrawerCreator(CashDrawerCreator creator) {
    cashDrawerCreator() = std::move(creator);
}

} // namespace opos
