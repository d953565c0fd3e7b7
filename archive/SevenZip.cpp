#include "archive/SevenZip.h"

#include "archive/SevenZipOutArchive.h"
#include "platform/Errors.h"
#include "platform/SystemMessage.h"

namespace sevenzip {

TComPtr<I7zOutArchive> CreateOutArchive(const winapi::Guid& classId, const WString& libraryPath) {
  auto archive = TComPtr<I7zOutArchive>::Share(new T7zOutArchive(libraryPath));
  archive->SetClassID(classId);
  return archive;
}

void SetUInt32Property(I7zOutArchive& archive, const WString& name, uint32_t value) {
  abi::PROPVARIANT v;
  v.vt = abi::VT_UI4_;
  v.ulVal = value;
  archive.SetProperty(name, v);
}

void SetCompressionLevel(I7zOutArchive& archive, uint32_t level) { SetUInt32Property(archive, text::W("X"), level); }

void CheckResult(int32_t code) {
  if (code == 0) return;
  const uint32_t unsignedCode = static_cast<uint32_t>(code);
  WString message = SystemMessageWithoutStop(unsignedCode);
  if (message.empty()) {
    // Better a code than an empty message box.
    static const char kHex[] = "0123456789ABCDEF";
    message = text::W("Error 0x");
    for (int shift = 28; shift >= 0; shift -= 4) message.push_back(char16_t(kHex[(unsignedCode >> shift) & 0xF]));
  }
  throw OSError(unsignedCode, message);
}

}  // namespace sevenzip
