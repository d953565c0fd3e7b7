// The kit's script and README as text: one pnputil call per INF in order, names
// that cmd would misread kept literal or refused, CR LF throughout. What cmd makes
// of the script is tested under Wine (tests/windows/install).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Errors.h"
#include "restore/InstallKit.h"

namespace {

using restore::CheckKitName;
using restore::InstallScript;
using restore::KitPackage;

size_t Count(const std::string& s, const std::string& part) {
  size_t n = 0;
  for (size_t at = s.find(part); at != std::string::npos; at = s.find(part, at + 1)) ++n;
  return n;
}

void ExpectCrLfAsciiOnly(const std::string& s) {
  for (size_t i = 0; i < s.size(); ++i) {
    ASSERT_LT(static_cast<unsigned char>(s[i]), 0x80u) << "at " << i;
    if (s[i] == '\n') {
      ASSERT_TRUE(i > 0 && s[i - 1] == '\r') << "a bare LF at " << i;
    }
    if (s[i] == '\r') {
      ASSERT_TRUE(i + 1 < s.size() && s[i + 1] == '\n') << "a bare CR at " << i;
    }
  }
}

TEST(InstallScript, CallsPnputilOncePerInfInTheGivenOrder) {
  const std::string script = InstallScript({{u"nwserial", u"nwserial.inf"},
                                            {u"contgfx.inf_amd64_5f1d2c3b4a596877", u"contgfx.inf"},
                                            {u"fabnet", u"x64/fabnet.inf"}});
  ExpectCrLfAsciiOnly(script);
  const size_t first = script.find("set \"INF=nwserial\\nwserial.inf\"\r\ncall :install\r\n");
  const size_t second = script.find("set \"INF=contgfx.inf_amd64_5f1d2c3b4a596877\\contgfx.inf\"\r\ncall :install\r\n");
  const size_t third = script.find("set \"INF=fabnet\\x64\\fabnet.inf\"\r\ncall :install\r\n");
  ASSERT_NE(first, std::string::npos) << script;
  EXPECT_LT(first, second);
  EXPECT_LT(second, third);
  EXPECT_NE(third, std::string::npos);
  EXPECT_EQ(Count(script, "call :install\r\n"), 3u);
  EXPECT_EQ(Count(script, "\"%PNPUTIL%\" /add-driver \"%INF%\" /install"), 1u) << "one call site, INF quoted";
  EXPECT_NE(script.find("installing 3 driver package(s)"), std::string::npos);
}

TEST(InstallScript, KeepsNamesThatCmdWouldReadAsCommandsLiteral) {
  const std::string script = InstallScript({{u"Tom & Jerry (x64) ^ !wow!", u"a b.inf"}});
  EXPECT_NE(script.find("set \"INF=Tom & Jerry (x64) ^ !wow!\\a b.inf\"\r\n"), std::string::npos) << script;
  EXPECT_NE(script.find("DisableDelayedExpansion"), std::string::npos);
}

TEST(InstallScript, RefusesNamesThatCannotBeWrittenSafelyAndNamesThem) {
  const struct {
    const char16_t* name;
    const char* why;
  } cases[] = {
      {u"", "empty"},
      {u"..\\..\\Windows", "\"..\""},
      {u"pkg\\..\\..\\x.inf", "\"..\""},
      {u"C:\\Windows\\INF\\oem1.inf", "absolute"},
      {u"\\\\server\\share\\a.inf", "absolute"},
      {u"/etc/a.inf", "absolute"},
      {u"say \"hi\".inf", "file names cannot hold"},
      {u"a|b.inf", "file names cannot hold"},
      {u"line\r\nbreak.inf", "control character"},
      {u"Ger\u00e4t.inf", "beyond ASCII"},
      {u"100%.inf", "percent sign"},
      {u"%SystemRoot%\\a.inf", "percent sign"},
  };
  for (const auto& c : cases) {
    try {
      InstallScript({{u"ok", c.name}});
      ADD_FAILURE() << "accepted " << text::ToUtf8(c.name);
    } catch (const QuillonError& e) {
      const std::string message = text::ToUtf8(e.Message());
      EXPECT_NE(message.find(c.why), std::string::npos) << message;
      EXPECT_NE(message.find("\"" + text::ToUtf8(c.name) + "\""), std::string::npos) << message;
    }
  }
  EXPECT_THROW(InstallScript({{u"..", u"a.inf"}}), QuillonError) << "the folder is checked too";
  EXPECT_NO_THROW(CheckKitName(u"..a\\b..\\c.inf")) << "dots inside a name lead nowhere";
}

TEST(InstallKit, WritesScriptAndReadmeOrNothing) {
  const auto kit = std::filesystem::temp_directory_path() / ("quillon-kit-" + std::to_string(::getpid()));
  std::filesystem::remove_all(kit);
  std::filesystem::create_directories(kit);
  EXPECT_THROW(restore::WriteInstallKit(kit, {{u"good", u"good.inf"}, {u"bad", u"bad|.inf"}}), QuillonError);
  EXPECT_TRUE(std::filesystem::is_empty(kit)) << "a refused name left files behind";

  restore::WriteInstallKit(kit, {{u"nwserial", u"nwserial.inf"}, {u"Tom & Jerry", u"tj.inf"}});
  std::ifstream readmeFile(kit / "README.txt", std::ios::binary), scriptFile(kit / "install-drivers.cmd", std::ios::binary);
  std::stringstream readme, script;
  readme << readmeFile.rdbuf();
  script << scriptFile.rdbuf();
  ExpectCrLfAsciiOnly(readme.str());
  EXPECT_NE(readme.str().find("2 driver package(s)"), std::string::npos);
  EXPECT_NE(readme.str().find("  nwserial\\nwserial.inf\r\n  Tom & Jerry\\tj.inf\r\n"), std::string::npos) << readme.str();
  EXPECT_NE(readme.str().find("Run as administrator"), std::string::npos);
  EXPECT_EQ(script.str(), InstallScript({{u"nwserial", u"nwserial.inf"}, {u"Tom & Jerry", u"tj.inf"}}));
  std::filesystem::remove_all(kit);
}

}  // namespace
