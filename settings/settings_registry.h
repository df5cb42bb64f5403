// Where the program keeps its settings: keys under HKEY_CURRENT_USER. Reads
// never fail (they fall back to the caller's default); writes and deletes
// report success; none raises. The Windows implementation lives in
// platform/; tests may supply another.
#pragma once

#include <string>

namespace rivano {

class SettingsRegistry {
 public:
  virtual ~SettingsRegistry() = default;
  // An absent key, an absent value and a value over 1024 bytes (in the
  // ANSI code page, with its NUL) all read as `defaultText`; an existing
  // empty value reads as empty text.
  virtual std::wstring readText(const std::wstring& keyPath, const std::wstring& valueName,
                                const std::wstring& defaultText) = 0;
  // Creates missing keys on the way; writes a REG_SZ value.
  virtual bool writeText(const std::wstring& keyPath, const std::wstring& valueName,
                         const std::wstring& data) = 0;
  // Deletes a key with its values and every subkey.
  virtual bool deleteKey(const std::wstring& keyPath) = 0;
  // True when the key (base followed by tail) can be opened.
  virtual bool keyExists(const std::wstring& base, const std::wstring& tail) = 0;
};

}  // namespace rivano
