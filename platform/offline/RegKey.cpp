// The in-memory registry tree: names compare case-insensitively, as the registry does.
// A mounted key copies its children and values out of its source on first use.
#include <algorithm>
#include <cstring>

#include "platform/offline/Machine.h"

namespace offline {

void RegKey::Mount(std::shared_ptr<const RegKeySource> source, uint64_t node) {
  source_ = std::move(source);
  node_ = node;
}

void RegKey::Load() const {
  if (!source_) return;
  // A throwing read leaves the key unloaded, so the next use reports the damage again.
  std::call_once(loaded_, [this] {
    RegKeySource::Contents contents = source_->Read(node_);
    std::vector<std::unique_ptr<RegKey>> children;
    children.reserve(contents.children.size());
    for (auto& [name, node] : contents.children) {
      children.push_back(std::make_unique<RegKey>(std::move(name)));
      children.back()->Mount(source_, node);
    }
    children_ = std::move(children);
    values_ = std::move(contents.values);
  });
}

const std::vector<std::unique_ptr<RegKey>>& RegKey::Children() const {
  Load();
  return children_;
}

const std::vector<std::pair<WString, RegValue>>& RegKey::Values() const {
  Load();
  return values_;
}

RegKey* RegKey::FindChild(WStringView name) {
  Load();
  for (auto& c : children_)
    if (text::EqualsIgnoreCase(c->Name(), name)) return c.get();
  return nullptr;
}

const RegKey* RegKey::FindChild(WStringView name) const { return const_cast<RegKey*>(this)->FindChild(name); }

RegKey& RegKey::Child(WStringView name) {
  if (RegKey* existing = FindChild(name)) return *existing;
  children_.push_back(std::make_unique<RegKey>(WString(name)));
  return *children_.back();
}

bool RegKey::RemoveChild(WStringView name) {
  Load();
  auto it = std::find_if(children_.begin(), children_.end(),
                         [&](const auto& c) { return text::EqualsIgnoreCase(c->Name(), name); });
  if (it == children_.end()) return false;
  children_.erase(it);
  return true;
}

const RegValue* RegKey::FindValue(WStringView name) const {
  Load();
  for (const auto& [n, v] : values_)
    if (text::EqualsIgnoreCase(n, name)) return &v;
  return nullptr;
}

void RegKey::SetValue(WStringView name, RegValue value) {
  Load();
  for (auto& [n, v] : values_)
    if (text::EqualsIgnoreCase(n, name)) {
      v = std::move(value);
      return;
    }
  values_.emplace_back(WString(name), std::move(value));
}

bool RegKey::RemoveValue(WStringView name) {
  Load();
  auto it = std::find_if(values_.begin(), values_.end(),
                         [&](const auto& nv) { return text::EqualsIgnoreCase(nv.first, name); });
  if (it == values_.end()) return false;
  values_.erase(it);
  return true;
}

WString RegString(const RegValue& value) {
  WString s(value.data.size() / sizeof(char16_t), u'\0');
  std::memcpy(s.data(), value.data.data(), s.size() * sizeof(char16_t));
  return text::UpToNul(s.data(), s.size());
}

std::optional<uint32_t> RegDword(const RegValue& value) {
  if (value.type != winapi::kRegDword || value.data.size() != sizeof(uint32_t)) return std::nullopt;
  uint32_t v;
  std::memcpy(&v, value.data.data(), sizeof v);
  return v;
}

const RegKey* FindKey(const RegKey& key, WStringView path) {
  const RegKey* at = &key;
  for (size_t start = 0; at && start < path.size();) {
    size_t end = path.find(u'\\', start);
    if (end == WStringView::npos) end = path.size();
    if (end > start) at = at->FindChild(path.substr(start, end - start));
    start = end + 1;
  }
  return at;
}

}  // namespace offline
