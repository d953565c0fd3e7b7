// The generated benchmark data: a machine whose devices all scan with a driver
// package and whose packages all verify against their catalogs (else Export All
// would skip them and the export numbers would mean nothing), and a tree made
// of the kinds of files driver packages hold.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>

#include "bench/support/BenchSupport.h"
#include "devices/Devices.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"
#include "platform/offline/Machine.h"
#include "platform/offline/OfflineCatalogHash.h"
#include "platform/offline/OfflinePlatform.h"
#include "signing/CryptCat.h"

namespace {

class NoDialogs final : public ports::IMessageDialogs {
 public:
  void ShowMessage(ports::MessageKind, const WString& text) override { shown.push_back(text::ToUtf8(text)); }
  std::vector<std::string> shown;
};

class NoImages final : public ports::IImageList {
 public:
  int AddIcon(winapi::Handle) override { return 4; }
  int Count() const override { return 0; }
  void Delete(int) override {}
};

TEST(GeneratedMachine, EveryDeviceHasASignedPackageThatVerifies) {
  bench::TempFolder temp("quillon-bench-test");
  const bench::fs::path folder = temp.Path() / "machine";
  bench::Generate("gen_machine.py", {folder.string(), "7", "3", "3", "--sign", bench::FixtureSourceDir().string()});
  offline::OfflinePlatform platform(offline::Machine::Load(folder));
  NoDialogs dialogs;
  platform.SetDialogs(&dialogs);
  ScopedPlatform installed(platform.Ports());
  BindDriverStoreLocation();
  NoImages images;
  const TDeviceList devices = ScanDevices({}, CompareDeviceDescriptions, images, {});
  ASSERT_EQ(devices.size(), 7u);
  EXPECT_TRUE(dialogs.shown.empty());
  // Devices on one package share its driver description and version (so its
  // archive name), each keeping a description of its own.
  std::map<WString, std::set<WString>> archiveNames, descriptions;
  for (const TDevice& device : devices) {
    archiveNames[device.DriverStore].insert(device.DriverDescription + u"_" + device.DriverVersion);
    descriptions[device.DriverStore].insert(device.Description);
  }
  ASSERT_EQ(archiveNames.size(), 3u);
  for (const auto& [store, names] : archiveNames) {
    EXPECT_EQ(names.size(), 1u) << text::ToUtf8(store);
    EXPECT_GE(descriptions[store].size(), 2u) << text::ToUtf8(store);
  }
  for (const TDevice& device : devices) {
    SCOPED_TRACE(text::ToUtf8(device.InstanceId));
    ASSERT_TRUE(paths::FileExists(device.DriverStore));
    EXPECT_NE(device.ProviderName, u"Microsoft");
    const WString package = paths::ExtractFilePath(device.DriverStore);
    const WString catalog = package + device.OriginalCatName;
    WString message;
    TCatalogChecker checker;
    EXPECT_TRUE(checker.VerifyFile(catalog, WString(), {}, message)) << text::ToUtf8(message);
    const WStringList files = GetFilesList(package, false);
    EXPECT_GE(files.size(), 8u);
    for (const WString& file : files) {
      if (file == catalog) continue;
      EXPECT_TRUE(checker.VerifyFile(catalog, file, {}, message)) << text::ToUtf8(file) << ": " << text::ToUtf8(message);
    }
  }
}

TEST(GeneratedTree, HoldsPeImagesTextAndPackedDataInDriverLikeShares) {
  bench::TempFolder temp("quillon-bench-test");
  bench::Generate("gen_tree.py", {(temp.Path() / "tree").string(), "12", "2"});
  uint64_t pe = 0, text = 0, other = 0, all = 0;
  for (const bench::fs::path& file : bench::TreeFiles(temp.Path() / "tree")) {
    const uint64_t size = bench::fs::file_size(file);
    const std::string ext = file.extension().string();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(file.c_str(), "rb"), std::fclose);
    ASSERT_TRUE(f);
    const bool isPe = offline::ReadPeLayout(f.get()).has_value();
    EXPECT_EQ(isPe, ext == ".sys" || ext == ".dll" || ext == ".exe") << file;
    (isPe ? pe : ext == ".inf" || ext == ".txt" || ext == ".PNF" ? text : other) += size;
    all += size;
  }
  EXPECT_NEAR(double(all), 12.0 * (1 << 20), 0.05 * (1 << 20));
  EXPECT_GT(double(pe) / double(all), 0.55);
  EXPECT_LT(double(pe) / double(all), 0.80);
  EXPECT_GT(double(other) / double(all), 0.15);
  EXPECT_GT(text, 0u);
}

}  // namespace
