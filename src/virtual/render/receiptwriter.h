#pragma once

#include "goldenfolder.h"
#include "virtual/paperroll.h"

#include <QDir>
#include <QList>
#include <QStringList>

#include <future>
#include <vector>

namespace virt {

// Writes receipts as PNG, and compares them with their goldens, on the other cores while the
// printer goes on printing; a few at a time, so memory stays bounded.
class ReceiptWriter {
public:
    ReceiptWriter(const QDir& out, GoldenFolder* goldens);
    ~ReceiptWriter() { finish(nullptr); }
    Q_DISABLE_COPY_MOVE(ReceiptWriter)

    void add(const QString& name, const Receipt& receipt);
    // Waits for every receipt added; a line for a person about each, in order. The first receipt
    // that could not be written is named in `problem` (left empty when all were).
    QStringList finish(QString* problem);

private:
    struct Written {
        QString line;
        QString problem;
    };
    Written write(const QString& name, const Receipt& receipt) const;

    QDir m_out;
    GoldenFolder* m_goldens;
    std::vector<std::future<Written>> m_pending;
    qsizetype m_waitFrom = 0;
    QList<Written> m_done;
};

} // namespace virt
