#pragma once

#include "cashdrawer.h"
#include "posprinter.h"

#include <functional>
#include <memory>

namespace opos {

// The one place where windows get their controls. The program installs the real controls at
// start-up; tests install fakes. Without an installed creator no control can be made.
class ControlFactory {
public:
    using PosPrinterCreator = std::function<std::unique_ptr<PosPrinter>()>;
    using CashDrawerCreator = std::function<std::unique_ptr<CashDrawer>()>;

    static std::unique_ptr<PosPrinter> createPosPrinter();
    static std::unique_ptr<CashDrawer> createCashDrawer();

    static void setPosPrinterCreator(PosPrinterCreator creator);
    static void setCashDrawerCreator(CashDrawerCreator creator);
};

} // namespace opos
