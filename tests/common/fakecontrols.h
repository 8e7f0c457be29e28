#pragma once

#include "fakecashdrawer.h"
#include "fakeposprinter.h"

// For as long as it lives, every control the factory makes is a fake, noting what it is asked to do
// in one log for both devices; remembers the newest fake of each made since.
class FakeControls {
public:
    FakeControls();
    ~FakeControls();

    CallLog log = std::make_shared<QStringList>();
    FakePosPrinter* printer() const { return FakePosPrinter::lastAfter(m_printersBefore); }
    FakeCashDrawer* drawer() const { return FakeCashDrawer::lastAfter(m_drawersBefore); }

private:
    qsizetype m_printersBefore = FakePosPrinter::created().size();
    qsizetype m_drawersBefore = FakeCashDrawer::created().size();
};
