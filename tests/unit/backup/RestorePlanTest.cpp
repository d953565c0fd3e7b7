// The restore plan: which package of a backup Windows would install on each
// device, ranked as Microsoft's "How Windows ranks drivers" describes (decoration,
// identifier score, FeatureScore, signature, then DriverVer date and version), and
// weighed against the driver the device has now.
#include "backup/RestorePlan.h"

#include <gtest/gtest.h>

#include "inf/DriverPackageInf.h"
#include "tests/unit/inf/InfTestFolder.h"

namespace {

using backup::PlanChoice;

// One models line of an INF of its own: [Version], a manufacturer with `decorations`,
// the line in the models section of `lineDecoration`, an install section.
struct Inf {
  std::string date = "01/01/2022", version = "1.0.0.0";
  std::string decorations = "NTamd64", lineDecoration = "NTamd64";
  std::string ids = "PCI\\VEN_1234&DEV_0001";  // hardware id, then compatible ids
  std::string installSuffix = ".NTamd64";      // of the install section the INF has
  std::string featureScore;                    // "" for none

  std::string Text() const {
    std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Net\r\n"
                       "ClassGuid={4D36E972-E325-11CE-BFC1-08002BE10318}\r\nProvider=Fabrikam\r\n"
                       "DriverVer=" + date + "," + version + "\r\n[Manufacturer]\r\nFabrikam=Models," + decorations +
                       "\r\n[Models." + lineDecoration + "]\r\n\"Fabrikam Adapter\"=Adapter_Install," + ids +
                       "\r\n[Adapter_Install" + installSuffix + "]\r\n";
    if (!featureScore.empty()) text += "FeatureScore=" + featureScore + "\r\n";
    return text;
  }
};

class RestorePlanTest : public inf_test::InfTestFolder {
 protected:
  // A package of the backup as the index records it: the INF read for amd64.
  void Add(const std::string& archive, const Inf& inf, const WString& signature = u"signed") {
    const auto path = Write(archive + ".inf", inf.Text());
    const inf::DriverPackageInf read = inf::ReadDriverPackageInf(path, inf::Architecture::Amd64);
    backup::BackupPackage package;
    package.archive = text::FromUtf8(archive + ".7z");
    package.infName = text::FromUtf8(archive + ".inf");
    package.version = read.version;
    package.manufacturers = read.manufacturers;
    package.models = read.models;
    package.signature = signature;
    contents.packages.push_back(std::move(package));
  }

  static TDevice Device(const WString& instanceId, const WString& hardwareIds, const WString& compatibleIds) {
    TDevice device;
    device.InstanceId = instanceId;
    device.Description = instanceId;
    device.HWID = hardwareIds;
    device.CompatibleID = compatibleIds;
    return device;
  }

  // The device with a driver installed: its driver key's values.
  static TDevice Installed(TDevice device, const WString& matchingId, const WString& date, const WString& version) {
    device.DriverKey = u"{4d36e972-e325-11ce-bfc1-08002be10318}\\0001";
    device.MatchingDeviceId = matchingId;
    device.DriverDate = date;
    device.DriverVersion = version;
    device.InfSection = u"Adapter_Install";
    return device;
  }

  backup::RestorePlan Plan(const TDeviceList& devices, uint32_t build = 19045) {
    inf::TargetOs target;
    target.build = build;
    return backup::PlanRestore(contents, devices, target);
  }

  // The archive the plan chose for its only device; "" when none.
  std::string Chosen(const TDeviceList& devices, uint32_t build = 19045) {
    const backup::RestorePlan plan = Plan(devices, build);
    const backup::PlannedDevice& only = plan.devices.at(0);
    return only.package ? text::ToUtf8(contents.packages[*only.package].archive) : "";
  }

  backup::BackupContents contents;
  const TDevice adapter = Device(u"PCI\\VEN_1234&DEV_0001\\1", u"PCI\\VEN_1234&DEV_0001&REV_02|PCI\\VEN_1234&DEV_0001",
                                 u"PCI\\VEN_1234&CC_0200|PCI\\CC_0200");
};

TEST_F(RestorePlanTest, AHardwareIdMatchOutranksACompatibleIdMatchWhateverTheDate) {
  Inf compatibleOnly{.date = "06/30/2024", .version = "9.0.0.0", .ids = "PCI\\VEN_9999,PCI\\VEN_1234&CC_0200"};
  Add("compatible", compatibleOnly);
  Add("hardware", Inf{.ids = "PCI\\VEN_1234&DEV_0001"});
  const backup::RestorePlan plan = Plan({adapter});
  const backup::PlannedDevice& device = plan.devices.at(0);
  EXPECT_EQ(text::ToUtf8(contents.packages[device.package.value()].archive), "hardware.7z");
  EXPECT_EQ(device.rank, 0x00FF0001u);  // trusted, no FeatureScore, the device's second hardware id
  EXPECT_EQ(device.matchedId, u"PCI\\VEN_1234&DEV_0001");
  EXPECT_EQ(device.choice, PlanChoice::WouldInstall);

  contents.packages.erase(contents.packages.begin() + 1);  // the compatible id alone: 0x3000-ranked, still chosen
  const backup::RestorePlan onlyCompatible = Plan({adapter});
  EXPECT_EQ(onlyCompatible.devices.at(0).rank, 0x00FF3000u);  // the first compatible id on both sides
  EXPECT_EQ(onlyCompatible.devices.at(0).matchedId, u"PCI\\VEN_1234&CC_0200");
}

TEST_F(RestorePlanTest, ADecorationForALaterBuildIsPassedOverOnAnEarlierWindows) {
  // The adapter's line sits only in the Windows 11 (build 22000) section.
  Add("win11", Inf{.date = "01/01/2024", .decorations = "NTamd64,NTamd64.10.0...22000",
                   .lineDecoration = "NTamd64.10.0...22000"});
  Add("win10", Inf{.date = "01/01/2020", .ids = "PCI\\VEN_0000,PCI\\VEN_1234&DEV_0001"});
  EXPECT_EQ(Chosen({adapter}, 19045), "win10.7z");  // its compatible-id line, as the only one that applies
  EXPECT_EQ(Chosen({adapter}, 22621), "win11.7z");
  // An x86 section never serves amd64 Windows.
  contents.packages.clear();
  Add("x86", Inf{.decorations = "NTx86", .lineDecoration = "NTx86"});
  EXPECT_EQ(Chosen({adapter}), "");
}

TEST_F(RestorePlanTest, SignedBeforeUnsignedThenFeatureScoreThenDateThenVersion) {
  // Microsoft's order: the rank (signature score, then FeatureScore, then identifier
  // score) decides; at equal rank the newer DriverVer date; then the higher version.
  Add("unsigned-newer", Inf{.date = "01/01/2025"}, u"unsigned");
  Add("signed-older", Inf{.date = "01/01/2019"}, u"signed");
  EXPECT_EQ(Chosen({adapter}), "signed-older.7z");
  Add("feature", Inf{.date = "01/01/2018", .ids = "PCI\\VEN_0000,PCI\\CC_0200", .featureScore = "0x10"});
  EXPECT_EQ(Chosen({adapter}), "feature.7z");  // FeatureScore 0x10 outweighs a hardware id match
  contents.packages.clear();
  Add("older", Inf{.date = "01/01/2021", .version = "5.0.0.0"});
  Add("newer", Inf{.date = "01/01/2022", .version = "1.0.0.0"});
  Add("higher", Inf{.date = "01/01/2022", .version = "1.0.0.1"});
  EXPECT_EQ(Chosen({adapter}), "higher.7z");
  // An unknown verdict ranks after an unsigned package.
  contents.packages.clear();
  Add("unknown", Inf{.date = "01/01/2025"}, u"");
  Add("unsigned", Inf{.date = "01/01/2019"}, u"unsigned");
  EXPECT_EQ(Chosen({adapter}), "unsigned.7z");
}

TEST_F(RestorePlanTest, TheSignatureScoreOfAnUnsignedPackageDependsOnItsNtInstallSection) {
  Add("nt", Inf{.installSuffix = ".NT"}, u"unsigned");
  Add("plain", Inf{.installSuffix = ""}, u"unsigned");
  Add("trusted", Inf{}, u"Signed");
  const auto line = [&](size_t p) { return contents.packages[p].models.at(0); };
  EXPECT_EQ(backup::SignatureScoreOf(contents.packages[0], line(0)), inf::SignatureScore::UnsignedNt);
  EXPECT_EQ(backup::SignatureScoreOf(contents.packages[1], line(1)), inf::SignatureScore::Unsigned);
  EXPECT_EQ(backup::SignatureScoreOf(contents.packages[2], line(2)), inf::SignatureScore::Trusted);
  backup::BackupPackage untrusted = contents.packages[0];
  untrusted.signature = u"not trusted";  // a catalog that does not verify is no signature
  EXPECT_EQ(backup::SignatureScoreOf(untrusted, line(0)), inf::SignatureScore::UnsignedNt);
  backup::BackupPackage unknown = contents.packages[2];
  unknown.signature = u"not checked";
  EXPECT_EQ(backup::SignatureScoreOf(unknown, line(2)), inf::SignatureScore::Unknown);
}

TEST_F(RestorePlanTest, TheCurrentDriverIsKeptUnlessTheBackupsRanksBetterOrIsNewer) {
  Add("backup", Inf{.date = "01/01/2022", .version = "1.0.0.0"});
  const WString id = u"PCI\\VEN_1234&DEV_0001";
  EXPECT_EQ(Plan({Installed(adapter, id, u"1-1-2022", u"1.0.0.0")}).devices.at(0).choice,
            PlanChoice::HasEqualOrBetter);
  EXPECT_EQ(Plan({Installed(adapter, id, u"12-31-2023", u"0.1.0.0")}).devices.at(0).choice,
            PlanChoice::HasEqualOrBetter);
  EXPECT_EQ(Plan({Installed(adapter, id, u"6-1-2021", u"7.0.0.0")}).devices.at(0).choice, PlanChoice::WouldInstall);
  // A current driver matched on a compatible id ranks below the backup's hardware id match.
  const backup::RestorePlan compat = Plan({Installed(adapter, u"PCI\\CC_0200", u"1-1-2030", u"9.0.0.0")});
  EXPECT_EQ(compat.devices.at(0).choice, PlanChoice::WouldInstall);
  EXPECT_EQ(compat.devices.at(0).current->rank, 0x00FF2001u);
  EXPECT_NE(compat.devices.at(0).current->note.find(u"estimated"), WString::npos);
}

TEST_F(RestorePlanTest, APackageWithoutARecordedSignatureIsWeighedByDateAndVersionAgainstTheCurrentDriver) {
  Add("unchecked", Inf{.date = "01/01/2022", .version = "1.0.0.0"}, u"");
  const WString id = u"PCI\\VEN_1234&DEV_0001";
  EXPECT_EQ(Plan({Installed(adapter, id, u"1-1-2020", u"1.0.0.0")}).devices.at(0).choice, PlanChoice::WouldInstall);
  EXPECT_EQ(Plan({Installed(adapter, id, u"1-1-2022", u"1.0.0.0")}).devices.at(0).choice,
            PlanChoice::HasEqualOrBetter);
  // Its identifier still counts: the current driver's hardware id match beats its compatible one.
  contents.packages.clear();
  Add("generic", Inf{.date = "01/01/2030", .ids = "PCI\\VEN_0000,PCI\\CC_0200"}, u"");
  EXPECT_EQ(Plan({Installed(adapter, id, u"1-1-2020", u"1.0.0.0")}).devices.at(0).choice,
            PlanChoice::HasEqualOrBetter);
}

TEST_F(RestorePlanTest, TheInstalledInfsFeatureScoreCounts) {
  // The installed INF gives its line FeatureScore 0x00: the backup's newer package
  // without one ranks worse.
  Inf installedInf{.date = "01/01/2020", .featureScore = "0x00"};
  const auto path = Write("installed/adapter.inf", installedInf.Text());
  Add("backup", Inf{.date = "01/01/2024", .version = "2.0.0.0"});
  TDevice device = Installed(adapter, u"PCI\\VEN_1234&DEV_0001", u"1-1-2020", u"1.0.0.0");
  device.DriverStore = text::FromPath(path);
  const backup::PlannedDevice planned = Plan({device}).devices.at(0);
  EXPECT_EQ(planned.choice, PlanChoice::HasEqualOrBetter);
  EXPECT_EQ(planned.current->rank, 0x00000001u);
  EXPECT_TRUE(planned.current->note.empty());
  // An INF that cannot be read leaves the estimate, and says why.
  device.DriverStore = text::FromPath(Root() / "missing.inf");
  const backup::PlannedDevice estimated = Plan({device}).devices.at(0);
  EXPECT_EQ(estimated.choice, PlanChoice::WouldInstall);
  EXPECT_NE(estimated.current->note.find(u"missing.inf"), WString::npos);
}

TEST_F(RestorePlanTest, DevicesWithoutADriverComeFirstAndTheSummaryCounts) {
  Add("backup", Inf{});
  const TDevice other = Device(u"USB\\VID_0000\\1", u"USB\\VID_0000", u"");
  const TDevice bare = Device(u"PCI\\VEN_1234&DEV_0001\\2", adapter.HWID, adapter.CompatibleID);
  const TDevice current = Installed(adapter, u"PCI\\VEN_1234&DEV_0001&REV_02", u"1-1-2022", u"1.0.0.0");
  const TDeviceList devices = {current, other, bare};
  const backup::RestorePlan plan = Plan(devices);
  ASSERT_EQ(plan.devices.size(), 3u);
  EXPECT_EQ(plan.devices[0].device->InstanceId, other.InstanceId);
  EXPECT_EQ(plan.devices[0].choice, PlanChoice::NoDriverInBackup);
  EXPECT_EQ(plan.devices[1].device->InstanceId, bare.InstanceId);
  EXPECT_EQ(plan.devices[1].choice, PlanChoice::WouldInstall);
  EXPECT_EQ(plan.devices[2].device->InstanceId, current.InstanceId);
  EXPECT_EQ(plan.devices[2].choice, PlanChoice::HasEqualOrBetter);  // its REV_02 id outranks the backup's
  EXPECT_EQ(plan.covered, 2u);
  EXPECT_EQ(plan.withoutDriver, 2u);
}

}  // namespace
