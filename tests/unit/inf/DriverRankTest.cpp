// Windows' driver ranking: Microsoft's documented rank example, the order of the
// scores, and the ties broken by DriverVer.
#include "inf/DriverRank.h"

#include <gtest/gtest.h>

namespace {

using namespace inf;

// The device and models line of Microsoft's "Driver Package Rank Example".
const DeviceIds kDevice{{u"HwID_1", u"HwID_2"}, {u"CID_1", u"CID_2"}};

uint32_t ScoreOfMatch(const WString& deviceId, const WString& infId) {
  // A models line whose only identifier at the INF position is `infId`; the
  // other positions hold identifiers the device does not report.
  DeviceIds device;
  for (const WString& id : kDevice.hardwareIds) device.hardwareIds.push_back(id == deviceId ? u"X" : u"hw-" + id);
  for (const WString& id : kDevice.compatibleIds) device.compatibleIds.push_back(id == deviceId ? u"X" : u"c-" + id);
  WString hardwareId = u"INF_HwID_1";
  WStringList compatibleIds{u"INF_CID_1", u"INF_CID_2"};
  if (infId == hardwareId) hardwareId = u"X";
  for (WString& id : compatibleIds)
    if (id == infId) id = u"X";
  return IdentifierScore(hardwareId, compatibleIds, device).value();
}

TEST(DriverRank, MicrosoftsRankExampleTable) {
  const std::vector<std::pair<WString, std::vector<uint32_t>>> table = {
      {u"HwID_1", {0x0000, 0x1000, 0x1000}},
      {u"HwID_2", {0x0001, 0x1001, 0x1001}},
      {u"CID_1", {0x2000, 0x3000, 0x3100}},
      {u"CID_2", {0x2001, 0x3001, 0x3101}},
  };
  const WString infIds[] = {u"INF_HwID_1", u"INF_CID_1", u"INF_CID_2"};
  for (const auto& [deviceId, scores] : table)
    for (size_t column = 0; column < 3; ++column)
      EXPECT_EQ(ScoreOfMatch(deviceId, infIds[column]), scores[column])
          << text::ToUtf8(deviceId) << " / " << text::ToUtf8(infIds[column]);
  // With the example's FeatureScore 0xGG and a trusted signature, 0xSSGGTHHH.
  EXPECT_EQ(DriverRank(SignatureScore::Trusted, 0xFF, 0x3101), 0x00FF3101u);
  EXPECT_EQ(DriverRank(SignatureScore::UnsignedNt, 0x80, 0x0001), 0x80800001u);
}

TEST(DriverRank, TheBestMatchOfALineCountsAndIdentifiersIgnoreCase) {
  const DeviceIds device{{u"USB\\VID_1234&PID_ABCD&REV_0100", u"USB\\VID_1234&PID_ABCD"},
                         {u"USB\\Class_03&SubClass_01", u"USB\\Class_03"}};
  // Matches both a compatible id (0x2001) and the second hardware id (0x0001).
  EXPECT_EQ(IdentifierScore(u"usb\\vid_1234&pid_abcd", {u"USB\\Class_03"}, device), 0x0001u);
  EXPECT_EQ(IdentifierScore(u"USB\\VID_9999", {u"USB\\Class_03"}, device), 0x3001u);
  EXPECT_FALSE(IdentifierScore(u"USB\\VID_9999", {u"HID\\X"}, device));
  EXPECT_FALSE(IdentifierScore(u"", {}, DeviceIds{{u""}, {}}));  // an empty id matches nothing
}

TEST(DriverRank, PositionsAreCappedToTheirBits) {
  DeviceIds device;
  for (int i = 0; i < 0x1100; ++i) device.hardwareIds.push_back(u"H" + text::FromInt(i));
  for (int i = 0; i < 0x120; ++i) device.compatibleIds.push_back(u"C" + text::FromInt(i));
  EXPECT_EQ(IdentifierScore(u"H4351", {}, device), 0x0FFFu);  // position 0x10FF
  WStringList infCompatible(20, u"none");
  infCompatible[17] = u"C287";  // device position 0x11F, INF position 17
  EXPECT_EQ(IdentifierScore(u"none", infCompatible, device), 0x3FFFu);
}

TEST(DriverRank, LowerRankWinsThenTheNewerDateThenTheHigherVersion) {
  const DriverDate older{2022, 1, 1}, newer{2023, 6, 30};
  const DriverVersion low{{1, 0, 0, 9}}, high{{1, 0, 0, 10}};
  const RankedDriver signedHardware{DriverRank(SignatureScore::Trusted, 0xFF, 0x0000), older, low};
  const RankedDriver unsignedHardware{DriverRank(SignatureScore::UnsignedNt, 0xFF, 0x0000), newer, high};
  const RankedDriver signedCompatible{DriverRank(SignatureScore::Trusted, 0xFF, 0x1000), newer, high};
  const RankedDriver betterFeature{DriverRank(SignatureScore::Trusted, 0x00, 0x3101), older, low};
  EXPECT_TRUE(IsBetterDriver(signedHardware, unsignedHardware));  // signed before unsigned, whatever the date
  EXPECT_TRUE(IsBetterDriver(signedHardware, signedCompatible));  // a hardware id match before a compatible one
  EXPECT_TRUE(IsBetterDriver(betterFeature, signedHardware));    // FeatureScore outweighs the identifier
  EXPECT_FALSE(IsBetterDriver(signedCompatible, signedHardware));

  const RankedDriver sameRankNewer{signedHardware.rank, newer, low};
  const RankedDriver sameRankNewerHigher{signedHardware.rank, newer, high};
  EXPECT_TRUE(IsBetterDriver(sameRankNewer, signedHardware));
  EXPECT_TRUE(IsBetterDriver(sameRankNewerHigher, sameRankNewer));
  EXPECT_FALSE(IsBetterDriver(sameRankNewer, sameRankNewer));  // equal: neither is better
}

}  // namespace
