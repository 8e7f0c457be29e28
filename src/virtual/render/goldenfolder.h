#pragma once

#include "virtual/paperbands.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <atomic>

namespace virt {

// A folder of golden receipts, one PNG per receipt by name: each new receipt is compared with the
// one of its name, dot for dot, and a difference leaves NAME.diff.png beside the new receipt.
// Updating writes the new receipts as the goldens instead.
class GoldenFolder {
public:
    GoldenFolder(QString goldens, QString diffs, bool update)
        : m_goldens(std::move(goldens)), m_diffs(std::move(diffs)), m_update(update) {}

    // "NAME: same", "NAME: differs: ...", "NAME: no golden", "NAME: updated"; a line for a person.
    QString check(const QString& name, const QImage& image, const QList<PaperBand>& bands);
    // The goldens named stem-NNNN.png that `printed` does not hold: receipts the job no longer
    // prints. Each is a difference; updating removes them.
    QStringList unprinted(const QString& stem, const QStringList& printed);

    // Receipts may be checked on several threads at once, each its own name.
    int differences() const { return m_differences.load(); }
    const QString& goldens() const { return m_goldens; }

private:
    QString m_goldens;
    QString m_diffs;
    bool m_update;
    std::atomic<int> m_differences = 0;
};

} // namespace virt
