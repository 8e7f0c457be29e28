#include "printeridentity.h"

#include "opos/cashdrawer.h"
#include "opos/oposconstants.h"
#include "opos/posprinter.h"

namespace runner {

void PrinterIdentity::update(const opos::PosPrinter& printer, const opos::CashDrawer& drawer) {
    if (printer.State() != opos::OPOS_S_CLOSED) {
        m_deviceName = printer.DeviceName();
        m_deviceDescription = printer.DeviceDescription();
        m_serviceDescription = printer.ServiceObjectDescription();
        if (const QString answers = learntAnswers(printer); !answers.isEmpty())
            m_answers = answers;
    }
    if (drawer.State() != opos::OPOS_S_CLOSED)
        m_drawerDescription = drawer.DeviceDescription();
}

ReportProperties PrinterIdentity::properties() const {
    ReportProperties properties{{QStringLiteral("printer.DeviceName"), m_deviceName},
                                {QStringLiteral("printer.DeviceDescription"), m_deviceDescription},
                                {QStringLiteral("printer.ServiceObjectDescription"), m_serviceDescription},
                                {QStringLiteral("drawer.DeviceDescription"), m_drawerDescription}};
    if (!m_answers.isEmpty())
        properties.append({QStringLiteral("printer.answers"), m_answers});
    return properties;
}

QString learntAnswers(const opos::PosPrinter& printer) {
    return printer.DeviceAnswers();
}

} // namespace runner
