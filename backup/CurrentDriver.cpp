#include "backup/CurrentDriver.h"

#include <algorithm>

#include "inf/DriverPackageInf.h"
#include "platform/HostPath.h"

namespace backup {
namespace {

WStringList SplitJoined(const WString& joined) {
  WStringList ids;
  for (size_t start = 0; start <= joined.size();) {
    const size_t bar = std::min(joined.find(u'|', start), joined.size());
    if (bar > start) ids.push_back(joined.substr(start, bar - start));
    start = bar + 1;
  }
  return ids;
}

bool NamesId(const inf::ModelLine& line, const WString& id) {
  if (text::EqualsIgnoreCase(line.hardwareId, id)) return true;
  return std::any_of(line.compatibleIds.begin(), line.compatibleIds.end(),
                     [&](const WString& c) { return text::EqualsIgnoreCase(c, id); });
}

// Windows records the install section undecorated (InfSection, with InfSectionExt
// beside it); some tools record the decorated one.
bool InstallsWith(const inf::ModelLine& line, const WString& section) {
  return text::EqualsIgnoreCase(line.installSection, section) ||
         text::EqualsIgnoreCase(line.actualInstallSection, section);
}

// The best rank of the installed INF's lines that installed this driver; sets
// `note` when there is none.
std::optional<uint32_t> RankFromInf(const TDevice& device, const inf::DeviceIds& ids, inf::Architecture arch,
                                    WString& note) {
  if (device.DriverStore.empty()) {
    note = u"the installed INF's location is unknown";
    return std::nullopt;
  }
  try {
    const inf::DriverPackageInf package = inf::ReadDriverPackageInf(paths::HostPath(device.DriverStore), arch);
    std::optional<uint32_t> best;
    for (const inf::ModelLine& line : package.models) {
      if (!InstallsWith(line, device.InfSection) || !NamesId(line, device.MatchingDeviceId)) continue;
      const std::optional<uint32_t> score = inf::IdentifierScore(line.hardwareId, line.compatibleIds, ids);
      if (!score) continue;
      const uint32_t rank = inf::DriverRank(inf::SignatureScore::Trusted, line.featureScore, *score);
      best = std::min(best.value_or(rank), rank);
    }
    if (!best)
      note = u"no line of " + device.DriverStore + u" installs " + device.InfSection + u" for " +
             device.MatchingDeviceId;
    return best;
  } catch (const QuillonError& e) {
    note = e.Message();
    return std::nullopt;
  }
}

// The rank MatchingDeviceId's place among the device's identifiers gives.
std::optional<uint32_t> RankFromMatchingId(const TDevice& device, const inf::DeviceIds& ids) {
  const std::optional<uint32_t> score = inf::IdentifierScore(device.MatchingDeviceId, {}, ids);
  if (!score) return std::nullopt;
  return inf::DriverRank(inf::SignatureScore::Trusted, 0xFF, *score);
}

}  // namespace

inf::DeviceIds IdsOf(const TDevice& device) { return {SplitJoined(device.HWID), SplitJoined(device.CompatibleID)}; }

bool HasDriver(const TDevice& device) { return !device.DriverKey.empty(); }

CurrentDriver RankCurrentDriver(const TDevice& device, const inf::DeviceIds& ids, inf::Architecture arch) {
  CurrentDriver current;
  WString date = device.DriverDate;  // the driver key writes m-d-yyyy
  std::replace(date.begin(), date.end(), u'-', u'/');
  current.date = inf::ParseDriverDate(date).value_or(inf::DriverDate{});
  current.version = inf::ParseDriverVersion(device.DriverVersion).value_or(inf::DriverVersion{});
  WString why;
  current.rank = RankFromInf(device, ids, arch, why);
  if (current.rank) return current;
  current.rank = RankFromMatchingId(device, ids);
  current.note = current.rank ? u"rank estimated from MatchingDeviceId " + device.MatchingDeviceId + u": " + why
                              : u"rank unknown (MatchingDeviceId " + device.MatchingDeviceId +
                                    u" is none of the device's identifiers): " + why;
  return current;
}

}  // namespace backup
