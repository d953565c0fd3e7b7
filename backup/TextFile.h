// Reads a text file for display, as the rich-text box's LoadFromFile does (the
// INF tab, the command line's `show`).
#pragma once
#include "platform/Text.h"

// UTF-16 (LE or BE, by its byte-order mark), UTF-8 (with a mark or valid without
// one), otherwise Windows-1252. Only the first paths::kShownTextBytes are read,
// followed by a line saying how much was left out. Raises QuillonError naming the
// file when it cannot be read.
WString LoadTextFile(const WString& path);

// The decoding alone, for bytes already read.
WString DecodeText(std::string_view bytes);
