// Path-text helpers in the host's convention: `\` on Windows, `/` on Linux.
#pragma once
#include "platform/Text.h"

namespace paths {

#ifdef _WIN32
constexpr char16_t kPathDelim = u'\\';
#else
constexpr char16_t kPathDelim = u'/';
#endif

bool IsPathDelimiter(char16_t c);  // the host delimiter (and '/' on Windows too)
WString IncludeTrailingPathDelimiter(WStringView p);
WString ExcludeTrailingPathDelimiter(WStringView p);
// Folder part including its trailing delimiter ("" when there is none).
WString ExtractFilePath(WStringView p);
// The part after the last delimiter (and, on Windows, after a drive colon).
WString ExtractFileName(WStringView p);
// The extension with its dot, "" when none.
WString ExtractFileExt(WStringView p);
WString ChangeFileExt(WStringView p, WStringView ext);
// a + delimiter + b, with exactly one delimiter between them.
WString Join(WStringView a, WStringView b);

// Case-insensitive file-mask match: '*' any run, '?' one character. "*.*" matches
// every name, also names without a dot, as the Windows file APIs do.
bool MatchesMask(WStringView name, WStringView mask);

// Whether `inner` is `outer` or lies below it, compared name by name (ignoring
// case on Windows); neither is resolved.
bool IsInsideFolder(const WString& inner, const WString& outer);

bool FileExists(WStringView p);       // a regular file (not a folder)
bool DirectoryExists(WStringView p);

}  // namespace paths
