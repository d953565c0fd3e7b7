// Report lines and hash texts of the signature checks.
#include "signing/CryptCat.h"

namespace {
constexpr size_t kFieldWidth = 10;
}  // namespace

void LogField(const WString& Name, const WString& Value, const TShellCallback& Callback) {
  if (!Callback) return;
  // "%-10.10s : %s" + CR LF: the name padded or cut to exactly ten characters.
  WString line = Name.substr(0, kFieldWidth);
  line.resize(kFieldWidth, u' ');
  line += u" : ";
  line += Value;
  line += u"\r\n";
  Callback(line);
}

bool ReadField(const WString& line, WString& Name, WString& Value) {
  const WStringView separator = u" : ", end = u"\r\n";
  if (line.size() < kFieldWidth + separator.size() + end.size() ||
      WStringView(line).substr(kFieldWidth, separator.size()) != separator ||
      WStringView(line).substr(line.size() - end.size()) != end)
    return false;
  Name = line.substr(0, kFieldWidth);
  while (!Name.empty() && Name.back() == u' ') Name.pop_back();
  Value = line.substr(kFieldWidth + separator.size(), line.size() - kFieldWidth - separator.size() - end.size());
  return true;
}

WString HashToHex(const uint8_t* bytes, size_t count) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  WString hex;
  hex.reserve(count * 2);
  for (size_t i = 0; i < count; ++i) {
    hex += kDigits[bytes[i] >> 4];
    hex += kDigits[bytes[i] & 0x0F];
  }
  return hex;
}

WString HashToHex(const std::vector<uint8_t>& bytes) { return HashToHex(bytes.data(), bytes.size()); }
