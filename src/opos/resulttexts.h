#pragma once

#include <QString>

// The OPOS constant names that the status list shows for numeric codes. Every 32-bit value has a
// text: codes outside a table give that table's unknown-code text.
namespace opos {

// Result codes 0 and 101..113; everything else, 114 included, is "Unknown Error" here because
// the text of 114 depends on the printer's extended code (see frm_Sample::WhatError).
QString resultCodeText(qint32 code);
QString extendedPrinterText(qint32 code);
QString extendedMicrText(qint32 code);
QString statusUpdateText(qint32 code);
QString errorLocusText(qint32 locus);
QString errorResponseText(qint32 response);

// The prefix that WhatError puts before the extended text of OPOS_E_EXTENDED.
inline constexpr const char* ExtendedPrefix = "OPOS_E_EXTENDED:  ";

} // namespace opos
