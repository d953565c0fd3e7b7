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

// A device key with the given dates (0: not recorded), in the Windows 8+ layout
// or the Windows 7 one.
bool Removed(uint64_t arrival, uint64_t removal, bool windows7 = false) {
  offline::RegKey device(u"0000");
  auto write = windows7 ? Windows7Date : Date;
  if (arrival) write(device, u"0066", arrival);
  if (removal) write(device, u"0067", removal);
  return offline::WasRemoved(device);
}

TEST(DevicePresence, RemovedOnlyWhenTheLastRemovalFollowsTheLastArrival) {
  EXPECT_FALSE(Removed(0, 0));      // root-enumerated devices record no dates
  EXPECT_FALSE(Removed(200, 100));  // unplugged once, back since
  EXPECT_TRUE(Removed(100, 200));   // unplugged after it last arrived
  EXPECT_TRUE(Removed(0, 200));
  EXPECT_FALSE(Removed(200, 100, true));
  EXPECT_TRUE(Removed(100, 200, true));
}

}  // namespace
