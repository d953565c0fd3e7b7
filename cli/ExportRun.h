// Exporting many devices on several threads with the outcome of a sequential run:
// devices that could touch the same work folder or archive (the same names) are
// exported by one worker in list order; the others side by side.
#pragma once
#include <functional>
#include <vector>

#include "cli/DeviceWorker.h"
#include "devices/Devices.h"

namespace cli {

struct ExportSettings {
  WString sevenZipLibrary;
  WString outputFolder;
  unsigned jobs = 1;
};

// Which devices must be exported by the same worker, in list order: each group
// holds the indexes of devices whose archive names or work-folder names may name
// one file on Windows, in ascending order; the groups ordered by first index.
std::vector<std::vector<size_t>> ExportGroups(const TDeviceList& devices, const WString& outputFolder);

// Exports every device; the outcomes in list order. `finished` is called on the
// calling thread for device 0, 1, 2, ... in order, each as soon as it and all
// before it are done. `progress` is told which device a worker started on and
// what its progress window shows (from the workers' threads).
std::vector<DeviceOutcome> ExportDevices(
    const TDeviceList& devices, const ExportSettings& settings,
    const std::function<void(size_t index, const DeviceOutcome& outcome)>& finished,
    const std::function<void(size_t index, const WString& title, const WString& text, const WString& caption)>&
        progress = {});

}  // namespace cli
