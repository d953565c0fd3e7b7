#include "app/AboutUnit.h"

#include <vector>

#include "platform/Platform.h"
#include "platform/System.h"

WString GetFileVersionText(const WString& path) {
  ports::ISystem& system = *Os().system;
  const uint32_t size = system.GetFileVersionInfoSize(path.c_str());
  if (size == 0) return WString();
  std::vector<uint8_t> data(size);
  if (!system.GetFileVersionInfo(path.c_str(), size, data.data())) return WString();
  uint32_t ms = 0, ls = 0;
  if (!system.QueryFixedFileVersion(data.data(), &ms, &ls)) return WString();
  return text::FromUInt(ms >> 16) + u"." + text::FromUInt(ms & 0xFFFF) + u"." + text::FromUInt(ls >> 16) + u"." +
         text::FromUInt(ls & 0xFFFF);
}

TfrmAbout::TfrmAbout(std::unique_ptr<view::IAboutWindowView> view) : view_(std::move(view)) {}

void TfrmAbout::FormShow() {
  view_->SetVersionLine(u"Quillon Version: " + GetFileVersionText(Os().system->ModuleFileName()));
}

void TfrmAbout::ShowModal() {
  FormShow();
  view_->ShowModal();
}
