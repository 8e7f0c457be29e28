#include "device/control/cashdrawercontrol.h"
#include "device/control/posprintercontrol.h"
#include "support/controlstages.h"
#include "support/devicerig.h"
#include "support/fakeprinter.h"

#include <QTest>

#include <functional>

using namespace device;
using namespace opos;

namespace {

qint32 afterSet(PosPrinterControl& p, const std::function<void()>& set) {
    set();
    return p.ResultCode();
}

} // namespace

Q_DECLARE_METATYPE(PrinterCall)
Q_DECLARE_METATYPE(DrawerCall)

class TestControlStates : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void printer_data() {
        QTest::addColumn<PrinterCall>("call");
        QTest::addColumn<QList<int>>("expected"); // closed, opened, claimed, enabled
        const QString missing = QStringLiteral("/nonexistent/logo.bmp");
        const auto row = [](const char* name, PrinterCall call, QList<int> expected) {
            QTest::newRow(name) << call << expected;
        };
        row("Open", [](auto& p) { return p.Open(QStringLiteral("P")); },
            {OPOS_SUCCESS, OPOS_E_ILLEGAL, OPOS_E_ILLEGAL, OPOS_E_ILLEGAL});
        row("Claim", [](auto& p) { return p.Claim(0); },
            {OPOS_E_CLOSED, OPOS_SUCCESS, OPOS_SUCCESS, OPOS_SUCCESS});
        row("Claim -2", [](auto& p) { return p.Claim(-2); },
            {OPOS_E_CLOSED, OPOS_E_ILLEGAL, OPOS_SUCCESS, OPOS_SUCCESS});
        row("ReleaseDevice", [](auto& p) { return p.ReleaseDevice(); },
            {OPOS_E_CLOSED, OPOS_E_ILLEGAL, OPOS_SUCCESS, OPOS_SUCCESS});
        row("Close", [](auto& p) { return p.Close(); },
            {OPOS_E_CLOSED, OPOS_SUCCESS, OPOS_SUCCESS, OPOS_SUCCESS});
        row("enable", [](auto& p) { return afterSet(p, [&] { p.setDeviceEnabled(true); }); },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_SUCCESS, OPOS_SUCCESS});
        row("disable", [](auto& p) { return afterSet(p, [&] { p.setDeviceEnabled(false); }); },
            {OPOS_E_CLOSED, OPOS_SUCCESS, OPOS_SUCCESS, OPOS_SUCCESS});
        row("AsyncMode", [](auto& p) { return afterSet(p, [&] { p.setAsyncMode(true); }); },
            {OPOS_E_CLOSED, OPOS_SUCCESS, OPOS_SUCCESS, OPOS_SUCCESS});
        row("FreezeEvents", [](auto& p) { return afterSet(p, [&] { p.setFreezeEvents(true); }); },
            {OPOS_E_CLOSED, OPOS_SUCCESS, OPOS_SUCCESS, OPOS_SUCCESS});
        row("CharacterSet 858", [](auto& p) { return afterSet(p, [&] { p.setCharacterSet(858); }); },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_SUCCESS});
        row("CharacterSet 1250", [](auto& p) { return afterSet(p, [&] { p.setCharacterSet(1250); }); },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_E_ILLEGAL});
        row("ClearOutput", [](auto& p) { return p.ClearOutput(); },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_SUCCESS, OPOS_SUCCESS});
        for (int level = 1; level <= 3; ++level)
            QTest::addRow("CheckHealth %d", level)
                << PrinterCall([level](auto& p) { return p.CheckHealth(level); })
                << QList<int>{OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_SUCCESS};
        row("CheckHealth 4", [](auto& p) { return p.CheckHealth(4); },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_E_ILLEGAL});
        row("PrintNormal", [](auto& p) { return p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("x\n")); },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_SUCCESS});
        row("PrintNormal journal",
            [](auto& p) { return p.PrintNormal(PTR_S_JOURNAL, QStringLiteral("x\n")); },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_E_ILLEGAL});
        row("RotatePrint normal", [](auto& p) { return p.RotatePrint(PTR_S_RECEIPT, PTR_RP_NORMAL); },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_SUCCESS});
        row("RotatePrint left", [](auto& p) { return p.RotatePrint(PTR_S_RECEIPT, PTR_RP_LEFT90); },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_SUCCESS});
        row("RotatePrint 2", [](auto& p) { return p.RotatePrint(PTR_S_RECEIPT, 2); },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_E_ILLEGAL});
        row("RotatePrint slip", [](auto& p) { return p.RotatePrint(PTR_S_SLIP, PTR_RP_LEFT90); },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_E_ILLEGAL});
        row("CutPaper 100", [](auto& p) { return p.CutPaper(100); },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_SUCCESS});
        row("CutPaper 50", [](auto& p) { return p.CutPaper(50); },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_SUCCESS});
        row("CutPaper 0", [](auto& p) { return p.CutPaper(0); },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_E_ILLEGAL});
        row("CutPaper 101", [](auto& p) { return p.CutPaper(101); },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_E_ILLEGAL});
        row("PrintBarCode no height",
            [](auto& p) {
                return p.PrintBarCode(PTR_S_RECEIPT, QStringLiteral("123"), PTR_BCS_Code39, 0, 200,
                                      PTR_BC_CENTER, PTR_BC_TEXT_BELOW);
            },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_E_ILLEGAL});
        row("PrintBarCode symbology",
            [](auto& p) {
                return p.PrintBarCode(PTR_S_RECEIPT, QStringLiteral("123"), 99, 80, 200, PTR_BC_CENTER,
                                      PTR_BC_TEXT_BELOW);
            },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_E_ILLEGAL});
        row("SetBitmap 21",
            [missing](auto& p) {
                return p.SetBitmap(21, PTR_S_RECEIPT, missing, PTR_BM_ASIS, PTR_BM_CENTER);
            },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_E_ILLEGAL});
        row("SetBitmap missing file",
            [missing](auto& p) { return p.SetBitmap(1, PTR_S_RECEIPT, missing, PTR_BM_ASIS, PTR_BM_CENTER); },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_E_NOEXIST});
        row("PrintBitmap width 0",
            [missing](auto& p) { return p.PrintBitmap(PTR_S_RECEIPT, missing, 0, PTR_BM_LEFT); },
            {OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_E_ILLEGAL});
        // Calls the windows do not make.
        const QList<int> deviceRules{OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED, OPOS_SUCCESS};
        const QList<int> refusedWhenEnabled{OPOS_E_CLOSED, OPOS_E_NOTCLAIMED, OPOS_E_DISABLED,
                                            OPOS_E_ILLEGAL};
        const QList<int> anyTimeOpen{OPOS_E_CLOSED, OPOS_SUCCESS, OPOS_SUCCESS, OPOS_SUCCESS};
        const QList<int> illegalWhenOpen{OPOS_E_CLOSED, OPOS_E_ILLEGAL, OPOS_E_ILLEGAL, OPOS_E_ILLEGAL};
        const auto set = [](auto setter) {
            return PrinterCall([setter](PosPrinterControl& p) { return afterSet(p, [&] { setter(p); }); });
        };
        row("ClaimDevice", [](auto& p) { return p.ClaimDevice(0); },
            {OPOS_E_CLOSED, OPOS_SUCCESS, OPOS_SUCCESS, OPOS_SUCCESS});
        row(
            "PrintImmediate", [](auto& p) { return p.PrintImmediate(PTR_S_RECEIPT, QStringLiteral("x")); },
            deviceRules);
        row(
            "PrintImmediate slip", [](auto& p) { return p.PrintImmediate(PTR_S_SLIP, QStringLiteral("x")); },
            refusedWhenEnabled);
        row(
            "PrintTwoNormal", [](auto& p) { return p.PrintTwoNormal(PTR_S_JOURNAL_RECEIPT, {}, {}); },
            refusedWhenEnabled);
        row(
            "TransactionPrint", [](auto& p) { return p.TransactionPrint(PTR_S_RECEIPT, PTR_TP_TRANSACTION); },
            deviceRules);
        row(
            "TransactionPrint 13", [](auto& p) { return p.TransactionPrint(PTR_S_RECEIPT, 13); },
            refusedWhenEnabled);
        row(
            "ValidateData", [](auto& p) { return p.ValidateData(PTR_S_RECEIPT, QStringLiteral("x\n")); },
            deviceRules);
        row(
            "ValidateData italic",
            [](auto& p) { return p.ValidateData(PTR_S_RECEIPT, QStringLiteral("\x1b|iCx")); },
            refusedWhenEnabled);
        row(
            "SetLogo", [](auto& p) { return p.SetLogo(PTR_L_TOP, QStringLiteral("Shop\n")); }, deviceRules);
        row(
            "SetLogo 3", [](auto& p) { return p.SetLogo(3, QStringLiteral("Shop\n")); }, refusedWhenEnabled);
        row(
            "MarkFeed", [](auto& p) { return p.MarkFeed(PTR_MF_TO_CUTTER); }, refusedWhenEnabled);
        row(
            "DirectIO status",
            [](auto& p) {
                qint32 data = 1;
                QString text;
                return p.DirectIO(2, data, text);
            },
            deviceRules);
        row(
            "DirectIO 99",
            [](auto& p) {
                qint32 data = 0;
                QString text;
                return p.DirectIO(99, data, text);
            },
            refusedWhenEnabled);
        row(
            "RetrieveStatistics",
            [](auto& p) {
                QString buffer;
                return p.RetrieveStatistics(buffer);
            },
            deviceRules);
        row(
            "ResetStatistics", [](auto& p) { return p.ResetStatistics(QString()); }, deviceRules);
        row(
            "UpdateStatistics", [](auto& p) { return p.UpdateStatistics(QStringLiteral("PaperCutCount=3")); },
            deviceRules);
        row(
            "BeginInsertion", [](auto& p) { return p.BeginInsertion(0); }, refusedWhenEnabled);
        row(
            "EndInsertion", [](auto& p) { return p.EndInsertion(); }, refusedWhenEnabled);
        row(
            "BeginRemoval", [](auto& p) { return p.BeginRemoval(0); }, refusedWhenEnabled);
        row(
            "EndRemoval", [](auto& p) { return p.EndRemoval(); }, refusedWhenEnabled);
        row(
            "ChangePrintSide", [](auto& p) { return p.ChangePrintSide(PTR_PS_SIDE1); }, refusedWhenEnabled);
        row("FlagWhenIdle", set([](auto& p) { p.setFlagWhenIdle(true); }), anyTimeOpen);
        row("BinaryConversion", set([](auto& p) { p.setBinaryConversion(OPOS_BC_NIBBLE); }), anyTimeOpen);
        row("BinaryConversion 3", set([](auto& p) { p.setBinaryConversion(3); }), illegalWhenOpen);
        row("RotateSpecial", set([](auto& p) { p.setRotateSpecial(PTR_RP_LEFT90); }), anyTimeOpen);
        row("RotateSpecial 2", set([](auto& p) { p.setRotateSpecial(2); }), illegalWhenOpen);
        row("MapCharacterSet", set([](auto& p) { p.setMapCharacterSet(true); }), illegalWhenOpen);
        row("CartridgeNotify", set([](auto& p) { p.setCartridgeNotify(1); }), illegalWhenOpen);
        row("JrnLineChars", set([](auto& p) { p.setJrnLineChars(40); }), illegalWhenOpen);
        row("SlpLetterQuality", set([](auto& p) { p.setSlpLetterQuality(true); }), illegalWhenOpen);
        row("MapMode", set([](auto& p) { p.setMapMode(PTR_MM_METRIC); }), deviceRules);
        row("MapMode 5", set([](auto& p) { p.setMapMode(5); }), refusedWhenEnabled);
        row("RecLineChars 64", set([](auto& p) { p.setRecLineChars(64); }), deviceRules);
        row("RecLineChars 65", set([](auto& p) { p.setRecLineChars(65); }), refusedWhenEnabled);
        row("RecLineHeight", set([](auto& p) { p.setRecLineHeight(30); }), deviceRules);
        row("RecLineSpacing", set([](auto& p) { p.setRecLineSpacing(40); }), deviceRules);
        row("RecLineSpacing 256", set([](auto& p) { p.setRecLineSpacing(256); }), refusedWhenEnabled);
        row("RecLetterQuality", set([](auto& p) { p.setRecLetterQuality(true); }), deviceRules);
        row("RecCurrentCartridge 2", set([](auto& p) { p.setRecCurrentCartridge(2); }), refusedWhenEnabled);
    }

    void printer() {
        QFETCH(PrinterCall, call);
        QFETCH(QList<int>, expected);
        DeviceRig rig;
        for (int stage = Closed; stage <= Enabled; ++stage) {
            PosPrinterControl p;
            bring(p, Stage(stage));
            const qint32 code = call(p);
            QVERIFY2(code == expected.at(stage),
                     qPrintable(QStringLiteral("stage %1: got %2").arg(stage).arg(code)));
            QCOMPARE(p.ResultCode(), code);
            QCOMPARE(p.ResultCodeExtended(), 0);
        }
    }

    void drawer_data() {
        QTest::addColumn<DrawerCall>("call");
        QTest::addColumn<QList<int>>("expected"); // closed, opened, claimed, enabled (no claim)
        const auto row = [](const char* name, DrawerCall call, QList<int> expected) {
            QTest::newRow(name) << call << expected;
        };
        row("Open", [](auto& d) { return d.Open(QStringLiteral("D")); },
            {OPOS_SUCCESS, OPOS_E_ILLEGAL, OPOS_E_ILLEGAL, OPOS_E_ILLEGAL});
        row("Close", [](auto& d) { return d.Close(); },
            {OPOS_E_CLOSED, OPOS_SUCCESS, OPOS_SUCCESS, OPOS_SUCCESS});
        row("Claim", [](auto& d) { return d.Claim(0); },
            {OPOS_E_CLOSED, OPOS_SUCCESS, OPOS_SUCCESS, OPOS_SUCCESS});
        row("ReleaseDevice", [](auto& d) { return d.ReleaseDevice(); },
            {OPOS_E_CLOSED, OPOS_E_ILLEGAL, OPOS_SUCCESS, OPOS_E_ILLEGAL});
        row("enable",
            [](auto& d) {
                d.setDeviceEnabled(true);
                return d.ResultCode();
            },
            {OPOS_E_CLOSED, OPOS_SUCCESS, OPOS_SUCCESS, OPOS_SUCCESS});
        row("disable",
            [](auto& d) {
                d.setDeviceEnabled(false);
                return d.ResultCode();
            },
            {OPOS_E_CLOSED, OPOS_SUCCESS, OPOS_SUCCESS, OPOS_SUCCESS});
        row("OpenDrawer", [](auto& d) { return d.OpenDrawer(); },
            {OPOS_E_CLOSED, OPOS_E_DISABLED, OPOS_E_DISABLED, OPOS_SUCCESS});
        row("FreezeEvents",
            [](auto& d) {
                d.setFreezeEvents(true);
                return d.ResultCode();
            },
            {OPOS_E_CLOSED, OPOS_SUCCESS, OPOS_SUCCESS, OPOS_SUCCESS});
        const QList<int> deviceRules{OPOS_E_CLOSED, OPOS_E_DISABLED, OPOS_E_DISABLED, OPOS_SUCCESS};
        row("ClaimDevice", [](auto& d) { return d.ClaimDevice(0); },
            {OPOS_E_CLOSED, OPOS_SUCCESS, OPOS_SUCCESS, OPOS_SUCCESS});
        for (int level = 1; level <= 3; ++level)
            QTest::addRow("CheckHealth %d", level)
                << DrawerCall([level](auto& d) { return d.CheckHealth(level); }) << deviceRules;
        row("CheckHealth 0", [](auto& d) { return d.CheckHealth(0); },
            {OPOS_E_CLOSED, OPOS_E_DISABLED, OPOS_E_DISABLED, OPOS_E_ILLEGAL});
        row("DirectIO",
            [](auto& d) {
                qint32 data = 0;
                QString text;
                return d.DirectIO(1, data, text);
            },
            {OPOS_E_CLOSED, OPOS_E_DISABLED, OPOS_E_DISABLED, OPOS_E_ILLEGAL});
        // Closed, so it returns at once.
        row(
            "WaitForDrawerClose", [](auto& d) { return d.WaitForDrawerClose(100, 800, 100, 100); },
            deviceRules);
        row("WaitForDrawerClose -2", [](auto& d) { return d.WaitForDrawerClose(-2, 800, 100, 100); },
            {OPOS_E_CLOSED, OPOS_E_DISABLED, OPOS_E_DISABLED, OPOS_E_ILLEGAL});
        row(
            "RetrieveStatistics",
            [](auto& d) {
                QString buffer;
                return d.RetrieveStatistics(buffer);
            },
            deviceRules);
        row(
            "ResetStatistics", [](auto& d) { return d.ResetStatistics(QString()); }, deviceRules);
        row(
            "UpdateStatistics",
            [](auto& d) { return d.UpdateStatistics(QStringLiteral("DrawerGoodOpenCount=2")); }, deviceRules);
        row("BinaryConversion",
            [](auto& d) {
                d.setBinaryConversion(OPOS_BC_DECIMAL);
                return d.ResultCode();
            },
            {OPOS_E_CLOSED, OPOS_SUCCESS, OPOS_SUCCESS, OPOS_SUCCESS});
    }

    void drawer() {
        QFETCH(DrawerCall, call);
        QFETCH(QList<int>, expected);
        DeviceRig rig;
        for (int stage = Closed; stage <= Enabled; ++stage) {
            CashDrawerControl d;
            bring(d, Stage(stage));
            const qint32 code = call(d);
            QVERIFY2(code == expected.at(stage),
                     qPrintable(QStringLiteral("stage %1: got %2").arg(stage).arg(code)));
            QCOMPARE(d.ResultCode(), code);
        }
    }

    void stateProperty() {
        DeviceRig rig;
        PosPrinterControl p;
        QCOMPARE(p.State(), OPOS_S_CLOSED);
        bring(p, Enabled);
        QCOMPARE(p.State(), OPOS_S_IDLE);
        QCOMPARE(p.Close(), OPOS_SUCCESS);
        QCOMPARE(p.State(), OPOS_S_CLOSED);
        QVERIFY(!p.DeviceEnabled());
        QVERIFY(!p.Claimed());
        QCOMPARE(p.Close(), OPOS_E_CLOSED);
    }

    // A printer that answers nothing is enabled blind where the link shows it is there, refused
    // where it cannot (a serial line) unless its entry says status=none; one off line is refused.
    void silentPrinterEnablesBlindOnlyWhereItIsSeen_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("lineShowsPresence");
        QTest::addColumn<int>("code");
        QTest::newRow("accepted connection") << "P" << true << OPOS_SUCCESS;
        QTest::newRow("serial line") << "P" << false << OPOS_E_NOHARDWARE;
        QTest::newRow("serial line, status=none") << "Q" << false << OPOS_SUCCESS;
    }

    void silentPrinterEnablesBlindOnlyWhereItIsSeen() {
        QFETCH(QString, device);
        QFETCH(bool, lineShowsPresence);
        DeviceRig rig(
            QStringLiteral("[Q]\nclass=POSPrinter\nconnection=memory:Q\ntimeout=150\nstatus=none\n"));
        PosPrinterControl p;
        QCOMPARE(p.Open(device), OPOS_SUCCESS);
        QCOMPARE(p.Claim(0), OPOS_SUCCESS);
        FakePrinter* fake = FakePrinter::of(device);
        fake->setSilent(true);
        fake->transport()->setShowsPresence(lineShowsPresence);
        p.setDeviceEnabled(true);
        QTEST(p.ResultCode(), "code");
        QCOMPARE(p.DeviceEnabled(), p.ResultCode() == OPOS_SUCCESS);
        QVERIFY2(p.ResultReason().contains(p.DeviceEnabled() ? QLatin1String("blind")
                                                             : QLatin1String("status=none")),
                 qPrintable(p.ResultReason()));
        if (!p.DeviceEnabled())
            return;
        QVERIFY(!p.CapCoverSensor() && !p.CapRecEmptySensor() && !p.CapRecNearEndSensor());
        QCOMPARE(p.PowerState(), OPOS_PS_UNKNOWN);
        QCOMPARE(p.PrintNormal(PTR_S_RECEIPT, QStringLiteral("blind\n")), OPOS_SUCCESS);
        QTRY_VERIFY2(fake->data().endsWith("blind\n"), fake->data().toHex(' '));
    }

    void offlinePrinterFailsEnable() {
        DeviceRig rig;
        PosPrinterControl p;
        bring(p, Claimed);
        FakePrinter::of(QStringLiteral("P"))->setOffline(true);
        p.setDeviceEnabled(true);
        QCOMPARE(p.ResultCode(), OPOS_E_OFFLINE);
    }

    void propertiesOfAClosedControl() {
        PosPrinterControl p;
        QCOMPARE(p.ControlObjectVersion(), 1008010);
        QVERIFY(!p.ControlObjectDescription().isEmpty());
        QCOMPARE(p.ServiceObjectVersion(), 0);
        QCOMPARE(p.ServiceObjectDescription(), QString());
        QCOMPARE(p.CharacterSet(), 0);
        QCOMPARE(p.CharacterSetList(), QString());
        QCOMPARE(p.RecLineWidth(), 0);
        QVERIFY(!p.CapRecPresent());
        QCOMPARE(p.ResultCode(), OPOS_SUCCESS); // reading changes nothing
    }

    void propertiesFromTheProfile() {
        DeviceRig rig;
        PosPrinterControl p;
        bring(p, Opened);
        QCOMPARE(p.ServiceObjectVersion() / 1000, 1008);
        QCOMPARE(p.DeviceDescription(), QStringLiteral("80 mm thermal receipt printer, 203 dpi at memory:P"));
        QCOMPARE(p.CharacterSet(), 437);
        QCOMPARE(p.CharacterSetList(), QStringLiteral("437,850,852,858,866,998,1252"));
        QCOMPARE(p.RecLineChars(), 48);
        QCOMPARE(p.RecLineCharsList(), QStringLiteral("48,64"));
        QCOMPARE(p.RecLineHeight(), 24);
        QCOMPARE(p.RecLineSpacing(), 30);
        QCOMPARE(p.RecLineWidth(), 576);
        QCOMPARE(p.RecSidewaysMaxLines(), 19);
        QCOMPARE(p.RecSidewaysMaxChars(), 100);
        QCOMPARE(p.RecLinesToPaperCut(), 5);
        QCOMPARE(p.MapMode(), PTR_MM_DOTS);
        QVERIFY(p.CapRecPapercut());
        QVERIFY(p.CapCoverSensor());
        QVERIFY(!p.CapRecStamp());
        QCOMPARE(p.ErrorLevel(), PTR_EL_NONE);
    }
};

QTEST_GUILESS_MAIN(TestControlStates)
#include "tst_controlstates.moc"
