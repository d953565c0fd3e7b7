#include "inf/Models.h"

namespace inf {
namespace {

constexpr char16_t kManufacturer[] = u"Manufacturer";

WString DecoratedSection(const Manufacturer& m, const WString& decoration) {
  return decoration.empty() ? m.modelsSection : m.modelsSection + u"." + decoration;
}

std::vector<ModelLine> LinesOf(const InfFile& inf, const Manufacturer& m, const WString& decoration) {
  const WString section = DecoratedSection(m, decoration);
  std::vector<ModelLine> models;
  inf.ForEachLine(section, [&](InfLine& line) {
    ModelLine model;
    model.manufacturer = m.name;
    model.modelsSection = section;
    model.decoration = decoration;
    model.description = line.Field(0);
    model.installSection = line.Field(1);
    model.hardwareId = line.Field(2);
    for (size_t i = 2; i < line.fields.size(); ++i)
      if (!line.fields[i].empty()) model.compatibleIds.push_back(std::move(line.fields[i]));
    model.line = line.number;
    models.push_back(std::move(model));
  });
  return models;
}

}  // namespace

std::vector<Manufacturer> ReadManufacturers(const InfFile& inf) {
  std::vector<Manufacturer> manufacturers;
  for (const InfLine& line : inf.Lines(kManufacturer)) {
    if (line.fields.empty() || line.Field(1).empty()) continue;
    Manufacturer m;
    m.modelsSection = line.Field(1);
    m.name = line.hasKey ? line.key : m.modelsSection;
    for (size_t i = 1; i < line.fields.size(); ++i)
      if (!line.fields[i].empty()) m.decorations.push_back(line.fields[i]);
    m.line = line.number;
    manufacturers.push_back(std::move(m));
  }
  return manufacturers;
}

std::vector<ModelLine> AllModelLines(const InfFile& inf) {
  std::vector<ModelLine> all;
  for (const Manufacturer& m : ReadManufacturers(inf)) {
    std::vector<WString> decorations = m.decorations;
    if (decorations.empty()) decorations.emplace_back();
    for (const WString& decoration : decorations) {
      std::vector<ModelLine> lines = LinesOf(inf, m, decoration);
      all.insert(all.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    }
  }
  return all;
}

std::optional<WString> ChosenDecoration(const Manufacturer& m, const TargetOs& target) {
  std::vector<Decoration> decorations;
  for (const WString& written : m.decorations.empty() ? std::vector<WString>{WString()} : m.decorations)
    if (std::optional<Decoration> d = ParseDecoration(written)) decorations.push_back(std::move(*d));
  const std::optional<size_t> pick = ChooseDecoration(decorations, target);
  if (!pick) return std::nullopt;
  return decorations[*pick].text;
}

std::vector<size_t> ModelLineIndicesFor(const std::vector<Manufacturer>& manufacturers,
                                        const std::vector<ModelLine>& models, const TargetOs& target) {
  std::vector<size_t> chosen;
  for (const Manufacturer& m : manufacturers) {
    const std::optional<WString> decoration = ChosenDecoration(m, target);
    if (!decoration) continue;
    const WString section = DecoratedSection(m, *decoration);
    for (size_t i = 0; i < models.size(); ++i)
      if (text::EqualsIgnoreCase(models[i].modelsSection, section)) chosen.push_back(i);
  }
  return chosen;
}

std::vector<ModelLine> ModelLinesFor(const std::vector<Manufacturer>& manufacturers,
                                     const std::vector<ModelLine>& models, const TargetOs& target) {
  std::vector<ModelLine> chosen;
  for (size_t i : ModelLineIndicesFor(manufacturers, models, target)) chosen.push_back(models[i]);
  return chosen;
}

void ResolveInstallSections(const InfFile& inf, std::vector<ModelLine>& models, Architecture arch) {
  for (ModelLine& line : models) {
    const std::optional<WString> section = ActualInstallSection(inf, line.installSection, arch);
    line.actualInstallSection = section.value_or(WString());
    line.featureScore = section ? FeatureScore(inf, *section) : 0xFF;
  }
}

std::optional<WString> ActualInstallSection(const InfFile& inf, WStringView installSection, Architecture arch) {
  const WString name(installSection);
  for (const WString& candidate : {name + u"." + NtPlatformName(arch), name + u".NT", name})
    if (inf.HasSection(candidate)) return candidate;
  return std::nullopt;
}

bool HasNtExtension(WStringView actualSection) {
  const size_t dot = actualSection.rfind(u'.');
  if (dot == WStringView::npos) return false;
  const WStringView extension = actualSection.substr(dot + 1);
  return extension.size() >= 2 && text::EqualsIgnoreCase(extension.substr(0, 2), u"NT");
}

uint8_t FeatureScore(const InfFile& inf, WStringView actualSection) {
  const std::optional<InfLine> line = inf.FindLine(actualSection, u"FeatureScore");
  if (!line) return 0xFF;
  const WString value = line->Field(1);
  const bool hex = value.size() > 2 && value.size() <= 4 && value[0] == u'0' && (value[1] == u'x' || value[1] == u'X');
  uint32_t score = 0;
  bool valid = hex;
  for (size_t i = 2; valid && i < value.size(); ++i) {
    const char16_t c = value[i];
    const int digit = c >= u'0' && c <= u'9' ? c - u'0'
                      : c >= u'a' && c <= u'f' ? c - u'a' + 10
                      : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                               : -1;
    valid = digit >= 0;
    score = score * 16 + uint32_t(digit);
  }
  if (!valid) throw inf.Error(line->number, u"FeatureScore is no hexadecimal byte (0x00 to 0xFF): " + value);
  return uint8_t(score);
}

}  // namespace inf
