#include "support/controlstages.h"
#include "support/devicerig.h"
#include "support/fakeprinter.h"

#include <QTest>

// Who holds a device: claims between controls of this program, a busy connection, the cap on a
// claim that would wait for ever.
class TestClaims : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Exclusive use between two printer controls of this program; the drawer never takes the claim.
    void printerClaimIsExclusive() {
        DeviceRig rig;
        CashDrawerControl drawer;
        bring(drawer, Enabled);
        PosPrinterControl first;
        PosPrinterControl second;
        bring(first, Claimed);
        QVERIFY(second.Open(QStringLiteral("P")) == OPOS_SUCCESS);
        QCOMPARE(second.Claim(30), OPOS_E_TIMEOUT);
        second.setDeviceEnabled(true);
        QCOMPARE(second.ResultCode(), OPOS_E_CLAIMED);
        QCOMPARE(second.PrintNormal(PTR_S_RECEIPT, QStringLiteral("x")), OPOS_E_CLAIMED);
        QCOMPARE(first.ReleaseDevice(), OPOS_SUCCESS);
        QCOMPARE(second.Claim(0), OPOS_SUCCESS);
        // The drawer kept the connection through all of it.
        QCOMPARE(drawer.OpenDrawer(), OPOS_SUCCESS);
    }

    void busyConnectionIsRetriedUntilTheTimeout() {
        DeviceRig rig;
        PosPrinterControl p;
        bring(p, Opened);
        MemoryTransport* t = FakePrinter::of(QStringLiteral("P"))->transport();
        t->setOpenAnswer(Transport::OpenStatus::Busy, QStringLiteral("held elsewhere"));
        QCOMPARE(p.Claim(0), OPOS_E_TIMEOUT);
        QCOMPARE(t->openAttempts(), 1);
        QCOMPARE(p.Claim(60), OPOS_E_TIMEOUT);
        QVERIFY(t->openAttempts() > 2);
        t->setOpenAnswer(Transport::OpenStatus::Failed, QStringLiteral("no such device"));
        QCOMPARE(p.Claim(1000), OPOS_E_NOHARDWARE);
        t->setOpenAnswer(Transport::OpenStatus::Opened);
        QCOMPARE(p.Claim(OPOS_FOREVER), OPOS_SUCCESS);
    }

    // OPOS_FOREVER is cut to the entry's forever_cap: a claim held by another control can never
    // hang the program, for the printer as for the drawer.
    void claimForeverEndsAtTheCap() {
        DeviceRig rig(QStringLiteral("[Q]\nclass=POSPrinter\nconnection=memory:Q\ntimeout=150\n"
                                     "retry_interval=10\nforever_cap=40\n"
                                     "[E]\nclass=CashDrawer\nprinter=Q\n"));
        PosPrinterControl holder;
        PosPrinterControl waiter;
        QCOMPARE(holder.Open(QStringLiteral("Q")), OPOS_SUCCESS);
        QCOMPARE(holder.Claim(0), OPOS_SUCCESS);
        QCOMPARE(waiter.Open(QStringLiteral("Q")), OPOS_SUCCESS);
        QCOMPARE(waiter.Claim(OPOS_FOREVER), OPOS_E_TIMEOUT);
        QCOMPARE(waiter.Claim(-2), OPOS_E_ILLEGAL);
        CashDrawerControl drawerHolder;
        CashDrawerControl drawerWaiter;
        QCOMPARE(drawerHolder.Open(QStringLiteral("E")), OPOS_SUCCESS);
        QCOMPARE(drawerHolder.Claim(0), OPOS_SUCCESS);
        QCOMPARE(drawerWaiter.Open(QStringLiteral("E")), OPOS_SUCCESS);
        QCOMPARE(drawerWaiter.Claim(OPOS_FOREVER), OPOS_E_TIMEOUT);
        QCOMPARE(drawerHolder.Close(), OPOS_SUCCESS);
        QCOMPARE(drawerWaiter.Claim(OPOS_FOREVER), OPOS_SUCCESS);
    }

    void drawerClaimKeepsOtherDrawerControlsOut() {
        DeviceRig rig;
        CashDrawerControl holder;
        CashDrawerControl other;
        bring(holder, Claimed);
        bring(other, Enabled);
        QCOMPARE(other.OpenDrawer(), OPOS_E_CLAIMED);
        QCOMPARE(other.Claim(20), OPOS_E_TIMEOUT);
        QCOMPARE(holder.ReleaseDevice(), OPOS_SUCCESS);
        QCOMPARE(other.OpenDrawer(), OPOS_SUCCESS);
    }
};

QTEST_GUILESS_MAIN(TestClaims)
#include "tst_claims.moc"
