// Device inventory: the device record, the scan of present devices with their
// installed driver, and the driver-store folder helpers.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/ImageList.h"
#include "platform/Text.h"

// One present device and its installed driver. A plain value record.
struct TDevice {
  uint32_t DeviceInstance = 0;
  WString ClassName;
  WString ClassDescription;
  winapi::Guid ClassGuid;
  int32_t ClassIconIndex = 0;
  WString Description;
  WString HWID;
  WString InstanceId;
  WString CompatibleID;
  WString DriverKey;
  WString Manuf;
  WString FriendlyName;
  uint32_t Capabilities = 0;
  uint32_t ConfigFlags = 0;
  WString DriverDate;
  winapi::FileTime DriverDateData;
  WString DriverDescription;
  WString DriverVersion;
  WString InfPath;
  WString InfSection;
  WString MatchingDeviceId;
  WString ProviderName;
  WString Service;
  WString OriginalInfName;
  WString OriginalCatName;
  WString DriverStore;
  WStringList Files;
  WString FoundInDriverPack;
  // Why the record could not be read whole: the first value of the wrong type
  // ("DriverDesc of {...}\0000 in SYSTEM is REG_DWORD, not a string") or path
  // the machine refused to read; empty when all was read. Such a device fails
  // verification and export with this reason.
  WString ReadProblem;

  friend bool operator==(const TDevice&, const TDevice&) = default;
};

using TDeviceList = std::vector<TDevice>;

// Negative when Item1 orders first, zero when equal, positive when Item2 does.
using TDeviceCompare = int32_t (*)(const TDevice& Item1, const TDevice& Item2);
// Keeps a fully filled record in the scan's result when it returns true.
using TDeviceFilter = std::function<bool(const TDevice&)>;
// Told the Description of each kept device just before it is added.
using TScanCallback = std::function<void(const WString&)>;

// Ordinal comparison of Description: -1, 0 or 1.
int32_t CompareDeviceDescriptions(const TDevice& Item1, const TDevice& Item2);

// Binds SetupGetInfDriverStoreLocationW once (start-up step of the unit).
void BindDriverStoreLocation();

// What a driver-key value of the wrong type does: the window's scan ends there
// (docs/behaviour.md); the command line keeps the device with the reason in its
// ReadProblem, and the other devices go on.
enum class WrongTypedValues { EndTheScan, SpoilTheDevice };

// Enumerates present devices. Shows its own failures through Os().dialogs and
// returns what it collected. filter and callback may be empty; Compare may be null.
TDeviceList ScanDevices(const TDeviceFilter& filter, TDeviceCompare Compare, ports::IImageList& images,
                        const TScanCallback& callback, WrongTypedValues wrongTyped = WrongTypedValues::EndTheScan);

// Every file below Folder (given with a trailing delimiter), "*.pnf" left out;
// relative to Folder when Relative. A missing folder gives an empty list.
WStringList GetFilesList(const WString& Folder, bool Relative);

// Makes Dest a copy of the files below Source ("*.pnf" left out). Raises
// QuillonError with the file system's message on failure.
void CopyFolderTree(const WString& Source, const WString& Dest);
