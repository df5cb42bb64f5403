// The program's four registry routines. Reads never fail (they fall back to
// the caller's default); writes and deletes report success; none raises.
// The Windows implementation lives in platform/; tests may supply another.
#pragma once

#include <string>

namespace rivano {

enum class RegRoot { currentUser, classesRoot };

class Registry {
 public:
  virtual ~Registry() = default;
  // An absent key, an absent value and a value over 1024 bytes (in the
  // ANSI code page, with its NUL) all read as `defaultText`; an existing
  // empty value reads as empty text.
  virtual std::wstring myRegGetString(RegRoot root, const std::wstring& keyPath,
                                      const std::wstring& valueName,
                                      const std::wstring& defaultText) = 0;
  // Creates missing keys on the way; writes a REG_SZ value.
  virtual bool myRegSetString(RegRoot root, const std::wstring& keyPath,
                              const std::wstring& valueName, const std::wstring& data) = 0;
  // Deletes a key under HKEY_CURRENT_USER with its values and every subkey.
  virtual bool myRegDeleteKey(const std::wstring& keyPath) = 0;
  // True when HKEY_CURRENT_USER\(base followed by tail) can be opened.
  virtual bool myRegKeyExists(const std::wstring& base, const std::wstring& tail) = 0;
};

}  // namespace rivano
