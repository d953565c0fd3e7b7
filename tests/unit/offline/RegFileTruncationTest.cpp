// The sample machine's registry.reg cut at every byte: each prefix either loads
// exactly the keys whose [key] lines it holds whole, or is refused with an error
// that names the file and a line of the prefix. A damaged file never loads as a
// smaller machine without a word.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "platform/offline/Machine.h"

namespace {

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return s;
}

// The prefix as text, one char per UTF-16 unit (the file's key names are ASCII).
std::string DecodeUtf16Le(std::string_view bytes) {
  std::string out;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const unsigned unit = uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8);
    out += unit < 0x80 ? char(unit) : '?';
  }
  return out;
}

// Every key a prefix creates, read independently of the parser: the paths of its
// complete [HKEY_LOCAL_MACHINE\...] lines and their ancestors, lower-case, below the root.
std::set<std::string> KeysOfCompleteKeyLines(const std::string& text) {
  std::set<std::string> keys;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const size_t open = line.find_first_not_of(" \t");
    const size_t close = line.rfind(']');
    if (open == std::string::npos || line[open] != '[' || close == std::string::npos) continue;
    std::string path = Lower(line.substr(open + 1, close - open - 1));
    if (!path.empty() && path.back() == '\\') path.pop_back();
    const std::string root = "hkey_local_machine";
    if (path.rfind(root, 0) != 0 || path.size() <= root.size() + 1 || path[root.size()] != '\\') continue;
    const std::string below = path.substr(root.size() + 1);
    for (size_t at = below.find('\\'); at != std::string::npos; at = below.find('\\', at + 1))
      keys.insert(below.substr(0, at));
    keys.insert(below);
  }
  return keys;
}

void CollectKeys(const offline::RegKey& key, const std::string& path, std::set<std::string>& into) {
  for (const auto& child : key.Children()) {
    const std::string childPath = (path.empty() ? "" : path + "\\") + Lower(text::ToUtf8(child->Name()));
    into.insert(childPath);
    CollectKeys(*child, childPath, into);
  }
}

TEST(RegFileTruncation, EveryCutOfTheSampleRegistryLoadsItsWholeKeysOrFailsWithALine) {
  const std::string file = ReadAll(std::filesystem::path(QUILLON_FIXTURES_DIR) / "sample-machine/registry.reg");
  ASSERT_GT(file.size(), 1000u);
  ASSERT_EQ(file.substr(0, 2), "\xFF\xFE");  // as reg export writes it
  const std::regex located(R"(^registry\.reg:([0-9]+): .+)");
  size_t loaded = 0, refused = 0;
  for (size_t cut = 0; cut <= file.size(); ++cut) {
    const std::string_view prefix(file.data(), cut);
    const std::string text = DecodeUtf16Le(prefix);
    offline::RegKey root(u"HKEY_LOCAL_MACHINE");
    try {
      offline::ParseRegFile(prefix, "registry.reg", root);
    } catch (const offline::MachineError& e) {
      ++refused;
      std::cmatch m;
      ASSERT_TRUE(std::regex_match(e.what(), m, located)) << "cut at " << cut << ": " << e.what();
      const size_t line = std::stoul(m[1].str());
      const size_t linesInPrefix = size_t(std::count(text.begin(), text.end(), '\n')) + 1;
      ASSERT_GE(line, 1u) << "cut at " << cut;
      ASSERT_LE(line, linesInPrefix) << "cut at " << cut << ": " << e.what();
      continue;
    }
    ++loaded;
    std::set<std::string> keys;
    CollectKeys(root, "", keys);
    ASSERT_EQ(keys, KeysOfCompleteKeyLines(text)) << "cut at " << cut;
  }
  // Both outcomes occur: cuts at line ends load, cuts inside values are refused.
  EXPECT_GT(loaded, 100u);
  EXPECT_GT(refused, 100u);
}

}  // namespace
