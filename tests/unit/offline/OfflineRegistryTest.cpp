#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "platform/offline/Adapters.h"
#include "tests/unit/offline/MachineFolder.h"

namespace {

class OfflineRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.Write("registry.reg", simtest::Utf16RegFile(
                                     "Windows Registry Editor Version 5.00\n\n"
                                     "[HKEY_LOCAL_MACHINE\\SOFTWARE\\7-Zip]\n"
                                     "\"Path64\"=\"C:\\\\Program Files\\\\7-Zip\\\\\"\n"
                                     "@=\"seven\"\n"
                                     "\"Flags\"=dword:00000003\n"));
    folder.Write("machine.ini", "[faults]\nRegQueryValueExW:Broken=5\nRegOpenKeyExW:SOFTWARE\\Locked=5\n");
    machine = offline::Machine::Load(folder.Root());
    registry = offline::MakeRegistry(*machine);
  }

  ports::HKey Open(const char16_t* path) {
    ports::HKey key = 0;
    EXPECT_EQ(registry->OpenKey(ports::kHKeyLocalMachine, path, ports::kKeyRead, &key), 0) << text::ToUtf8(path);
    return key;
  }

  simtest::MachineFolder folder;
  std::unique_ptr<offline::Machine> machine;
  std::unique_ptr<ports::IRegistry> registry;
};

TEST_F(OfflineRegistry, OpensKeysIgnoringCase) {
  ports::HKey key = Open(u"software\\7-ZIP");
  EXPECT_NE(key, 0u);
  ports::HKey child = 0;
  EXPECT_EQ(registry->OpenKey(ports::kHKeyLocalMachine, u"SOFTWARE\\Missing", ports::kKeyRead, &child), 2);
  EXPECT_EQ(child, 0u);
  EXPECT_EQ(registry->OpenKey(ports::kHKeyLocalMachine, u"\\SOFTWARE", ports::kKeyRead, &child), 161);
  ports::HKey software = Open(u"SOFTWARE");
  EXPECT_EQ(registry->OpenKey(software, u"7-zip", ports::kKeyRead, &child), 0);
  EXPECT_EQ(registry->CloseKey(child), 0);
  EXPECT_EQ(registry->CloseKey(software), 0);
  EXPECT_EQ(registry->CloseKey(key), 0);
  EXPECT_EQ(registry->CloseKey(key), 6);  // already closed
}

TEST_F(OfflineRegistry, ReportsTypeAndByteSizeOnAProbe) {
  ports::HKey key = Open(u"SOFTWARE\\7-Zip");
  uint32_t type = 0, size = 0;
  EXPECT_EQ(registry->QueryValue(key, u"path64", &type, nullptr, &size), 0);
  EXPECT_EQ(type, winapi::kRegSz);
  EXPECT_EQ(size, (std::u16string_view(u"C:\\Program Files\\7-Zip\\").size() + 1) * 2);
  registry->CloseKey(key);
}

TEST_F(OfflineRegistry, SmallBufferGivesMoreDataAndTheNeededSize) {
  ports::HKey key = Open(u"SOFTWARE\\7-Zip");
  char16_t buffer[64] = {u'x', u'x'};
  uint32_t size = 4;
  EXPECT_EQ(registry->QueryValue(key, u"Path64", nullptr, reinterpret_cast<uint8_t*>(buffer), &size), 234);
  EXPECT_EQ(size, 48u);
  size = sizeof buffer;
  EXPECT_EQ(registry->QueryValue(key, u"Path64", nullptr, reinterpret_cast<uint8_t*>(buffer), &size), 0);
  EXPECT_EQ(size, 48u);
  EXPECT_EQ(WString(buffer), u"C:\\Program Files\\7-Zip\\");
  registry->CloseKey(key);
}

TEST_F(OfflineRegistry, ReadsDefaultAndDwordValues) {
  ports::HKey key = Open(u"SOFTWARE\\7-Zip");
  char16_t text[16];
  uint32_t size = sizeof text, type = 0;
  EXPECT_EQ(registry->QueryValue(key, nullptr, &type, reinterpret_cast<uint8_t*>(text), &size), 0);
  EXPECT_EQ(WString(text), u"seven");
  size = sizeof text;
  EXPECT_EQ(registry->QueryValue(key, u"", &type, reinterpret_cast<uint8_t*>(text), &size), 0);
  uint32_t flags = 0;
  size = sizeof flags;
  EXPECT_EQ(registry->QueryValue(key, u"Flags", &type, reinterpret_cast<uint8_t*>(&flags), &size), 0);
  EXPECT_EQ(type, winapi::kRegDword);
  EXPECT_EQ(flags, 3u);
  registry->CloseKey(key);
}

TEST_F(OfflineRegistry, MissingValueAndBadHandleAreErrors) {
  ports::HKey key = Open(u"SOFTWARE\\7-Zip");
  uint32_t size = 0;
  EXPECT_EQ(registry->QueryValue(key, u"Path32", nullptr, nullptr, &size), 2);
  EXPECT_EQ(registry->QueryValue(ports::HKey(0x777), u"Path64", nullptr, nullptr, &size), 6);
  registry->CloseKey(key);
}

TEST_F(OfflineRegistry, InjectedFaultsFailTheNamedCall) {
  machine->LocalMachine().Child(u"SOFTWARE").Child(u"Locked");
  ports::HKey key = 0;
  EXPECT_EQ(registry->OpenKey(ports::kHKeyLocalMachine, u"software\\locked", ports::kKeyRead, &key), 5);
  ports::HKey zip = Open(u"SOFTWARE\\7-Zip");
  uint32_t size = 0;
  EXPECT_EQ(registry->QueryValue(zip, u"broken", nullptr, nullptr, &size), 5);
  EXPECT_EQ(registry->QueryValue(zip, u"Flags", nullptr, nullptr, &size), 0);
  registry->CloseKey(zip);
}

}  // namespace
