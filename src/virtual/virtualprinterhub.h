#pragma once

#include "virtualprinter.h"

#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>

namespace virt {

// The in-process virtual printers, one per device name, shared by every link that names it (the
// printer control and the drawer control reach the same mechanism).
class VirtualPrinterHub : public QObject {
    Q_OBJECT
public:
    static VirtualPrinterHub* instance();

    // The printer called `name`, made on first use from the registry entry's options
    // (profile, capture, answers, pin, open_level, close_delay); later options update what the
    // printer answers and the drawer settings. Options it does not know are left to others.
    VirtualPrinter* printer(const QString& name, const QMap<QString, QString>& options = {});
    // Why a link with these options cannot be had, or empty: answers= must name a personality.
    static QString refusal(const QMap<QString, QString>& options);
    VirtualPrinter* find(const QString& name) const { return m_printers.value(name); }
    QList<VirtualPrinter*> printers() const { return m_printers.values(); }

    // A link to the printer opened; the first time for each printer is announced.
    void noteOpened(VirtualPrinter* printer);
    // Saves every printer's uncut paper (the program ends).
    void finishAll();

Q_SIGNALS:
    void printerOpened(virt::VirtualPrinter* printer);

private:
    using QObject::QObject;
    QMap<QString, VirtualPrinter*> m_printers;
    QSet<VirtualPrinter*> m_announced;
};

} // namespace virt
