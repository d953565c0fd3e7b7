// The setup-services adapter against Wine's setupapi: binding, enumeration and the
// error codes the scan relies on (size probes, structure sizes, stubs).
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/SetupApi.h"
#include "windows/support/Win32TestPlatform.h"

namespace {

using win32_test::Win32TestPlatform;

class SetupAdapter : public ::testing::Test {
 protected:
  void SetUp() override {
    set = os.setup->GetClassDevs(nullptr, nullptr, 0, ports::kDigcfPresent | ports::kDigcfAllClasses);
    ASSERT_NE(set, winapi::kInvalidHandle) << ::GetLastError();
    element.cbSize = sizeof element;
    ASSERT_TRUE(os.setup->EnumDeviceInfo(set, 0, &element)) << "Wine lists no device: " << ::GetLastError();
  }
  void TearDown() override {
    if (set != winapi::kInvalidHandle) {
      EXPECT_TRUE(os.setup->DestroyDeviceInfoList(set));
    }
  }
  Win32TestPlatform os;
  ports::HDevInfo set = winapi::kInvalidHandle;
  ports::SpDevInfoData element;
};

TEST_F(SetupAdapter, EnumerationEndsWithNoMoreItemsAndChecksTheStructureSize) {
  uint32_t count = 0;
  ports::SpDevInfoData next;
  next.cbSize = sizeof next;
  while (os.setup->EnumDeviceInfo(set, count, &next)) ++count;
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_NO_MORE_ITEMS));
  EXPECT_GT(count, 0u);

  ports::SpDevInfoData wrong;
  wrong.cbSize = 28;
  EXPECT_FALSE(os.setup->EnumDeviceInfo(set, 0, &wrong));
  EXPECT_EQ(::GetLastError(), ports::kErrorInvalidUserBuffer);
  EXPECT_FALSE(os.setup->EnumDeviceInfo(set, 0, nullptr));
}

TEST_F(SetupAdapter, ElementCarriesItsClassAndDevnode) {
  EXPECT_EQ(element.cbSize, 32u);
  // Wine numbers devnodes from 0: the numbers are only told apart, not checked for 0.
  ports::SpDevInfoData second;
  second.cbSize = sizeof second;
  if (os.setup->EnumDeviceInfo(set, 1, &second)) {
    EXPECT_NE(second.DevInst, element.DevInst);
  }
  // The class GUID of the element is the device's ClassGUID property.
  uint8_t buffer[256] = {};
  uint32_t type = 0, required = 0;
  ASSERT_TRUE(os.setup->GetDeviceRegistryProperty(set, &element, ports::kSpdrpClassGuid, &type, buffer,
                                                  sizeof buffer, &required));
  EXPECT_EQ(type, winapi::kRegSz);
  EXPECT_EQ(text::UpToNul(reinterpret_cast<const char16_t*>(buffer), required / 2),
            text::GuidToString(element.ClassGuid));
}

TEST_F(SetupAdapter, InstanceIdProbesItsSize) {
  uint32_t required = 0;
  char16_t tiny[2] = {};
  EXPECT_FALSE(os.setup->GetDeviceInstanceId(set, &element, tiny, 2, &required));
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  ASSERT_GT(required, 2u);
  std::vector<char16_t> id(required);
  uint32_t again = 0;
  ASSERT_TRUE(os.setup->GetDeviceInstanceId(set, &element, id.data(), required, &again));
  EXPECT_EQ(again, required);
  const WString text = id.data();
  EXPECT_EQ(text.size() + 1, required);
  EXPECT_NE(text.find(u'\\'), WString::npos) << text::ToUtf8(text);
}

TEST_F(SetupAdapter, PropertiesReportTheirTypeSizeAndMissingValues) {
  uint8_t buffer[1024];
  uint32_t type = 0, required = 0;
  ASSERT_TRUE(os.setup->GetDeviceRegistryProperty(set, &element, ports::kSpdrpHardwareId, &type, buffer,
                                                  sizeof buffer, &required));
  EXPECT_EQ(type, winapi::kRegMultiSz);
  EXPECT_GE(required, 4u);
  // Too small: the type and size still come back.
  uint32_t smallType = 0, smallRequired = 0;
  EXPECT_FALSE(os.setup->GetDeviceRegistryProperty(set, &element, ports::kSpdrpHardwareId, &smallType, buffer, 2,
                                                   &smallRequired));
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(smallRequired, required);
  EXPECT_EQ(smallType, winapi::kRegMultiSz);
  // Wine's own devices have no friendly name: error 13, the path the scan treats as absent.
  EXPECT_FALSE(os.setup->GetDeviceRegistryProperty(set, &element, ports::kSpdrpFriendlyName, &type, buffer,
                                                   sizeof buffer, &required));
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_INVALID_DATA));
}

TEST(SetupAdapterBinding, DriverStoreLookupNeedsTheBindingAndWineStubsIt) {
  Win32TestPlatform os;
  char16_t path[260] = {};
  uint32_t required = 0;
  EXPECT_FALSE(os.setup->GetInfDriverStoreLocation(u"machine.inf", nullptr, nullptr, path, 260, &required));
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));

  if (!os.setup->BindInfDriverStoreLocation()) GTEST_SKIP() << "this setupapi has no SetupGetInfDriverStoreLocationW";
  ::SetLastError(0);
  const bool found = os.setup->GetInfDriverStoreLocation(u"machine.inf", nullptr, nullptr, nullptr, 0, &required);
  const DWORD error = ::GetLastError();
  if (found || error == ERROR_INSUFFICIENT_BUFFER) GTEST_SKIP() << "a working driver store lookup (not Wine's stub)";
  EXPECT_EQ(error, DWORD(ERROR_CALL_NOT_IMPLEMENTED));
}

TEST(SetupAdapterIcons, DeviceIconsNeedTheExportWineLacks) {
  Win32TestPlatform os;
  if (::GetProcAddress(::GetModuleHandleW(L"setupapi.dll"), "SetupDiLoadDeviceIcon"))
    GTEST_SKIP() << "this setupapi exports SetupDiLoadDeviceIcon";
  ports::HDevInfo set = os.setup->GetClassDevs(nullptr, nullptr, 0, ports::kDigcfPresent | ports::kDigcfAllClasses);
  ASSERT_NE(set, winapi::kInvalidHandle);
  ports::SpDevInfoData element;
  element.cbSize = sizeof element;
  ASSERT_TRUE(os.setup->EnumDeviceInfo(set, 0, &element));
  ports::HIcon icon = 0x1234;
  EXPECT_FALSE(os.setup->LoadDeviceIcon(set, &element, 11, 11, 0, &icon));
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(icon, 0x1234u);  // untouched on failure
  EXPECT_TRUE(os.setup->DestroyDeviceInfoList(set));
  EXPECT_FALSE(os.setup->DestroyIcon(0));
}

TEST(SetupAdapterSets, InvalidSetRequestsFail) {
  Win32TestPlatform os;
  // No class and not all classes: nothing to list.
  EXPECT_EQ(os.setup->GetClassDevs(nullptr, nullptr, 0, ports::kDigcfPresent), winapi::kInvalidHandle);
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

}  // namespace
