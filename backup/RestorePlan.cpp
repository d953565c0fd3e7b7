#include "backup/RestorePlan.h"

#include <set>
#include <unordered_map>

#include "inf/Models.h"

namespace backup {
namespace {

struct LineRef {
  size_t package, line;
  auto operator<=>(const LineRef&) const = default;
};

// The models lines the target considers, by every identifier they name (upper
// case), so that a device looks up its few identifiers instead of walking every line.
class LinesById {
 public:
  LinesById(const BackupContents& backup, const inf::TargetOs& target) {
    for (size_t p = 0; p < backup.packages.size(); ++p) {
      const BackupPackage& package = backup.packages[p];
      for (size_t l : inf::ModelLineIndicesFor(package.manufacturers, package.models, target)) {
        const inf::ModelLine& line = package.models[l];
        Add(line.hardwareId, {p, l});
        for (const WString& id : line.compatibleIds) Add(id, {p, l});
      }
    }
  }

  std::set<LineRef> Naming(const inf::DeviceIds& ids) const {
    std::set<LineRef> found;
    for (const WStringList* list : {&ids.hardwareIds, &ids.compatibleIds})
      for (const WString& id : *list)
        if (auto it = lines_.find(text::UpperAscii(id)); it != lines_.end())
          found.insert(it->second.begin(), it->second.end());
    return found;
  }

 private:
  void Add(const WString& id, LineRef ref) {
    if (!id.empty()) lines_[text::UpperAscii(id)].push_back(ref);
  }
  std::unordered_map<WString, std::vector<LineRef>> lines_;
};

// The device identifier an identifier score stands for.
WString MatchedId(uint32_t score, const inf::DeviceIds& ids) {
  const uint32_t type = score >> 12;
  const size_t position = type == 3 ? (score & 0xFF) : (score & 0xFFF);
  const WStringList& list = type < 2 ? ids.hardwareIds : ids.compatibleIds;
  return position < list.size() ? list[position] : WString();
}

struct Choice {
  LineRef ref;
  inf::RankedDriver driver;
  uint32_t identifierScore;
};

std::optional<Choice> BestInBackup(const BackupContents& backup, const LinesById& index, const inf::DeviceIds& ids) {
  std::optional<Choice> best;
  for (const LineRef& ref : index.Naming(ids)) {
    const BackupPackage& package = backup.packages[ref.package];
    const inf::ModelLine& line = package.models[ref.line];
    const std::optional<uint32_t> score = inf::IdentifierScore(line.hardwareId, line.compatibleIds, ids);
    if (!score) continue;
    const Choice choice{ref,
                        {inf::DriverRank(SignatureScoreOf(package, line), line.featureScore, *score),
                         package.version.date.value_or(inf::DriverDate{}), package.version.version},
                        *score};
    // At a full tie the backup's first package stays (the set walks in backup order).
    if (!best || inf::IsBetterDriver(choice.driver, best->driver)) best = choice;
  }
  return best;
}

PlannedDevice PlanDevice(const TDevice& device, const BackupContents& backup, const LinesById& index,
                         const inf::TargetOs& target) {
  PlannedDevice planned;
  planned.device = &device;
  planned.hasDriver = HasDriver(device);
  const inf::DeviceIds ids = IdsOf(device);
  if (planned.hasDriver) planned.current = RankCurrentDriver(device, ids, target.architecture);
  const std::optional<Choice> best = BestInBackup(backup, index, ids);
  if (!best) return planned;
  planned.package = best->ref.package;
  planned.modelLine = best->ref.line;
  planned.matchedId = MatchedId(best->identifierScore, ids);
  planned.rank = best->driver.rank;
  bool better = true;
  if (planned.current) {
    // A current rank that cannot be told leaves the decision to the date and version.
    uint32_t currentRank = planned.current->rank.value_or(best->driver.rank);
    // A package whose signature was not recorded is checked when it is installed:
    // it is weighed against the current driver as if signed alike.
    if (best->driver.rank >> 24 == uint32_t(inf::SignatureScore::Unknown))
      currentRank = (currentRank & 0x00FFFFFF) | (best->driver.rank & 0xFF000000);
    better = inf::IsBetterDriver(best->driver, {currentRank, planned.current->date, planned.current->version});
  }
  planned.choice = better ? PlanChoice::WouldInstall : PlanChoice::HasEqualOrBetter;
  return planned;
}

}  // namespace

inf::SignatureScore SignatureScoreOf(const BackupPackage& package, const inf::ModelLine& line) {
  if (text::EqualsIgnoreCase(package.signature, u"signed")) return inf::SignatureScore::Trusted;
  // A signature that does not verify ranks as none at all.
  if (text::EqualsIgnoreCase(package.signature, u"unsigned") ||
      text::EqualsIgnoreCase(package.signature, u"not trusted"))
    return inf::HasNtExtension(line.actualInstallSection) ? inf::SignatureScore::UnsignedNt
                                                          : inf::SignatureScore::Unsigned;
  return inf::SignatureScore::Unknown;
}

RestorePlan PlanRestore(const BackupContents& backup, const TDeviceList& devices, const inf::TargetOs& target) {
  const LinesById index(backup, target);
  RestorePlan plan;
  std::vector<PlannedDevice> withDriver;
  for (const TDevice& device : devices) {
    PlannedDevice planned = PlanDevice(device, backup, index, target);
    if (planned.choice != PlanChoice::NoDriverInBackup) ++plan.covered;
    if (planned.hasDriver) {
      withDriver.push_back(std::move(planned));
    } else {
      ++plan.withoutDriver;
      plan.devices.push_back(std::move(planned));
    }
  }
  plan.devices.insert(plan.devices.end(), std::make_move_iterator(withDriver.begin()),
                      std::make_move_iterator(withDriver.end()));
  return plan;
}

}  // namespace backup
