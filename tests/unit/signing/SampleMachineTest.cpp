// The signed sample machine: every package's catalog is trusted and lists its
// files, except the one altered after signing; the package without a catalog is
// found through the machine's system catalogs.
#include "SigningFixture.h"

namespace signing_test {
namespace {

fs::path SampleMachine() { return fs::path(QUILLON_FIXTURES_DIR) / "sample-machine"; }
fs::path Package(const std::string& id) {
  return SampleMachine() / "C" / "Windows" / "System32" / "DriverStore" / "FileRepository" / id;
}

class SampleMachineSigningTest : public SigningTest {
 protected:
  void SetUp() override { UseMachine(SampleMachine()); }
};

TEST_F(SampleMachineSigningTest, PackageCatalogIsTrustedAndListsItsFiles) {
  const fs::path folder = Package("nwserial.inf_amd64_1122334455667788");
  const WString catalog = text::FromPath(folder / "nwserial.cat");
  EXPECT_TRUE(Verify(catalog, u""));
  for (const char* file : {"nwserial.inf", "x64/nwserial.sys", "x64/nwcoinst.dll"}) {
    SCOPED_TRACE(file);
    EXPECT_TRUE(Verify(catalog, text::FromPath(folder / file)));
  }
  EXPECT_EQ(counting->opens, 1);
}

TEST_F(SampleMachineSigningTest, FileAlteredAfterSigningIsNotInTheCatalog) {
  const fs::path folder = Package("tailspin.inf_amd64_99aabbccddeeff00");
  const WString catalog = text::FromPath(folder / "tailspin.cat");
  EXPECT_TRUE(Verify(catalog, u""));
  EXPECT_TRUE(Verify(catalog, text::FromPath(folder / "tailspin.inf")));
  EXPECT_FALSE(Verify(catalog, text::FromPath(folder / "tailspin.sys")));
  EXPECT_EQ(message, u"File not found in the catalog");
}

TEST_F(SampleMachineSigningTest, PackageWithoutCatalogIsFoundInTheSystemCatalogs) {
  const fs::path folder = Package("litaudio.inf_amd64_0a1b2c3d4e5f6071");
  const WString catalog = GetCatalogForFile(text::FromPath(folder / "litaudio.inf"));
  EXPECT_EQ(paths::ExtractFileName(catalog), u"oem5.cat");
  EXPECT_TRUE(Verify(catalog, u""));
  EXPECT_TRUE(Verify(u"", text::FromPath(folder / "litaudio.sys")));
}

TEST_F(SampleMachineSigningTest, SystemCatalogIsFoundThroughTheWindowsPath) {
  // The device scan hands over Windows paths; they map onto the machine folder.
  const WString inf =
      u"C:\\Windows\\System32\\DriverStore\\FileRepository\\litaudio.inf_amd64_0a1b2c3d4e5f6071\\litaudio.inf";
  EXPECT_EQ(paths::ExtractFileName(GetCatalogForFile(inf)), u"oem5.cat");
}

}  // namespace
}  // namespace signing_test
