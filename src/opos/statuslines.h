#pragma once

#include <QString>

// The texts of the status list after each line's number, built in one place so that the windows
// and the plan runner print the same lines.
namespace opos {

// What WhatError gives for a result code: its name, or for OPOS_E_EXTENDED the extended prefix
// and the printer's extended code (there is only one such code, whichever device answered).
QString resultDescription(qint32 code, qint32 printerExtended);

// ":  Result of DEVICE.NAME:  " - DEVICE is "Printer" or "CashDrawer1".
QString resultLabel(const QString& device, const QString& name);

// ":  NAME = VALUE :  TEXT", the line of a property set.
QString propertySetLine(const QString& name, const QString& value, const QString& description);
QString boolText(bool value); // TRUE or FALSE

// The printer's ErrorEvent; the extended part is shown only for OPOS_E_EXTENDED.
QString errorEventLine(qint32 resultCode, qint32 resultCodeExtended, qint32 errorLocus, qint32 response,
                       qint32 printerExtended);
QString printerStatusUpdateLine(qint32 data);
QString drawerStatusUpdateLine(qint32 data);
QString outputCompleteLine(qint32 outputId);

// One line of the status list: the counter in decimal followed by the pieces, and under a result
// the reason the control gave for it (the window's hover, the plan run's next line): why a call
// failed, or what a success leaves unseen.
struct StatusLine {
    QString text;
    QString note; // empty: nothing under the line
};
StatusLine statusLine(qint32 counter, const QString& pieces);
StatusLine resultLine(qint32 counter, const QString& pieces, qint32 code, const QString& reason);

} // namespace opos
