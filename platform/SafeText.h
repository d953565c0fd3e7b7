// Text from the disk being read, made safe where it is shown: a terminal runs
// escape sequences, a spreadsheet runs formulas. The front ends pass every name,
// path or message that came from the disk through these before printing it.
#pragma once
#include "platform/Text.h"

namespace text {

// Control characters made visible as escapes: "\r", "\n", "\t", "\\x1b" for the
// other C0 codes, DEL and the C1 codes (0x80-0x9F), and "\\u202e" for the
// characters that reorder a line (bidirectional overrides and isolates). A
// backslash before any of these stays as it is: the text reads as it was.
WString Visible(WStringView s);

// One cell of an RFC 4180 CSV line: quoted (doubling quotes) when it holds a
// comma, quote, CR or LF, and with a leading "'" when it begins with "=", "+",
// "-", "@", a tab or a CR, so that a spreadsheet shows it as text (OWASP's advice).
WString CsvCell(WStringView s);
// The same cell, always in quotes (for records that quote every cell).
WString QuotedCsvCell(WStringView s);

}  // namespace text
