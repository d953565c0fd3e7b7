// A root device made for an installation test (SetupDiCreateDeviceInfoW and
// DIF_REGISTERDEVICE) with the installable sample package's hardware id, and the
// cleanup of what installing that package leaves in the Wine prefix.
#pragma once
#include <windows.h>
#include <setupapi.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace win32_test {

// The Ports class of the sample package's [Version].
inline const GUID kPortsClass = {0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
inline const wchar_t kHardwareId[] = L"USB\\VID_1234&PID_5678";
inline const wchar_t kService[] = L"nwserial";

// A device registered below ROOT for the test, with one hardware id; removed at the end.
class RootDevice {
 public:
  explicit RootDevice(const std::wstring& hardwareId) {
    set_ = ::SetupDiCreateDeviceInfoList(&kPortsClass, nullptr);
    if (set_ == INVALID_HANDLE_VALUE) throw std::runtime_error("SetupDiCreateDeviceInfoList failed");
    data_.cbSize = sizeof data_;
    instance_ = L"ROOT\\QUILLONRESTORETEST\\" + std::to_wstring(::GetCurrentProcessId());
    if (!::SetupDiCreateDeviceInfoW(set_, instance_.c_str(), &kPortsClass, nullptr, nullptr, 0, &data_))
      throw std::runtime_error("SetupDiCreateDeviceInfoW failed: " + std::to_string(::GetLastError()));
    std::wstring ids = hardwareId + L'\0' + L'\0';
    if (!::SetupDiSetDeviceRegistryPropertyW(set_, &data_, SPDRP_HARDWAREID, reinterpret_cast<const BYTE*>(ids.data()),
                                             DWORD(ids.size() * sizeof(wchar_t))))
      throw std::runtime_error("SPDRP_HARDWAREID not set: " + std::to_string(::GetLastError()));
    if (!::SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set_, &data_))
      throw std::runtime_error("DIF_REGISTERDEVICE failed: " + std::to_string(::GetLastError()));
    registered_ = true;
  }
  ~RootDevice() {
    if (registered_) ::SetupDiRemoveDevice(set_, &data_);
    ::SetupDiDestroyDeviceInfoList(set_);
  }
  RootDevice(const RootDevice&) = delete;
  RootDevice& operator=(const RootDevice&) = delete;

  const std::wstring& InstanceId() const { return instance_; }

  // A value of the device's driver key; empty when the key or the value is missing.
  std::wstring DriverValue(const wchar_t* name) const {
    HKEY key = ::SetupDiOpenDevRegKey(set_, const_cast<SP_DEVINFO_DATA*>(&data_), DICS_FLAG_GLOBAL, 0, DIREG_DRV,
                                      KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return {};
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value - sizeof(wchar_t), type = 0;
    const LONG rc = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    ::RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_SZ ? std::wstring(value) : std::wstring();
  }

 private:
  std::wstring instance_;
  HDEVINFO set_ = INVALID_HANDLE_VALUE;
  SP_DEVINFO_DATA data_{};
  bool registered_ = false;
};

inline std::wstring FileName(const std::wstring& path) { return std::filesystem::path(path).filename().wstring(); }

inline std::string ReadAll(const std::wstring& file) {
  std::ifstream in(file.c_str(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::wstring WindowsFolder(const wchar_t* below) {
  wchar_t windows[MAX_PATH];
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  return std::wstring(windows) + below;
}

// What an installation leaves in the prefix: the published INF (with its .pnf and
// catalog), the copied driver and its service. Removed at the end, so that the
// shared prefix looks as before to the tests that run after these (a Seeded* suite
// runs alone, so no scan sees the device come and go).
class InstalledPackageCleanup {
 public:
  void Published(const std::wstring& inf) { published_ = inf; }
  ~InstalledPackageCleanup() {
    std::error_code ec;
    if (!published_.empty()) {
      ::SetupUninstallOEMInfW(FileName(published_).c_str(), SUOI_FORCEDELETE, nullptr);
      // Wine leaves the precompiled INF and the catalog it copied.
      std::filesystem::remove(std::filesystem::path(published_).replace_extension(L".pnf"), ec);
      for (const std::wstring& catalog : {std::wstring(L"nwserial.cat"),
                                          std::filesystem::path(FileName(published_)).replace_extension(L".cat").wstring()})
        std::filesystem::remove(WindowsFolder(L"\\system32\\catroot\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}\\") + catalog,
                                ec);
    }
    std::filesystem::remove(WindowsFolder(L"\\system32\\drivers\\nwserial.sys"), ec);
    if (SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {
      if (SC_HANDLE service = ::OpenServiceW(manager, kService, DELETE)) {
        ::DeleteService(service);
        ::CloseServiceHandle(service);
      }
      ::CloseServiceHandle(manager);
    }
  }

 private:
  std::wstring published_;
};

}  // namespace win32_test
