#pragma once

#include <QStringList>

class QTextStream;

namespace virt {

// posling-virtual-printer render JOB... --out DIR [--profile 58mm|80mm] [--answers KIND]
//                                [--expect DIR [--update]]
// Each job (a file, or standard input as "-" or when none is named) printed offline: its receipts
// as NAME-NNNN.png, the text of its lines as NAME.txt, the listing as NAME.jsonl. Returns the
// exit code: 0 read through (and like the goldens), 1 malformed commands or a difference, 2 a
// usage error. `arguments` are those after "render".
int runRenderCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace virt
