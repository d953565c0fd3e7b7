#include "backup/DevicePanels.h"

#include <algorithm>

#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace backup {

std::vector<std::pair<WString, WString>> DevicePropertyRows(const TDevice& device) {
  return {
      {u"Class", device.ClassName},
      {u"Class Guid", text::GuidToString(device.ClassGuid)},
      {u"Description", device.Description},
      {u"Hardware Id", device.HWID},
      {u"Instance Id", device.InstanceId},
      {u"Compatible Id", device.CompatibleID},
      {u"Driver Key", device.DriverKey},
      {u"Manufacturer", device.Manuf},
      {u"Friendly Name", device.FriendlyName},
      {u"Capabilities", text::FromUInt(device.Capabilities)},
      {u"Config Flags", text::FromUInt(device.ConfigFlags)},
      {u"Driver Date", device.DriverDate},
      {u"Driver Date Data", FileTimeToDateText(device.DriverDateData)},
      {u"Driver Description", device.DriverDescription},
      {u"Driver Version", device.DriverVersion},
      {u"Inf Path", device.InfPath},
      {u"Inf Section", device.InfSection},
      {u"Matching Device ID", device.MatchingDeviceId},
      {u"Provider Name", device.ProviderName},
      {u"Service", device.Service},
      {u"Orig Inf Name", device.OriginalInfName},
      {u"Orig Catalog Name", device.OriginalCatName},
      {u"Location", device.DriverStore},
      {u"Driver Pack", device.FoundInDriverPack},
  };
}

TFileRow FileRow(const WString& entry) {
  WString folder = paths::ExtractFilePath(entry);
  const auto first = std::find_if_not(folder.begin(), folder.end(), paths::IsPathDelimiter);
  folder.erase(folder.begin(), first);
  while (!folder.empty() && paths::IsPathDelimiter(folder.back())) folder.pop_back();
  return {paths::ExtractFileName(entry), folder};
}

WString FileTimeToDateText(const winapi::FileTime& t) {
  ports::ISystem& system = *Os().system;
  winapi::FileTime local;
  winapi::SystemTime st;
  if (!system.FileTimeToLocalFileTime(t, &local) || !system.FileTimeToSystemTime(local, &st)) return u"Unknown.";
  // Calendar fields a date-time value cannot hold (years beyond 9999) are unknown too.
  const bool validDate = st.wYear >= 1 && st.wYear <= 9999 && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 &&
                         st.wDay <= 31;
  if (!validDate) return u"Unknown.";
  return system.FormatShortDate(st);
}

}  // namespace backup
