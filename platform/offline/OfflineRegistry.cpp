// The registry port over the machine's in-memory HKEY_LOCAL_MACHINE. Handles are
// numbers handed out per open; sizes, types and result codes follow advapi32.
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/Registry.h"
#include "platform/offline/Adapters.h"

namespace offline {

namespace {

struct OpenedKey {
  const RegKey* key;
  WString path;  // from HKEY_LOCAL_MACHINE, as opened: the detail of injected faults
};

class OfflineRegistry final : public ports::IRegistry {
 public:
  explicit OfflineRegistry(Machine& m) : machine_(m) {}

  int32_t OpenKey(ports::HKey root, const char16_t* subKey, uint32_t, ports::HKey* result) override {
    if (!result) return winapi::kErrorInvalidParameter;
    *result = 0;
    std::lock_guard lock(mutex_);
    const RegKey* key;
    WString path;
    if (root == ports::kHKeyLocalMachine) {
      key = &machine_.LocalMachine();
    } else {
      auto it = open_.find(root);
      if (it == open_.end()) return winapi::kErrorInvalidHandle;
      key = it->second.key;
      path = it->second.path;
    }
    WStringView rest = subKey ? WStringView(subKey) : WStringView();
    if (!rest.empty() && rest.front() == u'\\') return winapi::kErrorBadPathname;
    for (size_t start = 0; start < rest.size();) {
      size_t end = rest.find(u'\\', start);
      if (end == WStringView::npos) end = rest.size();
      WStringView name = rest.substr(start, end - start);
      start = end + 1;
      if (name.empty()) continue;  // a trailing backslash
      key = key->FindChild(name);
      if (!key) return winapi::kErrorFileNotFound;
      if (!path.empty()) path += u'\\';
      path += name;
    }
    if (uint32_t fault = machine_.Fault("RegOpenKeyExW", text::ToUtf8(path))) return int32_t(fault);
    ports::HKey handle = nextHandle_;
    nextHandle_ += 4;
    open_.emplace(handle, OpenedKey{key, std::move(path)});
    *result = handle;
    return winapi::kErrorSuccess;
  }

  int32_t QueryValue(ports::HKey hkey, const char16_t* name, uint32_t* type, uint8_t* data, uint32_t* size) override {
    std::lock_guard lock(mutex_);
    const RegKey* key = hkey == ports::kHKeyLocalMachine ? &machine_.LocalMachine() : nullptr;
    if (!key) {
      auto it = open_.find(hkey);
      if (it == open_.end()) return winapi::kErrorInvalidHandle;
      key = it->second.key;
    }
    if (data && !size) return winapi::kErrorInvalidParameter;
    WStringView valueName = name ? WStringView(name) : WStringView();
    if (uint32_t fault = machine_.Fault("RegQueryValueExW", text::ToUtf8(valueName))) return int32_t(fault);
    const RegValue* value = key->FindValue(valueName);
    if (!value) return winapi::kErrorFileNotFound;
    if (type) *type = value->type;
    uint32_t needed = uint32_t(value->data.size());
    if (!data) {
      if (size) *size = needed;
      return winapi::kErrorSuccess;
    }
    uint32_t capacity = *size;
    *size = needed;
    if (capacity < needed) return winapi::kErrorMoreData;
    if (needed) std::memcpy(data, value->data.data(), needed);
    return winapi::kErrorSuccess;
  }

  int32_t CloseKey(ports::HKey hkey) override {
    if (hkey == ports::kHKeyLocalMachine) return winapi::kErrorSuccess;
    std::lock_guard lock(mutex_);
    return open_.erase(hkey) ? winapi::kErrorSuccess : winapi::kErrorInvalidHandle;
  }

 private:
  Machine& machine_;
  std::mutex mutex_;
  std::unordered_map<ports::HKey, OpenedKey> open_;
  ports::HKey nextHandle_ = 0x1000;
};

}  // namespace

std::unique_ptr<ports::IRegistry> MakeRegistry(Machine& m) { return std::make_unique<OfflineRegistry>(m); }

}  // namespace offline
