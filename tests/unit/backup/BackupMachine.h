// The command layer on a generated machine (read, never written) with a trust
// port that may be watched: its listed devices scanned as the window scans them.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>

#include "backup/DeviceList.h"
#include "platform/Platform.h"
#include "platform/offline/Machine.h"
#include "platform/offline/OfflinePlatform.h"
#include "tests/unit/signing/SigningFixture.h"

namespace backuptest {

namespace fs = std::filesystem;

class BackupMachine : public ::testing::Test {
 protected:
  // Installs the generated machine `name`; `trust` (made on the machine's own
  // trust port) stands in for that port when given.
  template <typename Trust = signing_test::CountingTrust>
  Trust& Start(const std::string& name = "command-machine") {
    platform_ = std::make_unique<offline::OfflinePlatform>(
        offline::Machine::Load(fs::path(QUILLON_FIXTURES_DIR) / name));
    auto trust = std::make_unique<Trust>(*platform_->Ports().trust);
    Trust& watched = *trust;
    trust_ = std::move(trust);
    ports_ = platform_->Ports();
    ports_.trust = trust_.get();
    installed_.emplace(ports_);
    BindDriverStoreLocation();
    backup::TCountedImages icons;
    devices = backup::ScanListedDevices(false, icons);
    return watched;
  }
  const TDevice& Device(const std::u16string& instanceId) const {
    for (const TDevice& d : devices)
      if (d.InstanceId == instanceId) return d;
    throw std::runtime_error("no listed device " + text::ToUtf8(instanceId));
  }

  TDeviceList devices;

 private:
  std::unique_ptr<offline::OfflinePlatform> platform_;
  std::unique_ptr<ports::ICatalogTrust> trust_;
  Platform ports_;
  std::optional<ScopedPlatform> installed_;
};

inline const std::u16string kTailspin = u"ROOT\\TAILSPINSENSOR\\0000";
inline const std::u16string kAudioCodec = u"ROOT\\AUDIOCODEC\\0000";
inline const std::u16string kOwnSignature = u"ROOT\\OWNSIG\\0000";

}  // namespace backuptest
