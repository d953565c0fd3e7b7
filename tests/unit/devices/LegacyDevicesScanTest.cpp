// The legacy devices of a Windows 7 disk whose driver files are lost: their
// descriptions point into .sys files the disk lacks, and every one of them is
// still named as Windows' own tools name it.
#include "ScanHarness.h"
#include "devices/ScanSteps.h"

namespace devices_test {
namespace {

class LegacyDevicesScan : public InstallationScan {
 protected:
  LegacyDevicesScan() : InstallationScan("legacy-installation") {}
};

TEST_F(LegacyDevicesScan, ADescriptionIntoAMissingFileFallsBackToItsTextThenServiceThenDevicePart) {
  EXPECT_EQ(ById("ROOT\\LEGACY_QUILLONBEEP\\0000").Description, u"Quillon Beep");  // its own text after ';'
  EXPECT_EQ(ById("ROOT\\LEGACY_QUILLONAFD\\0000").Description, u"QuillonAfd");     // the service
  EXPECT_EQ(ById("ROOT\\LEGACY_QUILLONGONE\\0000").Description, u"LEGACY_QUILLONGONE");
  EXPECT_EQ(ById("ROOT\\LEGACY_QUILLONBARE\\0000").Description, u"QuillonBare");  // no description stored
  for (const char* id : {"ROOT\\LEGACY_QUILLONAFD\\0000", "ROOT\\LEGACY_QUILLONGONE\\0000"}) {
    const TDevice& d = ById(id);
    EXPECT_EQ(d.FriendlyName, d.Description) << id;
    // The class description points into a missing DLL too: the class name stands in.
    EXPECT_EQ(d.ClassDescription, u"LegacyDriver") << id;
  }
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(LegacyDevicesScan, NoDeviceOrClassIsLeftWithoutAName) {
  ASSERT_GT(devices.size(), 4u);
  for (const TDevice& d : devices) {
    SCOPED_TRACE(text::ToUtf8(d.InstanceId));
    EXPECT_FALSE(d.Description.empty());
    EXPECT_FALSE(d.FriendlyName.empty());
    if (!d.ClassName.empty()) EXPECT_FALSE(d.ClassDescription.empty());
  }
}

TEST(InstanceIdDevicePart, IsTheMiddleOfThreePartsElseWhatThereIs) {
  EXPECT_EQ(devices::InstanceIdDevicePart(u"ROOT\\LEGACY_AFD\\0000"), u"LEGACY_AFD");
  EXPECT_EQ(devices::InstanceIdDevicePart(u"SWD\\PRINTENUM"), u"PRINTENUM");
  EXPECT_EQ(devices::InstanceIdDevicePart(u"HTREE"), u"HTREE");
  EXPECT_EQ(devices::InstanceIdDevicePart(u""), u"");
}

}  // namespace
}  // namespace devices_test
