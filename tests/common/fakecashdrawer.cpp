#include "fakecashdrawer.h"

#include "opos/controlfactory.h"

void FakeCashDrawer::install(const CallLog& log) {
    opos::ControlFactory::setCashDrawerCreator(
        [log] { return std::unique_ptr<opos::CashDrawer>(make(log)); });
}
