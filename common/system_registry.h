// The system's own registry values the program reads or writes: the
// desktop's wallpaper values and the file-type names under the classes
// root. Our settings go through SettingsRegistry instead, so nothing that
// only needs a file-type name can reach them, and the reverse. Reads never
// fail (they fall back to the caller's default); writes report success.
#pragma once

#include <string>
#include <string_view>

namespace rivano {

inline constexpr std::wstring_view kDesktopKey = L"Control Panel\\desktop";

enum class RegRoot { currentUser, classesRoot };

class SystemRegistry {
 public:
  virtual ~SystemRegistry() = default;
  // An absent key, an absent value and a value over 1024 bytes (in the
  // ANSI code page, with its NUL) all read as `defaultText`.
  virtual std::wstring readSystemText(RegRoot root, const std::wstring& keyPath,
                                      const std::wstring& valueName,
                                      const std::wstring& defaultText) = 0;
  // Creates missing keys on the way; writes a REG_SZ value.
  virtual bool writeSystemText(RegRoot root, const std::wstring& keyPath,
                               const std::wstring& valueName, const std::wstring& data) = 0;
};

}  // namespace rivano
