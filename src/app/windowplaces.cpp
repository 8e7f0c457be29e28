#include "app/windowplaces.h"

#include "app/centring.h"
#include "app/form.h"
#include "app/frm_sample.h"
#include "app/statuslist.h"
#include "bmbc/frmbmbc.h"
#include "drawer/frmcashdrawer.h"
#include "printer/frmprinter.h"

namespace {

template <typename Window> const Window* shown() {
    if (!FormInstance<Window>::isLoaded())
        return nullptr;
    const Window& window = FormInstance<Window>::get();
    return window.isVisible() ? &window : nullptr;
}

template <typename Window, typename Placement> QRect frameOf(const QSize& frame, Placement placement) {
    if (const Window* window = shown<Window>())
        return window->frameGeometry();
    const QSize outer = Window::designedSize() + frame;
    return {placement(outer), outer};
}

} // namespace

QList<QRect> programWindowFrames(const QRect& available, const QSize& frame) {
    const QRect main =
        frameOf<frm_Sample>(frame, [&](const QSize& outer) { return centredTopLeft(available, outer); });
    const auto beside = [&](Side side) {
        return [&available, &main, side](const QSize& outer) {
            return besideTopLeft(available, main, outer, side);
        };
    };
    return {main, frameOf<frmPrinter>(frame, beside(frmPrinter::DisplaySide)),
            frameOf<frmCashDrawer>(frame, beside(frmCashDrawer::DisplaySide)),
            frameOf<frmBMBC>(frame, [&](const QSize& outer) { return fifthTopLeft(available, outer); })};
}

QList<QRect> statusListArea() {
    const frm_Sample* main = shown<frm_Sample>();
    if (!main)
        return {};
    const StatusList* list = main->lstStatusResults;
    return {QRect(list->mapToGlobal(QPoint(0, 0)), list->size())};
}
