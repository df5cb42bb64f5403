// The registry routines on advapi32's wide functions, so that a name the
// ANSI code page cannot hold (a Korean folder, say) is stored as it is
// rather than as "?". What they read and write for text the code page can
// hold is what the ANSI functions gave: Windows keeps REG_SZ values as
// UTF-16 either way, and the 1024-byte limit is measured on the ANSI form.
// One object serves both our settings and the system's values; the two
// interfaces keep apart which of them a caller may reach.
#pragma once

#include "common/system_registry.h"
#include "settings/settings_registry.h"

namespace rivano::win {

class Win32Registry final : public SettingsRegistry, public SystemRegistry {
 public:
  std::wstring readText(const std::wstring& keyPath, const std::wstring& valueName,
                        const std::wstring& defaultText) override;
  bool writeText(const std::wstring& keyPath, const std::wstring& valueName,
                 const std::wstring& data) override;
  bool deleteKey(const std::wstring& keyPath) override;
  bool keyExists(const std::wstring& base, const std::wstring& tail) override;

  std::wstring readSystemText(RegRoot root, const std::wstring& keyPath,
                              const std::wstring& valueName,
                              const std::wstring& defaultText) override;
  bool writeSystemText(RegRoot root, const std::wstring& keyPath, const std::wstring& valueName,
                       const std::wstring& data) override;
};

}  // namespace rivano::win
