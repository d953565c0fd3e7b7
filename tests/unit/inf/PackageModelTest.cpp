// The driver package read from its INF: [Version], the manufacturers' decorations
// and the one Windows picks, the models lines with their install sections and
// FeatureScore, and the files the package needs.
#include "inf/DriverPackageInf.h"

#include "tests/unit/inf/InfTestFolder.h"

namespace inf_test {
namespace {

using namespace inf;

constexpr char kPackage[] =
    "[Version]\r\n"
    "Signature = \"$Windows NT$\"\r\n"
    "Class = Net\r\n"
    "ClassGuid = {4d36e972-e325-11ce-bfc1-08002be10318}\r\n"
    "Provider = %Vendor%\r\n"
    "DriverVer = 07/04/2023, 6.1.7600.16385\r\n"
    "CatalogFile = plain.cat\r\n"
    "CatalogFile.NTamd64 = net64.cat\r\n"
    "\r\n"
    "[Manufacturer]\r\n"
    "%Vendor% = Models, NTamd64, NTamd64.10.0...22000, NTx86\r\n"
    "\r\n"
    "[Models.NTamd64]\r\n"
    "%Desc% = Install, PCI\\VEN_8086&DEV_1234, PCI\\VEN_8086, PCI\\CC_0200\r\n"
    "%Desc% = Other, PCI\\VEN_8086&DEV_9999\r\n"
    "[Models.NTamd64.10.0...22000]\r\n"
    "%Desc% = Install, PCI\\VEN_8086&DEV_1234&NEW\r\n"
    "[Models.NTx86]\r\n"
    "%Desc% = Install, PCI\\VEN_8086&DEV_1234\r\n"
    "\r\n"
    "[Install.NTamd64]\r\n"
    "FeatureScore = 0xFE\r\n"
    "CopyFiles = Drivers, @net.dll\r\n"
    "[Install]\r\n"
    "CopyFiles = Drivers\r\n"
    "[Other]\r\n"
    "[Drivers]\r\n"
    "net64.sys\r\n"
    "renamed.sys, net64.sys\r\n"
    "\r\n"
    "[SourceDisksNames]\r\n"
    "1 = %Disk%,,,\\common\r\n"
    "[SourceDisksNames.amd64]\r\n"
    "2 = %Disk%,,,\\x64\r\n"
    "[SourceDisksFiles]\r\n"
    "readme.txt = 1\r\n"
    "net64.sys = 1\r\n"
    "[SourceDisksFiles.amd64]\r\n"
    "net64.sys = 2, bin\r\n"
    "net.dll = 2\r\n"
    "[Strings]\r\n"
    "Vendor = \"Contoso, Ltd.\"\r\n"
    "Desc = \"Contoso Adapter\"\r\n"
    "Disk = \"Disk 1\"\r\n";

class PackageModel : public InfTestFolder {
 protected:
  DriverPackageInf Read(const std::string& text, Architecture arch = Architecture::Amd64) {
    return ReadDriverPackageInf(Write("net.inf", text), arch);
  }
  std::string ErrorOf(const std::string& text) {
    try {
      Read(text);
    } catch (const InfError& e) {
      return e.what();
    }
    return "no error";
  }
  std::string Replaced(std::string from, std::string to) {
    std::string text = kPackage;
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
  }
};

TEST_F(PackageModel, ReadsVersionAndTheCatalogOfEachPlatform) {
  const DriverPackageInf p = Read(kPackage);
  EXPECT_EQ(U8(p.version.className), "Net");
  EXPECT_EQ(U8(p.version.classGuid), "{4d36e972-e325-11ce-bfc1-08002be10318}");
  EXPECT_EQ(U8(p.version.provider), "Contoso, Ltd.");
  ASSERT_TRUE(p.version.date);
  EXPECT_EQ(U8(p.version.date->ToString()), "07/04/2023");
  EXPECT_EQ(U8(p.version.version.ToString()), "6.1.7600.16385");
  EXPECT_EQ(U8(p.catalog), "net64.cat");
  EXPECT_EQ(U8(p.version.CatalogFor(Architecture::X86)), "plain.cat");
  EXPECT_EQ(U8(Read(Replaced("CatalogFile = plain.cat", "CatalogFile.NT = nt.cat")).version.CatalogFor(
                Architecture::Arm64)),
            "nt.cat");
}

TEST_F(PackageModel, DriverVerDatesAndVersionsCompareAsWindowsComparesThem) {
  EXPECT_LT(*ParseDriverDate(u"12/31/2022"), *ParseDriverDate(u"1/1/2023"));
  EXPECT_LT(*ParseDriverVersion(u"6.1.9.0"), *ParseDriverVersion(u"6.1.10"));
  EXPECT_EQ(U8(ParseDriverVersion(u"10")->ToString()), "10.0.0.0");
  for (const char16_t* bad : {u"2023/07/04", u"13/01/2023", u"07/04/23", u"7/4", u"07/00/2023"})
    EXPECT_FALSE(ParseDriverDate(bad)) << U8(bad);
  for (const char16_t* bad : {u"1.2.3.4.5", u"1.65536", u"1..2", u"v1"}) EXPECT_FALSE(ParseDriverVersion(bad)) << U8(bad);
}

TEST_F(PackageModel, RefusesWhatWindowsRefusesWithTheLine) {
  EXPECT_NE(ErrorOf(Replaced("07/04/2023", "2023-07-04")).find("line 6: DriverVer has no date"), std::string::npos);
  EXPECT_NE(ErrorOf(Replaced("6.1.7600.16385", "6.1.x")).find("line 6: DriverVer has no version"), std::string::npos);
  EXPECT_NE(ErrorOf(Replaced("{4d36e972-e325-11ce-bfc1-08002be10318}", "net")).find("line 4: ClassGuid is no GUID"),
            std::string::npos);
  EXPECT_NE(ErrorOf(Replaced("$Windows NT$", "$Linux$")).find("Signature $Linux$ is not that of a Windows INF"),
            std::string::npos);
  EXPECT_NE(ErrorOf(Replaced("FeatureScore = 0xFE", "FeatureScore = 254")).find("line 22: FeatureScore is no"),
            std::string::npos);
  EXPECT_NE(ErrorOf(Replaced("net.dll = 2", "net.dll = 3")).find("line 40: the disk 3 of net.dll is not in"),
            std::string::npos);
  EXPECT_NE(ErrorOf(Replaced("net.dll = 2", "net.dll = 2, ..\\..")).find("the path x64\\..\\..\\net.dll leaves"),
            std::string::npos);
  EXPECT_NE(ErrorOf(Replaced("CatalogFile.NTamd64 = net64.cat", "CatalogFile.NTamd64 = C:\\x.cat"))
                .find("the catalog C:\\x.cat leaves the package folder"),
            std::string::npos);
}

TEST_F(PackageModel, ListsEveryModelsLineOfEveryDecorationWithInstallSectionAndFeatureScore) {
  const DriverPackageInf p = Read(kPackage);
  ASSERT_EQ(p.manufacturers.size(), 1u);
  EXPECT_EQ(U8(p.manufacturers[0].name), "Contoso, Ltd.");
  ASSERT_EQ(p.models.size(), 4u);
  const ModelLine& first = p.models[0];
  EXPECT_EQ(U8(first.decoration), "NTamd64");
  EXPECT_EQ(U8(first.modelsSection), "Models.NTamd64");
  EXPECT_EQ(U8(first.description), "Contoso Adapter");
  EXPECT_EQ(U8(first.installSection), "Install");
  EXPECT_EQ(U8(first.hardwareId), "PCI\\VEN_8086&DEV_1234");
  EXPECT_EQ(first.compatibleIds, (WStringList{u"PCI\\VEN_8086", u"PCI\\CC_0200"}));
  EXPECT_EQ(first.line, 14u);
  EXPECT_EQ(U8(first.actualInstallSection), "Install.NTamd64");
  EXPECT_EQ(first.featureScore, 0xFE);
  EXPECT_EQ(U8(p.models[1].actualInstallSection), "Other");
  EXPECT_EQ(p.models[1].featureScore, 0xFF);  // no FeatureScore: Windows' default
  EXPECT_EQ(U8(p.models[2].decoration), "NTamd64.10.0...22000");
  EXPECT_EQ(U8(p.models[3].decoration), "NTx86");
  // On x86 the same line runs the plain section.
  EXPECT_EQ(U8(Read(kPackage, Architecture::X86).models[3].actualInstallSection), "Install");
}

TEST_F(PackageModel, TheTargetsVersionBuildAndArchitecturePickTheModelsSection) {
  const DriverPackageInf p = Read(kPackage);
  auto hardwareIds = [&](const TargetOs& target) {
    std::vector<std::string> ids;
    for (const ModelLine& line : ModelLinesFor(p, target)) ids.push_back(U8(line.hardwareId));
    return ids;
  };
  TargetOs windows10;  // 10.0.19045, x64
  EXPECT_EQ(hardwareIds(windows10), (std::vector<std::string>{"PCI\\VEN_8086&DEV_1234", "PCI\\VEN_8086&DEV_9999"}));
  TargetOs windows11 = windows10;
  windows11.build = 22621;
  EXPECT_EQ(hardwareIds(windows11), (std::vector<std::string>{"PCI\\VEN_8086&DEV_1234&NEW"}));
  TargetOs x86 = windows10;
  x86.architecture = Architecture::X86;
  EXPECT_EQ(hardwareIds(x86), (std::vector<std::string>{"PCI\\VEN_8086&DEV_1234"}));
  TargetOs arm = windows10;
  arm.architecture = Architecture::Arm64;
  EXPECT_TRUE(hardwareIds(arm).empty());
}

TEST_F(PackageModel, DecorationsParseAndApplyByEveryField) {
  const auto d = ParseDecoration(u"ntAMD64.10.0.0x3.0x110.17763");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->architecture, Architecture::Amd64);
  EXPECT_EQ(*d->major, 10u);
  EXPECT_EQ(*d->productType, 3u);
  EXPECT_EQ(*d->suiteMask, 0x110u);
  EXPECT_EQ(*d->build, 17763u);
  for (const char16_t* bad : {u"NTia64", u"Win2000", u"NTamd64.10.x", u"NTamd64.1.2.3.4.5.6"})
    EXPECT_FALSE(ParseDecoration(bad)) << U8(bad);

  TargetOs server;
  server.productType = 3;
  server.suiteMask = 0x110;
  server.build = 17763;
  EXPECT_TRUE(Applies(*d, server));
  TargetOs workstation = server;
  workstation.productType = 1;
  EXPECT_FALSE(Applies(*d, workstation));
  TargetOs fewerSuites = server;
  fewerSuites.suiteMask = 0x100;
  EXPECT_FALSE(Applies(*d, fewerSuites));
  TargetOs olderBuild = server;
  olderBuild.build = 17134;
  EXPECT_FALSE(Applies(*d, olderBuild));
  EXPECT_FALSE(Applies(*ParseDecoration(u"NTamd64.10.1"), server));  // a newer version than the target's
  EXPECT_TRUE(Applies(*ParseDecoration(u"NTamd64.6.3"), server));
  // The plain section and "NT" serve 32-bit Windows only.
  EXPECT_FALSE(Applies(*ParseDecoration(u""), server));
  EXPECT_FALSE(Applies(*ParseDecoration(u"NT"), server));
  TargetOs x86;
  x86.architecture = Architecture::X86;
  EXPECT_TRUE(Applies(*ParseDecoration(u""), x86));
  EXPECT_TRUE(Applies(*ParseDecoration(u"NT.6.1"), x86));
}

TEST_F(PackageModel, TheMostSpecificApplicableDecorationWins) {
  std::vector<Decoration> ds;
  for (const char16_t* t : {u"NTamd64", u"NTamd64.10.0...16299", u"NTamd64.6.3", u"NTamd64.10.0...22000"})
    ds.push_back(*ParseDecoration(t));
  TargetOs target;
  EXPECT_EQ(ChooseDecoration(ds, target), 1u);
  target.build = 15063;
  EXPECT_EQ(ChooseDecoration(ds, target), 2u);
  target.architecture = Architecture::Arm64;
  EXPECT_FALSE(ChooseDecoration(ds, target));
}

TEST_F(PackageModel, TheFilesNeededAreThePlatformsSourceFilesInTheirDisksFolders) {
  const DriverPackageInf p = Read(kPackage);
  std::vector<std::string> paths;
  for (const PackageFile& f : p.files) paths.push_back(U8(f.path));
  EXPECT_EQ(paths, (std::vector<std::string>{"common\\readme.txt", "x64\\bin\\net64.sys", "x64\\net.dll"}));
  std::vector<std::string> x86;
  for (const PackageFile& f : Read(kPackage, Architecture::X86).files) x86.push_back(U8(f.path));
  EXPECT_EQ(x86, (std::vector<std::string>{"common\\readme.txt", "common\\net64.sys"}));
}

TEST_F(PackageModel, CopyFilesNamesTheSourceFilesOfListsAndSingleFiles) {
  const InfFile f(Write("net.inf", kPackage));
  EXPECT_EQ(CopiedFiles(f, u"Install.NTamd64"), (WStringList{u"net64.sys", u"net.dll"}));
  EXPECT_TRUE(CopiedFiles(f, u"Other").empty());
}

TEST_F(PackageModel, PathsThatLeaveTheFolderAreTold) {
  for (const char16_t* inside : {u"a.sys", u"x64\\a.sys", u"a..b\\c", u"./a"}) EXPECT_TRUE(StaysInside(inside));
  for (const char16_t* outside : {u"..\\a.sys", u"x\\..\\..\\a", u"\\a", u"/a", u"C:a", u"x/../..", u""})
    EXPECT_FALSE(StaysInside(outside)) << U8(outside);
}

}  // namespace
}  // namespace inf_test
