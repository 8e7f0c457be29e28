#pragma once

#include <QString>

namespace opos {

// The reason behind the latest failure a control could only log (an Open refused for an unknown
// name, an unreadable devices file or a bad key; a connection that would not open at Claim), kept
// for the status line that shows the failure's result code. One at a time, on the GUI thread.
void noteProblem(const QString& reason);
QString takeProblem(); // and forget it
} // namespace opos
