#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace opos {
class PosPrinter;
}

// The printed report of a POS printer's properties: a fixed script of lines, walked against one
// control. Each value is read just before its value line is handed on; a health check runs just
// before its label. The report looks at no result code: every line is attempted.
class PropertyReport {
public:
    using PrintLine = std::function<void(const QString& line)>;
    using ValueReader = std::function<QString(opos::PosPrinter&)>;

    // One row of the script: a fixed line, or a label followed by a value line. A row with a
    // health-check level runs CheckHealth(level) before its label.
    struct Row {
        QString text;
        ValueReader value;
        qint32 healthLevel = 0;
    };

    static const std::vector<Row>& script();
    // Number of lines one run hands to printLine.
    static int lineCount();

    static void run(opos::PosPrinter& printer, const PrintLine& printLine);
};
