#pragma once

#include <QList>
#include <QString>
#include <utility>

namespace opos {
class CashDrawer;
class PosPrinter;
} // namespace opos

namespace runner {

using ReportProperties = QList<std::pair<QString, QString>>;

// Who answered a run, as the controls told it while they were open (a closed control gives only
// its defaults): the printer's names and service, the drawer's description, and what the control
// learnt of the printer.
class PrinterIdentity {
public:
    void update(const opos::PosPrinter& printer, const opos::CashDrawer& drawer);
    ReportProperties properties() const;

private:
    QString m_deviceName;
    QString m_deviceDescription;
    QString m_serviceDescription;
    QString m_answers;
    QString m_drawerDescription;
};

// What the printer answers, as its control has learnt it (the replies it gives, its name),
// reported as "printer.answers".
QString learntAnswers(const opos::PosPrinter& printer);

} // namespace runner
