// bench_inf: reading a large INF (the models and strings of a graphics driver
// package, grown to tens of MiB) as a driver package, in ANSI and UTF-16, and a
// hostile one of tiny lines: the time and the memory it takes beyond the
// process's own, against the target of less than 4 times the file's size.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "bench/support/BenchSupport.h"
#include "inf/DriverPackageInf.h"

namespace {

constexpr const char* kBench = "bench_inf";

std::string Utf16(const std::string& ascii) {
  std::string out = "\xFF\xFE";
  out.reserve(ascii.size() * 2 + 2);
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

// A package INF of about `bytes`: one manufacturer with two decorations, each
// models line naming its own install section, and a string per device.
std::string RealisticInf(size_t bytes) {
  std::string models, sections, strings;
  for (size_t i = 0; models.size() + sections.size() + strings.size() < bytes; ++i) {
    char line[512];
    std::snprintf(line, sizeof line,
                  "%%Dev%zu%% = Inst%zu, PCI\\VEN_8086&DEV_%04zX&SUBSYS_%08zX, PCI\\VEN_8086&DEV_%04zX, "
                  "PCI\\CC_030000\r\n",
                  i, i % 400, i % 0xFFFF, i * 7919, i % 0xFFFF);
    models += line;
    if (i < 400) {
      std::snprintf(line, sizeof line,
                    "[Inst%zu.NTamd64]\r\nFeatureScore = 0xF6\r\nCopyFiles = Files ; %zu\r\nAddReg = Reg%zu\r\n", i, i,
                    i);
      sections += line;
    }
    std::snprintf(line, sizeof line, "Dev%zu = \"Contoso Graphics Adapter model %zu (rev %zu)\"\r\n", i, i, i % 9);
    strings += line;
  }
  return "[Version]\r\nSignature = \"$Windows NT$\"\r\nClass = Display\r\n"
         "ClassGuid = {4d36e968-e325-11ce-bfc1-08002be10318}\r\nProvider = %Mfg%\r\n"
         "DriverVer = 06/01/2024, 31.0.101.5590\r\nCatalogFile = contoso.cat\r\n"
         "[Manufacturer]\r\n%Mfg% = Models, NTamd64.10.0...17763, NTamd64.10.0...22000\r\n"
         "[Models.NTamd64.10.0...17763]\r\n" + models + "[Models.NTamd64.10.0...22000]\r\n" + models + sections +
         "[Files]\r\ncontoso.sys\r\n[SourceDisksNames]\r\n1 = %Disk%\r\n[SourceDisksFiles]\r\ncontoso.sys = 1\r\n"
         "[Strings]\r\nMfg = \"Contoso\"\r\nDisk = \"Disk 1\"\r\n" + strings;
}

// Lines of one character each, every one its own section or string.
std::string TinyLinesInf(size_t bytes) {
  std::string inf = "[Version]\r\nSignature = $Chicago$\r\n[Strings]\r\n";
  while (inf.size() < bytes / 2) inf += "a=b\n";
  while (inf.size() < bytes) inf += "[s]\n";
  return inf;
}

}  // namespace

int main(int argc, char** argv) {
  return bench::Main(kBench, [&] {
    if (argc == 3 && std::string(argv[1]) == "--open") {
      const inf::InfFile file(argv[2]);
      std::printf("%zu sections\n", file.SectionNames().size());
      return 0;
    }
    if (argc == 3 && std::string(argv[1]) == "--read") {
      const auto package = inf::ReadDriverPackageInf(argv[2], inf::Architecture::Amd64);
      std::printf("%zu models\n", package.models.size());
      return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--idle") return 0;
    const size_t mib = size_t(bench::EnvNumber("QUILLON_BENCH_INF_MB", 24));
    bench::TempFolder temp("inf");
    const bench::ChildRun idle = bench::RunChecked({bench::SelfExecutable().string(), "--idle"});
    const std::string realistic = RealisticInf(mib << 20);
    const std::pair<const char*, std::string> files[] = {
        {"ansi", realistic}, {"utf16", Utf16(realistic)}, {"tiny-lines", TinyLinesInf(mib << 20)}};
    for (const auto& [name, bytes] : files) {
      const bench::fs::path path = temp.Path() / (std::string(name) + ".inf");
      std::ofstream(path, std::ios::binary) << bytes;
      for (const char* mode : {"--open", "--read"}) {
        bench::ChildOptions options;
        options.output = temp.Path() / (std::string(name) + ".log");
        const bench::ChildRun run = bench::RunChild({bench::SelfExecutable().string(), mode, path.string()}, options);
        if (run.exitCode != 0) {
          std::ifstream log(options.output);
          throw std::runtime_error(std::string(name) + " INF: " + std::string(std::istreambuf_iterator<char>(log), {}));
        }
        const double grown = double(run.peakKiB - idle.peakKiB) * 1024.0, ratio = grown / double(bytes.size());
        const bool reader = std::string(mode) == "--open";
        bench::Report(kBench, std::string(name) + " INF, " + (reader ? "read" : "read as a package"),
                      bench::Fixed(double(bytes.size()) / (1 << 20), 1) + " MiB in " + bench::Fixed(run.seconds, 2) +
                          " s, " + bench::Fixed(grown / (1 << 20), 1) + " MiB beyond the process (" +
                          bench::Fixed(ratio, 2) + "x the file" +
                          (reader ? "; target < 4x: " + bench::Verdict(ratio < 4) : std::string()) + ")");
      }
    }
    return 0;
  });
}
