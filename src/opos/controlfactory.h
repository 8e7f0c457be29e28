#pragma once

#include "cashdrawer.h"
#include "posprinter.h"

#include <functional>
#include <memory>

namespace opos {

// What the program lends the controls it makes: the dialog that shows an interactive health check
// (CheckHealth level 3; without it the check reports only in CheckHealthText), the question it may
// ask there (no one to ask: no), and the bell for a drawer left open (WaitForDrawerClose; silent
// without it).
struct HostServices {
    std::function<void(const QString& title, const QString& report)> showInteractiveCheck;
    std::function<bool(const QString& title, const QString& question)> askOperator;
    std::function<void(int frequencyHz, int durationMs)> ringBell;

    void presentInteractiveCheck(const QString& title, const QString& report) const {
        if (showInteractiveCheck)
            showInteractiveCheck(title, report);
    }
    bool ask(const QString& title, const QString& question) const {
        return askOperator && askOperator(title, question);
    }
    void ring(int frequencyHz, int durationMs) const {
        if (ringBell)
            ringBell(frequencyHz, durationMs);
    }
};

// The one place where windows and plans get their controls. The program installs the real controls
// and its host services at start-up; tests install fakes. Without an installed creator no control
// can be made.
class ControlFactory {
public:
    using PosPrinterCreator = std::function<std::unique_ptr<PosPrinter>()>;
    using CashDrawerCreator = std::function<std::unique_ptr<CashDrawer>()>;

    static std::unique_ptr<PosPrinter> createPosPrinter();
    static std::unique_ptr<CashDrawer> createCashDrawer();

    static void setPosPrinterCreator(PosPrinterCreator creator);
    static void setCashDrawerCreator(CashDrawerCreator creator);
    // What a creator hands the controls it makes.
    static void setHostServices(HostServices services);
    static const HostServices& hostServices();
};

} // namespace opos
