// A small offline machine written into a temporary folder, and the recorders
// a scan reports to: message dialogs and the image list.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "devices/Devices.h"
#include "platform/ImageList.h"
#include "support/RecordedImageList.h"
#include "platform/Platform.h"
#include "platform/MessageDialogs.h"
#include "platform/offline/OfflinePlatform.h"
#include "platform/offline/OfflineSetupApi.h"

namespace devices_test {

struct Message {
  ports::MessageKind kind;
  std::string text;
};

class RecordedDialogs final : public ports::IMessageDialogs {
 public:
  void ShowMessage(ports::MessageKind kind, const WString& text) override {
    shown.push_back({kind, text::ToUtf8(text)});
  }
  std::vector<Message> shown;
};

using test_support::RecordedImageList;

constexpr const char* kSystemGuid = "{4D36E97D-E325-11CE-BFC1-08002BE10318}";
constexpr const char* kNetGuid = "{4D36E972-E325-11CE-BFC1-08002BE10318}";

// registry.reg text helpers (UTF-8 form of the `reg export` format).
std::string RegString(const std::string& s);
std::string RegMulti(const std::vector<std::string>& items);
std::string RegHex(const std::vector<uint8_t>& bytes, const std::string& kind = "hex");

class TestMachine {
 public:
  TestMachine();
  ~TestMachine();
  const std::filesystem::path& Folder() const { return folder_; }

  // A key with value lines such as "\"Class\"=\"System\"".
  void Key(const std::string& path, const std::vector<std::string>& values = {});
  // A device below Enum with Class, ClassGUID, DeviceDesc and the extra value lines.
  void Device(const std::string& instanceId, const std::string& description, const std::string& classGuid,
              const std::vector<std::string>& values = {});
  // A class key with its description.
  void Class(const std::string& guid, const std::string& description);
  // A driver key with InfPath and the other values, and (when `package` is
  // given) its INF, driver-database entry and package folder.
  void Driver(const std::string& driverKey, const std::string& oemInf, const std::string& package,
              const std::vector<std::string>& values = {}, const std::string& catalogLine = "CatalogFile=pkg.cat");
  void Ini(const std::string& lines);
  void File(const std::string& relative, const std::string& content);

  // Writes the files, loads the machine and installs its platform.
  Platform& Install();
  offline::OfflineSetupApi& Setup();
  RecordedDialogs dialogs;
  RecordedImageList images;

 private:
  std::filesystem::path folder_;
  std::string registry_;
  std::string ini_;
  std::unique_ptr<offline::OfflinePlatform> platform_;
  std::unique_ptr<ScopedPlatform> installed_;
};

// A scan of a generated installation (a folder of QUILLON_FIXTURES_DIR), made in
// SetUp with every device listed.
class InstallationScan : public ::testing::Test {
 protected:
  explicit InstallationScan(std::string name) : folder_(std::string(QUILLON_FIXTURES_DIR) + "/" + std::move(name)) {}
  void SetUp() override;
  const std::string& Folder() const { return folder_; }
  // The device with this instance id; throws std::runtime_error when none.
  const TDevice& ById(const std::string& id) const;

  RecordedDialogs dialogs;
  RecordedImageList images;
  TDeviceList devices;

 private:
  std::string folder_;
  std::unique_ptr<offline::OfflinePlatform> platform_;
  std::unique_ptr<ScopedPlatform> installed_;
};

}  // namespace devices_test
