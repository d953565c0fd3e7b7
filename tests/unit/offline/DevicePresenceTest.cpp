// Which devices of an installation's Enum key were present: the PnP manager's
// arrival and removal dates, in the layouts of Windows 8+ and Windows 7.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/offline/DevicePresence.h"

namespace {

constexpr char16_t kDates[] = u"{83da6326-97a6-4088-9453-a1923f573b29}";
constexpr uint32_t kDevpropFiletime = 0xFFFF0010;

offline::RegValue FileTime(uint64_t ticks) {
  offline::RegValue v{kDevpropFiletime, std::vector<uint8_t>(8)};
  std::memcpy(v.data.data(), &ticks, 8);
  return v;
}

// Windows 8 and later: the date is the property key's default value.
void Date(offline::RegKey& device, const char16_t* property, uint64_t ticks) {
  device.Child(u"Properties").Child(kDates).Child(property).SetValue(u"", FileTime(ticks));
}

// Windows 7: the property key has a 0000 subkey with a "Data" value.
void Windows7Date(offline::RegKey& device, const char16_t* property, uint64_t ticks) {
  device.Child(u"Properties").Child(kDates).Child(property).Child(u"0000").SetValue(u"Data", FileTime(ticks));
}

TEST(DevicePresence, RemovedOnlyWhenTheLastRemovalFollowsTheLastArrival) {
  offline::RegKey noDates(u"0000");
  EXPECT_FALSE(offline::WasRemoved(noDates));  // root-enumerated devices record none

  offline::RegKey arrivedAgain(u"0000");
  Date(arrivedAgain, u"0067", 100);
  Date(arrivedAgain, u"0066", 200);
  EXPECT_FALSE(offline::WasRemoved(arrivedAgain));

  offline::RegKey unplugged(u"0000");
  Date(unplugged, u"0066", 100);
  Date(unplugged, u"0067", 200);
  EXPECT_TRUE(offline::WasRemoved(unplugged));

  offline::RegKey removalOnly(u"0000");
  Date(removalOnly, u"0067", 200);
  EXPECT_TRUE(offline::WasRemoved(removalOnly));

  offline::RegKey windows7(u"0000");
  Windows7Date(windows7, u"0066", 100);
  Windows7Date(windows7, u"0067", 200);
  EXPECT_TRUE(offline::WasRemoved(windows7));
}

}  // namespace
