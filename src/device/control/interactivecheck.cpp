#include "device/control/interactivecheck.h"

namespace device {

namespace {

InteractiveCheckPresenter& presenter() {
    static InteractiveCheckPresenter instance;
    return instance;
}

DrawerBeeper& beeper() {
    static DrawerBeeper instance;
    return instance;
}

} // namespace

void setInteractiveCheckPresenter(InteractiveCheckPresenter presenterToUse) {
    presenter() = std::move(presenterToUse);
}

void presentInteractiveCheck(const QString& title, const QString& report) {
    if (presenter())
        presenter()(title, report);
}

void setDrawerBeeper(DrawerBeeper beeperToUse) {
    beeper() = std::move(beeperToUse);
}

void soundDrawerBeeper(int frequencyHz, int durationMs) {
    if (beeper())
        beeper()(frequencyHz, durationMs);
}

} // namespace device
