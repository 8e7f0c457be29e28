#include "virtualprinterhub.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QSet>

Q_LOGGING_CATEGORY(lcHub, "posling.virtual")

namespace virt {

namespace {
const QString kAnswers = QStringLiteral("answers");
} // namespace

VirtualPrinterHub* VirtualPrinterHub::instance() {
    static QPointer<VirtualPrinterHub> hub;
    if (!hub) {
        hub = new VirtualPrinterHub(QCoreApplication::instance());
        if (QCoreApplication::instance())
            QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, hub.data(),
                             &VirtualPrinterHub::finishAll);
    }
    return hub;
}

VirtualPrinter* VirtualPrinterHub::printer(const QString& name, const QMap<QString, QString>& options) {
    VirtualPrinter* printer = m_printers.value(name);
    if (!printer) {
        auto profile = VirtualProfile::byId(options.value(QStringLiteral("profile")));
        if (!profile) {
            qCWarning(lcHub) << "unknown printer profile" << options.value(QStringLiteral("profile")) << "for"
                             << name << "- using 80mm";
            profile = VirtualProfile::defaultProfile();
        }
        printer = new VirtualPrinter(name, *profile, this);
        QString capture = options.value(QStringLiteral("capture"));
        if (capture.isEmpty())
            capture = qEnvironmentVariable("POSLING_CAPTURE_DIR");
        printer->setCaptureFolder(capture);
        m_printers.insert(name, printer);
    }
    if (const ReplyPersonality* personality = ReplyPersonality::byId(options.value(kAnswers)))
        printer->setPersonality(*personality);
    VirtualDrawer* drawer = printer->drawer();
    bool ok = false;
    if (options.contains(QStringLiteral("pin"))) {
        const int pin = options.value(QStringLiteral("pin")).toInt(&ok);
        if (ok && (pin == 2 || pin == 5))
            drawer->setPin(pin);
    }
    if (options.contains(QStringLiteral("open_level")))
        drawer->setOpenLevelHigh(options.value(QStringLiteral("open_level")).trimmed().toLower() !=
                                 QLatin1String("low"));
    if (options.contains(QStringLiteral("close_delay"))) {
        const int delay = options.value(QStringLiteral("close_delay")).toInt(&ok);
        if (ok && delay >= 0)
            drawer->setCloseDelay(delay);
    }
    return printer;
}

QString VirtualPrinterHub::refusal(const QMap<QString, QString>& options) {
    if (!options.contains(kAnswers) || ReplyPersonality::byId(options.value(kAnswers)))
        return QString();
    return QStringLiteral("entry \"%1\": unknown answers \"%2\" (known: %3)")
        .arg(options.value(QStringLiteral("name")), options.value(kAnswers),
             ReplyPersonality::knownIds().join(QStringLiteral(", ")));
}

void VirtualPrinterHub::noteOpened(VirtualPrinter* printer) {
    if (!printer || m_announced.contains(printer))
        return;
    m_announced.insert(printer);
    Q_EMIT printerOpened(printer);
}

void VirtualPrinterHub::finishAll() {
    for (VirtualPrinter* printer : std::as_const(m_printers))
        printer->finish();
}

} // namespace virt
