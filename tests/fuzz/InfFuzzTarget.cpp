// libFuzzer entry point for the INF reader and the driver package model: any
// input is read or refused with InfError; anything else (a crash, another
// exception) is a bug. The reader reads files, so each input goes through one.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzInputFile.h"
#include "FuzzTarget.h"
#include "inf/DriverPackageInf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path& file = WriteFuzzInput("inf", ".inf", data, size);
  try {
    const inf::DriverPackageInf package = inf::ReadDriverPackageInf(file, inf::Architecture::Amd64);
    (void)inf::ModelLinesFor(package, inf::TargetOs{});
  } catch (const inf::InfError&) {
    // Refused input is the expected outcome for most mutations.
  }
  return 0;
}

std::vector<std::string> FuzzBuiltInSeeds() {
  const std::string inf =
      "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Net\r\nClassGuid={4d36e972-e325-11ce-bfc1-08002be10318}\r\n"
      "Provider=%V%\r\nDriverVer=07/04/2023,1.2.3.4\r\nCatalogFile.NTamd64=n.cat\r\n"
      "[Manufacturer]\r\n%V%=M,NTamd64,NTamd64.10.0...16299\r\n"
      "[M.NTamd64]\r\n%D%=I,PCI\\VEN_1,PCI\\CC_02 ; c\r\n[M.NTamd64.10.0...16299]\r\n\"%D%\"=I,\"a\"\"b\", \\\r\n x\r\n"
      "[I.NTamd64]\r\nFeatureScore=0xFE\r\nCopyFiles=F,@n.sys\r\n[F]\r\nn.sys\r\n"
      "[SourceDisksNames]\r\n1=%D%,,,\\x\r\n[SourceDisksFiles.amd64]\r\nn.sys=1,sub\r\n"
      "[Strings]\r\nV=\"Contoso, Ltd.\"\r\nD=\"100%% \"\r\n[Strings.0409]\r\nD=us\r\n";
  return {inf, "\xEF\xBB\xBF" + inf, ""};
}

std::vector<std::string> FuzzTokens() {
  return {"[", "]", "=", ",", "\"", "\"\"", ";", "\\\r\n", "\r\n", "%", "%%", "%V%", "NTamd64", ".10.0...",
          "0x", "[Strings]", "[Version]", "..\\", "C:", "\xFF\xFE", "\xEF\xBB\xBF", std::string(1, '\0')};
}
