#include <gtest/gtest.h>

#include "platform/WinTypes.h"
#include "platform/offline/Machine.h"
#include "tests/unit/offline/MachineFolder.h"

using offline::RegKey;
using offline::RegValue;

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> b) { return std::vector<uint8_t>(b.begin(), b.end()); }

std::vector<uint8_t> Utf16Z(WStringView s) {
  std::vector<uint8_t> out;
  for (char16_t c : s) {
    out.push_back(uint8_t(c));
    out.push_back(uint8_t(c >> 8));
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

// A complete export: every value type, continuation lines, deletions, comments.
const char* const kExport =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "; exported for the tests\n"
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_8086&DEV_1234\\3&11583659&0&10]\n"
    "\"DeviceDesc\"=\"Ger\xC3\xA4t \\\"quoted\\\" C:\\\\path\"\n"
    "\"ConfigFlags\"=dword:00000010\n"
    "\"Capabilities\"=dword:ff\n"
    "\"HardwareID\"=hex(7):50,00,43,00,49,00,00,00,41,00,00,00,\\\n"
    "  00,00\n"
    "\"ImagePath\"=hex(2):25,00,41,00,25,00,00,00\n"
    "\"Blob\"=hex:01,02,\\\n"
    "    03,04,\\\n"
    "\t05\n"
    "\"Empty\"=hex:\n"
    "\"Big\"=hex(b):01,00,00,00,00,00,00,80\n"
    "\"Custom\"=hex(100):aa,BB\n"
    "\"Gone\"=\"soon\"\n"
    "\"Gone\"=-\n"
    "@=\"default text\"\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Doomed\\Child]\n"
    "\"x\"=dword:1\n"
    "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Doomed]\n"
    "[HKEY_CURRENT_USER\\Software\\Skipped]\n"
    "\"ignored\"=\"yes\"\n";

class RegFileParser : public ::testing::Test {
 protected:
  RegKey root{u"HKEY_LOCAL_MACHINE"};

  const RegKey& Device() {
    const RegKey* k = &root;
    for (const char16_t* name : {u"system", u"CURRENTCONTROLSET", u"Enum", u"PCI", u"VEN_8086&DEV_1234", u"3&11583659&0&10"}) {
      k = k->FindChild(name);
      if (!k) throw std::runtime_error("device key missing");
    }
    return *k;
  }

  // The message of the MachineError the content raises ("" when none).
  std::string ErrorOf(const std::string& content) {
    RegKey scratch{u"HKEY_LOCAL_MACHINE"};
    try {
      offline::ParseRegFile(content, "broken.reg", scratch);
    } catch (const offline::MachineError& e) {
      return e.what();
    }
    return "";
  }
};

TEST_F(RegFileParser, ReadsEveryValueTypeOfAUtf16Export) {
  offline::ParseRegFile(simtest::Utf16RegFile(kExport), "registry.reg", root);
  const RegKey& dev = Device();

  const RegValue* desc = dev.FindValue(u"devicedesc");
  ASSERT_NE(desc, nullptr);
  EXPECT_EQ(desc->type, winapi::kRegSz);
  EXPECT_EQ(desc->data, Utf16Z(u"Ger\u00e4t \"quoted\" C:\\path"));

  EXPECT_EQ(dev.FindValue(u"ConfigFlags")->type, winapi::kRegDword);
  EXPECT_EQ(dev.FindValue(u"ConfigFlags")->data, Bytes({0x10, 0, 0, 0}));
  EXPECT_EQ(dev.FindValue(u"Capabilities")->data, Bytes({0xff, 0, 0, 0}));

  const RegValue* ids = dev.FindValue(u"HardwareID");
  EXPECT_EQ(ids->type, winapi::kRegMultiSz);
  EXPECT_EQ(ids->data, Bytes({'P', 0, 'C', 0, 'I', 0, 0, 0, 'A', 0, 0, 0, 0, 0}));

  EXPECT_EQ(dev.FindValue(u"ImagePath")->type, winapi::kRegExpandSz);
  EXPECT_EQ(dev.FindValue(u"Blob")->type, winapi::kRegBinary);
  EXPECT_EQ(dev.FindValue(u"Blob")->data, Bytes({1, 2, 3, 4, 5}));
  EXPECT_TRUE(dev.FindValue(u"Empty")->data.empty());
  EXPECT_EQ(dev.FindValue(u"Big")->type, winapi::kRegQword);
  EXPECT_EQ(dev.FindValue(u"Custom")->type, 0x100u);
  EXPECT_EQ(dev.FindValue(u"Custom")->data, Bytes({0xaa, 0xbb}));
  EXPECT_EQ(dev.FindValue(u"Gone"), nullptr);
  EXPECT_EQ(dev.FindValue(u"")->data, Utf16Z(u"default text"));
}

TEST_F(RegFileParser, DeletesKeysAndSkipsOtherRoots) {
  offline::ParseRegFile(simtest::Utf16RegFile(kExport), "registry.reg", root);
  const RegKey* software = root.FindChild(u"SOFTWARE");
  ASSERT_NE(software, nullptr);
  EXPECT_EQ(software->FindChild(u"Doomed"), nullptr);
  EXPECT_EQ(root.Children().size(), 2u);  // SYSTEM and SOFTWARE only
}

TEST_F(RegFileParser, AcceptsUtf8WithAndWithoutBomAndRegedit4) {
  offline::ParseRegFile("\xEF\xBB\xBFWindows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=\"1\"\n", "a.reg", root);
  offline::ParseRegFile("Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\B]\r\n@=dword:2\r\n", "b.reg", root);
  offline::ParseRegFile("REGEDIT4\n[HKEY_LOCAL_MACHINE\\C]\n\"m\"=hex(7):41,00,00\n", "c.reg", root);
  EXPECT_EQ(root.FindChild(u"a")->FindValue(u"V")->data, Utf16Z(u"1"));
  EXPECT_EQ(root.FindChild(u"B")->FindValue(u"")->data, Bytes({2, 0, 0, 0}));
  // REGEDIT4 text bytes are single-byte; the W calls see them widened.
  EXPECT_EQ(root.FindChild(u"C")->FindValue(u"m")->data, Bytes({'A', 0, 0, 0, 0, 0}));
}

TEST_F(RegFileParser, RejectsBrokenFilesNamingFileAndLine) {
  const std::string head = "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n";
  struct Case {
    std::string content;
    std::string expected;
  } cases[] = {
      {"REGEDIT5\n", "broken.reg:1: expected the header"},
      {head + "\"a\"=dword:123456789\n", "broken.reg:3: bad dword"},
      {head + "\"a\"=dword:xyz\n", "broken.reg:3: bad dword"},
      {head + "\"a\"=hex:01,02,\n", "broken.reg:3: truncated hex list"},
      {head + "\"a\"=hex:01,2\n", "broken.reg:3: bad hex byte \"2\""},
      {head + "\"a\"=hex(7):41,00,00\n", "broken.reg:3: odd number of bytes (3)"},
      {head + "\"a\"=hex(b):01,02\n", "broken.reg:3: a qword needs 8 bytes"},
      {head + "\"a\"=str:\"x\"\n", "broken.reg:3: unknown value type"},
      {head + "\"a\"=hex(zz):00\n", "broken.reg:3: bad value type"},
      {head + "\"a\"=\"open\n", "broken.reg:3: unterminated string"},
      {head + "\"a\"=\"x\" tail\n", "broken.reg:3: text after the string's closing quote"},
      {head + "\"a\"=\"bad \\n escape\"\n", "broken.reg:3: unknown escape"},
      {head + "\"a\" dword:1\n", "broken.reg:3: expected '='"},
      {head + "garbage\n", "broken.reg:3: expected a [key], a value or a comment"},
      {head + "[HKEY_LOCAL_MACHINE\\K\n", "broken.reg:3: key line without ']'"},
      {head + "[HKEY_LOCAL_MACHINE\\\\K]\n", "broken.reg:3: empty key name"},
      {head + "[HKEY_NOWHERE\\K]\n", "broken.reg:3: unknown root key"},
      {"Windows Registry Editor Version 5.00\n\"a\"=dword:1\n", "broken.reg:2: value outside a key"},
      {head + "[-HKEY_LOCAL_MACHINE\\K]\n\"a\"=dword:1\n", "broken.reg:4: value outside a key"},
      // The line of a continued value is the line it starts on.
      {head + "\"a\"=hex:01,\\\n  02,\\\n  3\n", "broken.reg:3: bad hex byte \"3\""},
      // A value cut short: its last continuation has nothing after it.
      {head + "\"a\"=hex:01,\\\n  02,\\", "broken.reg:4: the value continues"},
      {head + "\"a\"=hex:01,\\\n\n\"b\"=dword:1\n", "broken.reg:3: the value continues"},
      {head + "\"a\"=hex(2):41,00,\\\n  42\n", "broken.reg:3: odd number of bytes (3)"},
      {head + "[HKEY_LOCAL_MACHINE\\K\\\\]\n", "broken.reg:3: empty key name"},
  };
  for (const Case& c : cases) {
    std::string message = ErrorOf(c.content);
    EXPECT_EQ(message.rfind(c.expected, 0), 0u) << "input:\n" << c.content << "\ngave: " << message;
  }
}

TEST_F(RegFileParser, KeyLineEndingInABackslashNamesTheKey) {
  offline::ParseRegFile("Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\SYSTEM\\]\n\"v\"=dword:7\n"
                        "[HKEY_LOCAL_MACHINE\\]\n\"top\"=dword:1\n",
                        "a.reg", root);
  ASSERT_EQ(root.Children().size(), 1u);
  const RegKey* system = root.FindChild(u"SYSTEM");
  ASSERT_NE(system, nullptr);
  EXPECT_TRUE(system->Children().empty());
  EXPECT_EQ(system->FindValue(u"v")->data, Bytes({7, 0, 0, 0}));
  EXPECT_EQ(root.FindValue(u"top")->data, Bytes({1, 0, 0, 0}));
}

TEST_F(RegFileParser, ReportsTheLineOfBrokenUtf16Input) {
  std::string file = simtest::Utf16RegFile("Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=hex:0g\n");
  EXPECT_EQ(ErrorOf(file).rfind("broken.reg:4: bad hex byte \"0g\"", 0), 0u) << ErrorOf(file);
  file.pop_back();  // half a UTF-16 character
  EXPECT_NE(ErrorOf(file).find("ends in half a character"), std::string::npos);
}

TEST_F(RegFileParser, EmptyFileIsAnEmptyRegistry) {
  offline::ParseRegFile("", "empty.reg", root);
  EXPECT_TRUE(root.Children().empty());
}

}  // namespace
