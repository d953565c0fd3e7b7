// ScanDevices through Wine's setupapi and registry: Wine's own devices, and
// devices the test writes into the registry with every property the scan reads.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "devices/Devices.h"
#include "devices/ScanSteps.h"
#include "windows/support/RegistrySeed.h"
#include "windows/support/Win32TestPlatform.h"

namespace {

using win32_test::RecordedImageList;
using win32_test::RegistrySeed;
using win32_test::Win32TestPlatform;

const std::wstring kEnum = L"SYSTEM\\CurrentControlSet\\Enum\\";
const std::wstring kClass = L"SYSTEM\\CurrentControlSet\\Control\\Class\\";

std::wstring Pid() { return std::to_wstring(::GetCurrentProcessId()); }
WString W(const std::wstring& s) { return WString(s.begin(), s.end()); }

// A class of this process's own: {5EEDxxxx-C0DE-4000-8000-0000000000D1}.
std::wstring TestClassGuid() {
  wchar_t guid[40];
  swprintf(guid, 40, L"{5EED%04X-C0DE-4000-8000-0000000000D1}", unsigned(::GetCurrentProcessId() & 0xFFFF));
  return guid;
}

std::wstring WindowsInfFolder() {
  wchar_t windows[MAX_PATH];
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  return std::wstring(windows) + L"\\inf\\";
}

// Devices below an enumerator of this process: a complete one with a driver and an
// INF, one whose properties have the wrong registry types, and two without a
// description, one of them with a service.
class SeededDevices {
 public:
  SeededDevices() : enumerator_(L"QUILLON" + Pid()), guid_(TestClassGuid()), inf_(L"quillon" + Pid() + L".inf") {
    const std::wstring device = kEnum + enumerator_ + L"\\TESTDEV\\0000";
    const std::wstring odd = kEnum + enumerator_ + L"\\TESTDEV\\0001";
    const std::wstring classKey = kClass + guid_;
    seed_.Tree(kEnum + enumerator_);
    seed_.Tree(classKey);
    seed_.String(classKey, L"", L"Quillon test devices");
    seed_.String(classKey, L"Class", L"QuillonTest");

    seed_.String(device, L"ClassGUID", guid_);
    seed_.String(device, L"Class", L"QuillonTest");
    seed_.String(device, L"DeviceDesc", L"Quillon test device");
    seed_.Multi(device, L"HardwareID", {L"ROOT\\QUILLON_A", L"QUILLON_B"});
    seed_.Multi(device, L"CompatibleIDs", {L"QUILLON_COMPAT"});
    seed_.String(device, L"Driver", guid_ + L"\\0000");
    seed_.String(device, L"Mfg", L"Quillon Makers");
    seed_.String(device, L"Service", L"quillonsvc");
    seed_.Dword(device, L"Capabilities", 0x84);
    seed_.Dword(device, L"ConfigFlags", 0x400);

    const std::wstring driver = classKey + L"\\0000";
    seed_.String(driver, L"DriverDate", L"2-29-2024");
    seed_.String(driver, L"DriverDesc", L"Quillon test driver");
    seed_.String(driver, L"DriverVersion", L"1.2.3.4");
    seed_.String(driver, L"InfPath", inf_);
    seed_.String(driver, L"InfSection", L"QuillonInstall");
    seed_.String(driver, L"MatchingDeviceId", L"root\\quillon_a");
    seed_.String(driver, L"ProviderName", L"Quillon");
    const uint64_t date = 133536816000000000ull;
    seed_.Binary(driver, L"DriverDateData", &date, sizeof date);

    seed_.String(odd, L"ClassGUID", guid_);
    seed_.String(odd, L"DeviceDesc", L"Quillon odd device");
    seed_.String(odd, L"HardwareID", L"ROOT\\QUILLON_SZ");   // a list stored as a plain string
    seed_.String(odd, L"Capabilities", L"132");              // a number stored as text
    seed_.String(odd, L"FriendlyName", L"Quillon odd friend");

    seed_.String(kEnum + enumerator_ + L"\\TESTDEV\\0002", L"ClassGUID", guid_);
    seed_.String(kEnum + enumerator_ + L"\\TESTDEV\\0002", L"Service", L"quillonlegacy");
    seed_.String(kEnum + enumerator_ + L"\\TESTDEV\\0003", L"ClassGUID", guid_);

    std::ofstream(std::filesystem::path(WindowsInfFolder() + inf_), std::ios::binary)
        << "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=QuillonTest\r\nClassGuid=" << Narrow(guid_)
        << "\r\nProvider=Quillon\r\nCatalogFile=quillon.cat\r\n";
  }
  ~SeededDevices() { ::DeleteFileW((WindowsInfFolder() + inf_).c_str()); }

  WString InstanceId(const wchar_t* instance) const { return W(enumerator_ + L"\\TESTDEV\\" + instance); }
  WString Guid() const { return W(guid_); }
  WString Inf() const { return W(inf_); }

 private:
  static std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }
  RegistrySeed seed_;
  std::wstring enumerator_, guid_, inf_;
};

const TDevice* ByInstanceId(const TDeviceList& list, const WString& id) {
  auto it = std::find_if(list.begin(), list.end(),
                         [&](const TDevice& d) { return text::EqualsIgnoreCase(d.InstanceId, id); });
  return it == list.end() ? nullptr : &*it;
}

class Win32Scan : public ::testing::Test {
 protected:
  void SetUp() override { BindDriverStoreLocation(); }
  TDeviceList Scan(const TDeviceFilter& filter = {}, TDeviceCompare compare = nullptr,
                   const TScanCallback& callback = {}) {
    return ScanDevices(filter, compare, images, callback);
  }
  Win32TestPlatform os;
  RecordedImageList images;
};

// Cases that write devices into the prefix; they run alone (see quillon_add_test).
class SeededWin32Scan : public Win32Scan {};

TEST_F(Win32Scan, ListsWinesDevicesSortedWithoutDialogs) {
  const TDeviceList list = Scan();
  ASSERT_FALSE(list.empty());
  EXPECT_TRUE(os.dialogs.shown.empty()) << text::ToUtf8(os.dialogs.shown.front().text);
  EXPECT_TRUE(std::is_sorted(list.begin(), list.end(),
                             [](const TDevice& a, const TDevice& b) { return CompareDeviceDescriptions(a, b) < 0; }));
  for (const TDevice& d : list) {
    SCOPED_TRACE(text::ToUtf8(d.InstanceId));
    EXPECT_FALSE(d.InstanceId.empty());
    EXPECT_FALSE(d.Description.empty());  // never a nameless device
    EXPECT_FALSE(d.FriendlyName.empty());
    EXPECT_TRUE(d.Files.empty());
    EXPECT_TRUE(d.FoundInDriverPack.empty());
    // Wine's driver store lookup is a stub: no path, and no warning for it.
    EXPECT_TRUE(d.DriverStore.empty());
    // Joined lists never start or end with the separator.
    if (!d.HWID.empty()) {
      EXPECT_NE(d.HWID.front(), u'|');
      EXPECT_NE(d.HWID.back(), u'|');
    }
  }
}

TEST_F(Win32Scan, WithoutTheIconExportNoIconIsAdded) {
  if (::GetProcAddress(::GetModuleHandleW(L"setupapi.dll"), "SetupDiLoadDeviceIcon"))
    GTEST_SKIP() << "this setupapi loads device icons";
  const TDeviceList list = Scan();
  ASSERT_FALSE(list.empty());
  EXPECT_TRUE(images.icons.empty());
  EXPECT_TRUE(std::all_of(list.begin(), list.end(), [](const TDevice& d) { return d.ClassIconIndex == 0; }));
}

TEST_F(Win32Scan, ScanningTwiceGivesTheSameRecords) {
  const TDeviceList first = Scan();
  const TDeviceList second = Scan();
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first, second);
}

TEST_F(SeededWin32Scan, ReadsEveryFieldOfASeededDevice) {
  SeededDevices seeded;
  const TDeviceList list = Scan();
  const TDevice* d = ByInstanceId(list, seeded.InstanceId(L"0000"));
  ASSERT_NE(d, nullptr) << "the seeded device was not listed";
  EXPECT_EQ(text::GuidToString(d->ClassGuid), seeded.Guid());
  EXPECT_EQ(d->ClassName, u"QuillonTest");
  // Read after a size probe, which Windows fails for want of a buffer and Wine passes.
  EXPECT_EQ(d->ClassDescription, u"Quillon test devices");
  EXPECT_EQ(d->Description, u"Quillon test device");
  EXPECT_EQ(d->FriendlyName, u"Quillon test device");  // none stored: the description
  EXPECT_EQ(d->HWID, u"ROOT\\QUILLON_A|QUILLON_B");
  EXPECT_EQ(d->CompatibleID, u"QUILLON_COMPAT");
  EXPECT_EQ(d->DriverKey, seeded.Guid() + u"\\0000");
  EXPECT_EQ(d->Manuf, u"Quillon Makers");
  EXPECT_EQ(d->Service, u"quillonsvc");
  EXPECT_EQ(d->Capabilities, 0x84u);
  EXPECT_EQ(d->ConfigFlags, 0x400u);
  EXPECT_EQ(d->DriverDate, u"2-29-2024");
  EXPECT_EQ(d->DriverDateData.Value(), 133536816000000000ull);
  EXPECT_EQ(d->DriverDescription, u"Quillon test driver");
  EXPECT_EQ(d->DriverVersion, u"1.2.3.4");
  EXPECT_EQ(d->InfPath, seeded.Inf());
  EXPECT_EQ(d->InfSection, u"QuillonInstall");
  EXPECT_EQ(d->MatchingDeviceId, u"root\\quillon_a");
  EXPECT_EQ(d->ProviderName, u"Quillon");
  EXPECT_TRUE(d->DriverStore.empty());
  EXPECT_TRUE(os.dialogs.shown.empty());
}

TEST_F(SeededWin32Scan, PreInstallationNamesComeFromTheInstalledInf) {
  SeededDevices seeded;
  const TDevice* d = nullptr;
  const TDeviceList list = Scan();
  d = ByInstanceId(list, seeded.InstanceId(L"0000"));
  ASSERT_NE(d, nullptr);
  // Wine keeps no record of the names before installation: it gives the INF's own
  // name, and the catalog named in [Version].
  EXPECT_TRUE(text::EqualsIgnoreCase(d->OriginalInfName, seeded.Inf())) << text::ToUtf8(d->OriginalInfName);
  EXPECT_EQ(d->OriginalCatName, u"quillon.cat");
}

TEST_F(SeededWin32Scan, ClassDescriptionProbesItsSizeFirst) {
  SeededDevices seeded;
  winapi::Guid guid;
  ASSERT_TRUE(text::StringToGuid(seeded.Guid(), guid));
  uint32_t required = 0;
  ::SetLastError(0);
  if (!os.setup->GetClassDescription(guid, nullptr, 0, &required)) {
    EXPECT_EQ(::GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  }  // else Wine: its probe without a buffer succeeds
  ASSERT_EQ(required, 21u);  // "Quillon test devices" and its NUL
  std::vector<char16_t> description(required);
  ASSERT_TRUE(os.setup->GetClassDescription(guid, description.data(), required, nullptr));
  EXPECT_EQ(WString(description.data()), u"Quillon test devices");
  // A class without a description key fails the probe some other way: nothing to read.
  guid.Data1 ^= 0xFFFF;
  EXPECT_FALSE(os.setup->GetClassDescription(guid, nullptr, 0, &required));
  EXPECT_NE(::GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(SeededWin32Scan, PropertiesOfAnotherRegistryTypeStayEmpty) {
  SeededDevices seeded;
  const TDeviceList list = Scan();
  const TDevice* d = ByInstanceId(list, seeded.InstanceId(L"0001"));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->Description, u"Quillon odd device");
  EXPECT_EQ(d->FriendlyName, u"Quillon odd friend");
  EXPECT_TRUE(d->HWID.empty());
  EXPECT_EQ(d->Capabilities, 0u);
  // No driver: the driver fields and names stay empty.
  EXPECT_TRUE(d->DriverKey.empty());
  EXPECT_TRUE(d->InfPath.empty());
  EXPECT_TRUE(d->ProviderName.empty());
  EXPECT_TRUE(d->OriginalInfName.empty());
  EXPECT_TRUE(d->OriginalCatName.empty());
}

TEST_F(SeededWin32Scan, FilterOrderAndCallbackApplyToRealDevices) {
  SeededDevices seeded;
  std::vector<WString> told;
  const WString guid = seeded.Guid();
  const TDeviceList list = Scan([&](const TDevice& d) { return text::GuidToString(d.ClassGuid) == guid; },
                                [](const TDevice& a, const TDevice& b) {
                                  return -text::CompareOrdinal(a.FriendlyName, b.FriendlyName);
                                },
                                [&](const WString& description) { told.push_back(description); });
  ASSERT_EQ(list.size(), 4u);
  // Descending by friendly name; the nameless ones by their service or device part.
  EXPECT_EQ(list[0].FriendlyName, u"quillonlegacy");
  EXPECT_EQ(list[1].FriendlyName, u"TESTDEV");
  EXPECT_EQ(list[2].FriendlyName, u"Quillon test device");
  EXPECT_EQ(list[3].FriendlyName, u"Quillon odd friend");
  std::sort(told.begin(), told.end());
  EXPECT_EQ(told, (std::vector<WString>{u"Quillon odd device", u"Quillon test device", u"TESTDEV", u"quillonlegacy"}));
}

TEST_F(SeededWin32Scan, DriverStoreBindingSurvivesWinesStub) {
  // The start-up step binds the exported stub; every lookup then fails without a size
  // and the scan goes on silently.
  EXPECT_TRUE(devices::DriverStoreLocationBound());
  SeededDevices seeded;
  const TDeviceList list = Scan();
  const TDevice* d = ByInstanceId(list, seeded.InstanceId(L"0000"));
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(d->DriverStore.empty());
  EXPECT_TRUE(os.dialogs.shown.empty());
}

}  // namespace
