#include "platform/win32_registry.h"

#include <windows.h>

#include <array>
#include <string_view>

#include "platform/ansi.h"
#include "platform/unique_handle.h"

namespace rivano::win {
namespace {

HKEY rootKey(RegRoot root) {
  return root == RegRoot::classesRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER;
}

// The program's settings never hold more; longer values read as missing.
// The limit has always been on the ANSI form with its NUL, so it is kept
// there (ansiLength counts a character the code page lacks as two bytes).
constexpr std::size_t kValueLimit = 1024;
// No text within the limit has more UTF-16 units than bytes.
constexpr DWORD kBufferUnits = kValueLimit;

bool isText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Up to the first NUL; a range without one is the whole text.
template <typename Char>
std::basic_string_view<Char> upToNul(const Char* data, std::size_t length) {
  std::size_t n = 0;
  while (n < length && data[n] != Char{}) ++n;
  return {data, n};
}

// RegDeleteKeyW refuses a key with subkeys, so the subkeys go first.
bool deleteTree(HKEY parent, const std::wstring& path) {
  UniqueKey key;
  if (RegOpenKeyExW(parent, path.c_str(), 0, MAXIMUM_ALLOWED, key.put()) != ERROR_SUCCESS) return false;
  // A key name has at most 255 characters.
  std::array<wchar_t, 256> name{};
  for (;;) {
    DWORD length = static_cast<DWORD>(name.size());
    // Always enumerate index 0: each deletion shifts the rest down.
    if (RegEnumKeyExW(key.get(), 0, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    if (!deleteTree(key.get(), std::wstring(name.data(), length))) return false;
  }
  key.reset();
  return RegDeleteKeyW(parent, path.c_str()) == ERROR_SUCCESS;
}

std::wstring readValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                       const std::wstring& defaultText) {
  UniqueKey key;
  if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
    return defaultText;
  std::array<wchar_t, kBufferUnits> buffer{};
  DWORD type = REG_NONE;
  DWORD size = sizeof buffer;
  if (RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type,
                       reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS)
    return defaultText;
  if (isText(type)) {
    // All of the stored text counts, its NUL included, as with the ANSI
    // query, which measures the whole converted value.
    const std::wstring_view stored(buffer.data(), size / sizeof(wchar_t));
    if (ansiLength(stored) > kValueLimit) return defaultText;
    return std::wstring(upToNul(stored.data(), stored.size()));
  }
  // Other types came through the ANSI query as their raw bytes, which were
  // then read as ANSI text; a DWORD of 15, say, is the one character 15.
  if (size > kValueLimit) return defaultText;
  const auto* bytes = reinterpret_cast<const char*>(buffer.data());
  return fromAnsi(upToNul(bytes, size));
}

bool writeValue(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                const std::wstring& data) {
  UniqueKey key;
  if (RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return false;
  return RegSetValueExW(key.get(), valueName.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

std::wstring Win32Registry::readText(const std::wstring& keyPath, const std::wstring& valueName,
                                     const std::wstring& defaultText) {
  return readValue(HKEY_CURRENT_USER, keyPath, valueName, defaultText);
}

bool Win32Registry::writeText(const std::wstring& keyPath, const std::wstring& valueName,
                              const std::wstring& data) {
  return writeValue(HKEY_CURRENT_USER, keyPath, valueName, data);
}

std::wstring Win32Registry::readSystemText(RegRoot root, const std::wstring& keyPath,
                                           const std::wstring& valueName,
                                           const std::wstring& defaultText) {
  return readValue(rootKey(root), keyPath, valueName, defaultText);
}

bool Win32Registry::writeSystemText(RegRoot root, const std::wstring& keyPath,
                                    const std::wstring& valueName, const std::wstring& data) {
  return writeValue(rootKey(root), keyPath, valueName, data);
}

bool Win32Registry::deleteKey(const std::wstring& keyPath) {
  if (keyPath.empty()) return false;  // never the whole of HKEY_CURRENT_USER
  return deleteTree(HKEY_CURRENT_USER, keyPath);
}

bool Win32Registry::keyExists(const std::wstring& base, const std::wstring& tail) {
  UniqueKey key;
  return RegOpenKeyExW(HKEY_CURRENT_USER, (base + tail).c_str(), 0, MAXIMUM_ALLOWED, key.put()) ==
         ERROR_SUCCESS;
}

}  // namespace rivano::win
