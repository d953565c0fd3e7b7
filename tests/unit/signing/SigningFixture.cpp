#include "SigningFixture.h"

#include <sstream>

namespace signing_test {

WString ManifestHash(const std::string& file, const std::string& algorithm) {
  // The manifest is written by the fixture generator; a flat search suffices.
  std::ifstream in(SigningDir() / "manifest.json");
  std::stringstream all;
  all << in.rdbuf();
  const std::string json = all.str();
  const size_t entry = json.find("\"" + file + "\": {");
  if (entry == std::string::npos) return {};
  const size_t key = json.find("\"" + algorithm + "\": \"", entry);
  if (key == std::string::npos) return {};
  const size_t start = key + algorithm.size() + 5;
  return text::FromUtf8(json.substr(start, json.find('"', start) - start));
}

void SigningTest::UseMachine(const fs::path& folder, const std::string& extraIni) {
  checker_.reset();  // closes its catalog through the machine that opened it
  installed_.reset();
  std::unique_ptr<offline::Machine> machine = offline::Machine::Load(folder);
  // Added to the loaded settings, so that the shared fixture stays as generated.
  const offline::Ini extra = offline::Ini::Parse(extraIni, "extra settings");
  for (const char* section : {"machine", "faults"})
    for (const auto& [key, value] : extra.Section(section)) machine->Config().Set(section, key, value);
  platform = std::make_unique<offline::OfflinePlatform>(std::move(machine));
  counting = std::make_unique<CountingTrust>(*platform->Ports().trust);
  ports = platform->Ports();
  ports.trust = counting.get();
  installed_.emplace(ports);
  checker_.emplace();
}

WString SigningTest::Line(const std::string& name, const WString& value) const {
  WString label = text::FromUtf8(name).substr(0, 10);
  label.resize(10, u' ');
  return label + u" : " + value + u"\r\n";
}

}  // namespace signing_test
