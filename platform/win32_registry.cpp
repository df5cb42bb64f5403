#include "platform/win32_registry.h"

#include <windows.h>

#include <array>

#include "platform/ansi.h"
#include "platform/unique_handle.h"

namespace rivano::win {
namespace {

HKEY rootKey(RegRoot root) {
  return root == RegRoot::classesRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER;
}

// The program's settings never hold more; longer values read as missing.
constexpr DWORD kValueBufferSize = 1024;

// RegDeleteKeyA refuses a key with subkeys, so the subkeys go first.
bool deleteTree(HKEY parent, const std::string& path) {
  UniqueKey key;
  if (RegOpenKeyA(parent, path.c_str(), key.put()) != ERROR_SUCCESS) return false;
  std::array<char, 256> name{};
  // Always enumerate index 0: each deletion shifts the rest down.
  while (RegEnumKeyA(key.get(), 0, name.data(), static_cast<DWORD>(name.size())) == ERROR_SUCCESS) {
    if (!deleteTree(key.get(), name.data())) return false;
  }
  key.reset();
  return RegDeleteKeyA(parent, path.c_str()) == ERROR_SUCCESS;
}

}  // namespace

std::wstring Win32Registry::myRegGetString(RegRoot root, const std::wstring& keyPath,
                                           const std::wstring& valueName,
                                           const std::wstring& defaultText) {
  UniqueKey key;
  if (RegOpenKeyA(rootKey(root), toAnsi(keyPath).c_str(), key.put()) != ERROR_SUCCESS)
    return defaultText;
  std::array<char, kValueBufferSize> buffer{};
  DWORD size = kValueBufferSize;
  const std::string name = toAnsi(valueName);
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr,
                       reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
    return defaultText;
  // Up to the first NUL; a full buffer without one is the whole text.
  std::size_t length = 0;
  while (length < buffer.size() && buffer[length] != '\0') ++length;
  return fromAnsi(std::string_view(buffer.data(), length));
}

bool Win32Registry::myRegSetString(RegRoot root, const std::wstring& keyPath,
                                   const std::wstring& valueName, const std::wstring& data) {
  UniqueKey key;
  if (RegCreateKeyA(rootKey(root), toAnsi(keyPath).c_str(), key.put()) != ERROR_SUCCESS) return false;
  const std::string bytes = toAnsi(data);
  return RegSetValueExA(key.get(), toAnsi(valueName).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(bytes.c_str()),
                        static_cast<DWORD>(bytes.size() + 1)) == ERROR_SUCCESS;
}

bool Win32Registry::myRegDeleteKey(const std::wstring& keyPath) {
  if (keyPath.empty()) return false;  // never the whole of HKEY_CURRENT_USER
  return deleteTree(HKEY_CURRENT_USER, toAnsi(keyPath));
}

bool Win32Registry::myRegKeyExists(const std::wstring& base, const std::wstring& tail) {
  UniqueKey key;
  return RegOpenKeyA(HKEY_CURRENT_USER, toAnsi(base + tail).c_str(), key.put()) == ERROR_SUCCESS;
}

}  // namespace rivano::win
