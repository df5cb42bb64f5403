#include "tests/unit/memory_registry.h"

#include <cwctype>

namespace rivano::testing {

std::wstring MemoryRegistry::fold(const std::wstring& s) {
  std::wstring out = s;
  for (wchar_t& c : out) c = static_cast<wchar_t>(std::towlower(c));
  return out;
}

std::wstring MemoryRegistry::read(const Contents& tree, const std::wstring& key,
                                  const std::wstring& name, const std::wstring& def) {
  const auto k = tree.find(fold(key));
  if (k == tree.end()) return def;
  const auto v = k->second.find(fold(name));
  return v == k->second.end() ? def : v->second;
}

void MemoryRegistry::write(Contents& tree, const std::wstring& key, const std::wstring& name,
                           const std::wstring& data) {
  for (std::size_t at = key.find(L'\\'); at != std::wstring::npos; at = key.find(L'\\', at + 1))
    tree[fold(key.substr(0, at))];
  tree[fold(key)][fold(name)] = data;
}

std::wstring MemoryRegistry::readText(const std::wstring& key, const std::wstring& name,
                                      const std::wstring& def) {
  return read(keys_, key, name, def);
}

bool MemoryRegistry::writeText(const std::wstring& key, const std::wstring& name,
                               const std::wstring& data) {
  write(keys_, key, name, data);
  return true;
}

std::wstring MemoryRegistry::readSystemText(RegRoot root, const std::wstring& key,
                                            const std::wstring& name, const std::wstring& def) {
  return read(tree(root), key, name, def);
}

bool MemoryRegistry::writeSystemText(RegRoot root, const std::wstring& key,
                                     const std::wstring& name, const std::wstring& data) {
  write(tree(root), key, name, data);
  return true;
}

bool MemoryRegistry::deleteKey(const std::wstring& key) {
  const std::wstring folded = fold(key);
  if (!keys_.contains(folded)) return false;
  std::erase_if(keys_, [&](const auto& kv) {
    return kv.first == folded || kv.first.starts_with(folded + L"\\");
  });
  return true;
}

bool MemoryRegistry::keyExists(const std::wstring& base, const std::wstring& tail) {
  return keys_.contains(fold(base + tail));
}

std::wstring RecordingRegistry::relative(const std::wstring& key) const {
  return key.starts_with(programKey_ + L"\\") ? key.substr(programKey_.size() + 1) : key;
}

std::wstring RecordingRegistry::readText(const std::wstring& key, const std::wstring& name,
                                              const std::wstring& def) {
  calls.push_back(L"get " + relative(key) + L"\\" + name);
  return inner_.readText(key, name, def);
}

bool RecordingRegistry::writeText(const std::wstring& key, const std::wstring& name,
                                  const std::wstring& data) {
  calls.push_back(L"set " + relative(key) + L"\\" + name);
  return inner_.writeText(key, name, data);
}

bool RecordingRegistry::deleteKey(const std::wstring& key) {
  calls.push_back(L"delete " + relative(key));
  return inner_.deleteKey(key);
}

bool RecordingRegistry::keyExists(const std::wstring& base, const std::wstring& tail) {
  calls.push_back(L"exists " + relative(base + tail));
  return inner_.keyExists(base, tail);
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

std::wstring CutOffRegistry::readText(const std::wstring& key, const std::wstring& name,
                                           const std::wstring& def) {
  return inner_.readText(key, name, def);
}

bool CutOffRegistry::writeText(const std::wstring& key, const std::wstring& name,
                               const std::wstring& data) {
  return mayWrite() && inner_.writeText(key, name, data);
}

bool CutOffRegistry::deleteKey(const std::wstring& key) {
  return mayWrite() && inner_.deleteKey(key);
}

bool CutOffRegistry::keyExists(const std::wstring& base, const std::wstring& tail) {
  return inner_.keyExists(base, tail);
}

}  // namespace rivano::testing
