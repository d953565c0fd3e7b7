// The in-memory registry tree: names compare case-insensitively, as the registry does.
#include <algorithm>

#include "platform/offline/Machine.h"

namespace offline {

RegKey* RegKey::FindChild(WStringView name) {
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
  auto it = std::find_if(children_.begin(), children_.end(),
                         [&](const auto& c) { return text::EqualsIgnoreCase(c->Name(), name); });
  if (it == children_.end()) return false;
  children_.erase(it);
  return true;
}

const RegValue* RegKey::FindValue(WStringView name) const {
  for (const auto& [n, v] : values_)
    if (text::EqualsIgnoreCase(n, name)) return &v;
  return nullptr;
}

void RegKey::SetValue(WStringView name, RegValue value) {
  for (auto& [n, v] : values_)
    if (text::EqualsIgnoreCase(n, name)) {
      v = std::move(value);
      return;
    }
  values_.emplace_back(WString(name), std::move(value));
}

bool RegKey::RemoveValue(WStringView name) {
  auto it = std::find_if(values_.begin(), values_.end(),
                         [&](const auto& nv) { return text::EqualsIgnoreCase(nv.first, name); });
  if (it == values_.end()) return false;
  values_.erase(it);
  return true;
}

}  // namespace offline
