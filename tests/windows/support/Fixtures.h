// The fixtures the Linux build generated, as Windows paths (Wine's Z: drive is
// the host's root), and the hashes their manifest lists.
#pragma once
#include <windows.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "platform/Text.h"

namespace win32_test {

// "signing/files/driver.inf" -> "Z:\...\fixtures\signing\files\driver.inf".
inline WString FixturePath(const std::string& relative) {
  std::string path = std::string(QUILLON_FIXTURES_DIR) + "/" + relative;
  for (char& c : path)
    if (c == '/') c = '\\';
  return u"Z:" + text::FromUtf8(path);
}

inline bool FixturesPresent() {
  const WString manifest = FixturePath("signing/manifest.json");
  return ::GetFileAttributesW(reinterpret_cast<const wchar_t*>(manifest.c_str())) != INVALID_FILE_ATTRIBUTES;
}

// The "sha1" (or "sha256") entry of a file or catalog in signing/manifest.json.
inline std::string ManifestHash(const std::string& name, const std::string& kind = "sha1") {
  std::ifstream in(std::string(QUILLON_FIXTURES_DIR) + "/signing/manifest.json");
  std::stringstream all;
  all << in.rdbuf();
  const std::string text = all.str();
  const size_t entry = text.find("\"" + name + "\": {");
  if (entry == std::string::npos) throw std::runtime_error("manifest has no " + name);
  const std::string key = "\"" + kind + "\": \"";
  const size_t value = text.find(key, entry);
  if (value == std::string::npos) throw std::runtime_error("manifest has no " + kind + " for " + name);
  return text.substr(value + key.size(), kind == "sha1" ? 40 : 64);
}

}  // namespace win32_test
