// Our INF reader against the system's: the same INFs opened with SetupAPI
// (SetupOpenInfFileW, SetupGetLineByIndexW, SetupGetStringFieldW) give the same
// sections, lines, keys and fields, and the INFs SetupAPI refuses are refused
// at the same line.
#include <windows.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "inf/InfFile.h"
#include "windows/support/Win32TestPlatform.h"

namespace {

namespace fs = std::filesystem;
using win32_test::TempFolder;

class UniqueInf {
 public:
  explicit UniqueInf(HINF h) : h_(h) {}
  ~UniqueInf() {
    if (h_ != INVALID_HANDLE_VALUE) ::SetupCloseInfFile(h_);
  }
  UniqueInf(const UniqueInf&) = delete;
  UniqueInf& operator=(const UniqueInf&) = delete;
  HINF Get() const { return h_; }
  bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }

 private:
  HINF h_;
};

std::string U8(const WString& s) { return text::ToUtf8(s); }
const wchar_t* Wide(const WString& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

WString StringField(INFCONTEXT& context, DWORD index) {
  wchar_t buffer[4096];
  DWORD needed = 0;
  if (!::SetupGetStringFieldW(&context, index, buffer, DWORD(std::size(buffer)), &needed)) return u"<none>";
  return WString(reinterpret_cast<const char16_t*>(buffer));
}

// A field written with a directory id (%10%, %11%): SetupAPI puts the folder in,
// the package reader keeps the id.
bool HasDirectoryId(const WString& field) {
  for (size_t open = field.find(u'%'); open != WString::npos; open = field.find(u'%', open + 1)) {
    const size_t close = field.find(u'%', open + 1);
    if (close == WString::npos) return false;
    const WString key = field.substr(open + 1, close - open - 1);
    if (!key.empty() && key.find_first_not_of(u"0123456789") == WString::npos) return true;
  }
  return false;
}

// Every difference between our reading of `path` and SetupAPI's, one per line.
std::string Differences(const fs::path& path) {
  std::ostringstream out;
  UINT errorLine = 0;
  UniqueInf hinf(::SetupOpenInfFileW(path.c_str(), nullptr, INF_STYLE_WIN4 | INF_STYLE_OLDNT, &errorLine));
  std::optional<inf::InfFile> ours;
  std::string ourError;
  try {
    ours.emplace(path);
  } catch (const inf::InfError& e) {
    ourError = e.what();
    if (hinf.Valid()) out << "we refuse what SetupAPI reads: " << ourError << "\n";
    else if (errorLine != e.Line()) out << "refused at line " << e.Line() << ", SetupAPI at " << errorLine << "\n";
    return out.str();
  }
  if (!hinf.Valid()) {
    out << "SetupAPI refuses (error " << std::hex << ::GetLastError() << std::dec << ", line " << errorLine
        << ") what we read\n";
    return out.str();
  }
  for (const WString& section : ours->SectionNames()) {
    const std::vector<inf::InfLine> lines = ours->Lines(section);
    const LONG count = ::SetupGetLineCountW(hinf.Get(), Wide(section));
    if (count != LONG(lines.size())) {
      out << "[" << U8(section) << "]: " << lines.size() << " lines, SetupAPI " << count << "\n";
      continue;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
      INFCONTEXT context;
      if (!::SetupGetLineByIndexW(hinf.Get(), Wide(section), DWORD(i), &context)) {
        out << "[" << U8(section) << "] line " << lines[i].number << ": SetupAPI has no line " << i << "\n";
        continue;
      }
      const std::string where = "[" + U8(section) + "] line " + std::to_string(lines[i].number) + ": ";
      const DWORD fields = ::SetupGetFieldCount(&context);
      if (fields != lines[i].fields.size())
        out << where << lines[i].fields.size() << " fields, SetupAPI " << fields << "\n";
      if (lines[i].hasKey && !HasDirectoryId(lines[i].key) && StringField(context, 0) != lines[i].key)
        out << where << "key '" << U8(lines[i].key) << "', SetupAPI '" << U8(StringField(context, 0)) << "'\n";
      for (DWORD f = 1; f <= fields && f <= lines[i].fields.size(); ++f) {
        const WString theirs = StringField(context, f), mine = lines[i].Field(f);
        if (theirs != mine && !HasDirectoryId(mine))
          out << where << "field " << f << " '" << U8(mine) << "', SetupAPI '" << U8(theirs) << "'\n";
      }
    }
  }
  return out.str();
}

// INFs that exercise every rule of the reader: keys, quoting, comments,
// continuation, strings, repeated sections. Two rules are left out, where Wine's
// SetupAPI is not Windows': Wine reads [Strings] only, never the locale's
// [Strings.0409]; and it keeps the CR of a line whose quote is not closed.
const char* const kCraftedInfs[] = {
    "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass = Net ; comment\r\nProvider=%Vendor%\r\n"
    "[Models.NTamd64]\r\n%Desc% = Install , PCI\\VEN_1&DEV_2 ,PCI\\CC_02 \r\n\"quoted key\" = \"a, b\" , x\"y\"z\r\n"
    "plain line, two\r\nsingle\r\nempty =\r\ntrailing = a,,\r\n"
    "[Install]\r\nCopyFiles = files, \\\r\n   more\r\nAddReg = \"say \"\"hi\"\"\", 100%% \r\n"
    "[models.ntamd64]\r\nagain = yes\r\n"
    "[Strings]\r\nVendor = \"Contoso, Ltd.\"\r\nDesc = \"Adapter ; not a comment\"\r\n",
    "[Version]\r\nSignature=$Chicago$\r\n[A]\r\nk=%Undefined%, %Two%%Parts%\r\n  blank  =  \"  \"  \r\n"
    "x = \"closed, quote\"\r\n[Strings]\r\nTwo=2\r\nParts=\"p\"\r\n",
};

const char* const kRefusedInfs[] = {
    "[Version]\r\nSignature=\"$Windows NT$\"\r\n[Sec\r\nk=v\r\n",
    "; comment\r\nk=v\r\n[Version]\r\nSignature=\"$Windows NT$\"\r\n",
};

std::string Utf16(const std::string& utf8) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text::FromUtf8(utf8)) {
    bytes += char(c & 0xFF);
    bytes += char(c >> 8);
  }
  return bytes;
}

class SetupApiInf : public ::testing::Test {
 protected:
  fs::path Write(const std::wstring& name, const std::string& bytes) {
    const fs::path p = fs::path(folder_.Path()) / name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
  }
  TempFolder folder_{L"setupapi-inf"};
};

TEST_F(SetupApiInf, CraftedInfsReadTheSameInEveryEncoding) {
  int n = 0;
  for (const char* inf : kCraftedInfs) {
    ++n;
    EXPECT_EQ(Differences(Write(L"ansi" + std::to_wstring(n) + L".inf", inf)), "") << "ANSI INF " << n;
    EXPECT_EQ(Differences(Write(L"utf8-" + std::to_wstring(n) + L".inf", std::string("\xEF\xBB\xBF") + inf)), "")
        << "UTF-8 INF " << n;
    EXPECT_EQ(Differences(Write(L"utf16-" + std::to_wstring(n) + L".inf", Utf16(inf))), "") << "UTF-16 INF " << n;
  }
}

TEST_F(SetupApiInf, RefusedInfsAreRefusedAtTheSameLine) {
  int n = 0;
  for (const char* inf : kRefusedInfs) {
    const fs::path p = Write(L"bad" + std::to_wstring(++n) + L".inf", inf);
    UINT errorLine = 0;
    UniqueInf hinf(::SetupOpenInfFileW(p.c_str(), nullptr, INF_STYLE_WIN4, &errorLine));
    EXPECT_FALSE(hinf.Valid()) << "SetupAPI reads bad INF " << n;
    EXPECT_THROW(inf::InfFile{p}, inf::InfError) << "bad INF " << n;
    EXPECT_EQ(Differences(p), "") << "bad INF " << n;
  }
}

TEST_F(SetupApiInf, TheSystemsOwnInfsReadTheSame) {
  wchar_t windows[MAX_PATH];
  ASSERT_GT(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  int compared = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(windows) / L"inf")) {
    if (!text::EqualsIgnoreCase(text::FromPath(entry.path().extension()), u".inf")) continue;
    EXPECT_EQ(Differences(entry.path()), "") << entry.path().string();
    ++compared;
  }
  EXPECT_GT(compared, 0);
}

}  // namespace
