#include "platform/offline/StorePackageByContent.h"

#include <fstream>

namespace offline {

namespace fs = std::filesystem;

namespace {

constexpr char16_t kFileRepository[] = u"C:\\Windows\\System32\\DriverStore\\FileRepository";

bool SameContent(const fs::path& a, const fs::path& b) {
  std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
  if (!x || !y) return false;
  char bx[8192], by[8192];
  while (x && y) {
    x.read(bx, sizeof bx);
    y.read(by, sizeof by);
    if (x.gcount() != y.gcount() || !std::equal(bx, bx + x.gcount(), by)) return false;
  }
  return x.eof() && y.eof();
}

}  // namespace

WString PackageInfName(const WString& packageId) {
  const size_t at = text::UpperAscii(packageId).find(u".INF_");
  return at == WString::npos ? packageId : packageId.substr(0, at + 4);
}

WString StorePackageByContent(const Machine& machine, const fs::path& installedInf) {
  std::error_code ec;
  const uintmax_t size = fs::file_size(installedInf, ec);
  if (ec) return {};
  const Located repository = machine.Locate(kFileRepository, u"The driver store");
  if (!repository) return {};
  for (const auto& entry : fs::directory_iterator(repository.path, ec)) {
    const WString package = text::FromPath(entry.path().filename());
    const WString inf = PackageInfName(package);
    if (inf == package) continue;  // not a package folder
    const Located candidate = machine.Locate(WString(kFileRepository) + u"\\" + package + u"\\" + inf, u"The INF");
    std::error_code sizeError;
    if (candidate && fs::file_size(candidate.path, sizeError) == size && !sizeError &&
        SameContent(installedInf, candidate.path))
      return package;
  }
  return {};
}

}  // namespace offline
