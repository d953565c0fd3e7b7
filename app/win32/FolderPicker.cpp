#include "app/win32/FolderPicker.h"

#include <shobjidl.h>

#include "platform/ComPtr.h"
#include "platform/SystemMessage.h"
#include "platform/win32/Handles.h"

namespace gui {
namespace {

template <class T>
using ComPtr = TComPtr<T>;

// COM for the length of one call when the thread has not initialised it yet
// (WinMain does; a test or a tool may not).
class ComScope {
 public:
  ComScope() : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ~ComScope() {
    if (initialised_) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  // S_FALSE (already initialised) also counts and must be balanced; a thread
  // in the other apartment model (RPC_E_CHANGED_MODE) is used as it is.
  bool initialised_;
};

void Check(HRESULT hr, const char16_t* what) {
  if (FAILED(hr)) RaiseOSError(uint32_t(hr), WString(u"\r\n") + what);
}

class Win32FolderPicker final : public view::IFolderPicker {
 public:
  explicit Win32FolderPicker(HWND owner) : owner_(owner) {}

  WString Title() const override { return title_; }
  void SetTitle(const WString& title) override { title_ = title; }
  bool Execute() override;
  WString FileName() const override { return fileName_; }
  WString DefaultFolder() const override { return defaultFolder_; }
  void SetDefaultFolder(const WString& folder) override { defaultFolder_ = folder; }

 private:
  void StartIn(IFileOpenDialog& dialog) const;

  HWND owner_;
  WString title_, fileName_, defaultFolder_;
};

// A default folder that has gone since it was chosen is no error: the dialog
// then opens where the system would open it.
void Win32FolderPicker::StartIn(IFileOpenDialog& dialog) const {
  if (defaultFolder_.empty()) return;
  ComPtr<IShellItem> folder;
  if (SUCCEEDED(::SHCreateItemFromParsingName(win32::Wide(defaultFolder_.c_str()), nullptr, IID_IShellItem,
                                               folder.PutVoid())))
    Check(dialog.SetFolder(folder.Get()), u"Setting the dialog's folder");
}

bool Win32FolderPicker::Execute() {
  ComScope com;
  ComPtr<IFileOpenDialog> dialog;
  Check(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                           dialog.PutVoid()),
        u"Creating the folder dialog");
  FILEOPENDIALOGOPTIONS options = 0;
  Check(dialog->GetOptions(&options), u"Reading the dialog's options");
  Check(dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST),
        u"Setting the dialog's options");
  if (!title_.empty()) Check(dialog->SetTitle(win32::Wide(title_.c_str())), u"Setting the dialog's title");
  StartIn(*dialog);

  const HRESULT shown = dialog->Show(owner_);
  if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return false;
  Check(shown, u"Showing the folder dialog");

  ComPtr<IShellItem> chosen;
  Check(dialog->GetResult(chosen.Put()), u"Reading the chosen folder");
  PWSTR path = nullptr;
  Check(chosen->GetDisplayName(SIGDN_FILESYSPATH, &path), u"Reading the chosen folder's path");
  fileName_ = reinterpret_cast<const char16_t*>(path);
  ::CoTaskMemFree(path);
  return true;
}

}  // namespace
}  // namespace gui

std::unique_ptr<view::IFolderPicker> CreateWin32FolderPicker(HWND owner) {
  return std::make_unique<gui::Win32FolderPicker>(owner);
}
