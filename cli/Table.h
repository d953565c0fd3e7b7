// A plain text table: columns padded to their widest cell and, when the terminal
// is narrower than the table, the widest columns cut (ending in "…") until it fits.
#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace cli {

using TableRow = std::vector<std::string>;  // UTF-8 cells

// `width` 0: no limit. Two blanks between columns; the last column is not padded.
void PrintTable(std::ostream& out, const TableRow& header, const std::vector<TableRow>& rows, int width);

// The number of characters (code points) of a UTF-8 text.
size_t DisplayLength(const std::string& utf8);

}  // namespace cli
