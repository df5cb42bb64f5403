#include "tests/unit/memory_registry.h"

#include <cwctype>

namespace rivano::testing {

std::wstring MemoryRegistry::fold(const std::wstring& s) {
  std::wstring out = s;
  for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(c));
  return out;
}

std::wstring MemoryRegistry::myRegGetString(RegRoot, const std::wstring& key,
                                            const std::wstring& name, const std::wstring& def) {
  const auto k = keys_.find(fold(key));
  if (k == keys_.end()) return def;
  const auto v = k->second.find(fold(name));
  return v == k->second.end() ? def : v->second;
}

bool MemoryRegistry::myRegSetString(RegRoot, const std::wstring& key, const std::wstring& name,
                                    const std::wstring& data) {
  for (std::size_t at = key.find(L'\\'); at != std::wstring::npos; at = key.find(L'\\', at + 1))
    keys_[fold(key.substr(0, at))];
  keys_[fold(key)][fold(name)] = data;
  return true;
}

bool MemoryRegistry::myRegDeleteKey(const std::wstring& key) {
  const std::wstring folded = fold(key);
  if (!keys_.contains(folded)) return false;
  std::erase_if(keys_, [&](const auto& kv) {
    return kv.first == folded || kv.first.starts_with(folded + L"\\");
  });
  return true;
}

bool MemoryRegistry::myRegKeyExists(const std::wstring& base, const std::wstring& tail) {
  return keys_.contains(fold(base + tail));
}

std::wstring RecordingRegistry::relative(const std::wstring& key) const {
  return key.starts_with(programKey_ + L"\\") ? key.substr(programKey_.size() + 1) : key;
}

std::wstring RecordingRegistry::myRegGetString(RegRoot root, const std::wstring& key,
                                               const std::wstring& name, const std::wstring& def) {
  calls.push_back(L"get " + relative(key) + L"\\" + name);
  return inner_.myRegGetString(root, key, name, def);
}

bool RecordingRegistry::myRegSetString(RegRoot root, const std::wstring& key,
                                       const std::wstring& name, const std::wstring& data) {
  calls.push_back(L"set " + relative(key) + L"\\" + name);
  return inner_.myRegSetString(root, key, name, data);
}

bool RecordingRegistry::myRegDeleteKey(const std::wstring& key) {
  calls.push_back(L"delete " + relative(key));
  return inner_.myRegDeleteKey(key);
}

bool RecordingRegistry::myRegKeyExists(const std::wstring& base, const std::wstring& tail) {
  calls.push_back(L"exists " + relative(base + tail));
  return inner_.myRegKeyExists(base, tail);
}

bool CutOffRegistry::mayWrite() {
  if (writesLeft_ > 0) {
    --writesLeft_;
    return true;
  }
  cut_ = true;
  if (mode_ == Mode::kill) throw Killed{};
  return false;
}

std::wstring CutOffRegistry::myRegGetString(RegRoot root, const std::wstring& key,
                                            const std::wstring& name, const std::wstring& def) {
  return inner_.myRegGetString(root, key, name, def);
}

bool CutOffRegistry::myRegSetString(RegRoot root, const std::wstring& key,
                                    const std::wstring& name, const std::wstring& data) {
  return mayWrite() && inner_.myRegSetString(root, key, name, data);
}

bool CutOffRegistry::myRegDeleteKey(const std::wstring& key) {
  return mayWrite() && inner_.myRegDeleteKey(key);
}

bool CutOffRegistry::myRegKeyExists(const std::wstring& base, const std::wstring& tail) {
  return inner_.myRegKeyExists(base, tail);
}

}  // namespace rivano::testing
