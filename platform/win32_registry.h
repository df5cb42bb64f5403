// The registry routines on advapi32's wide functions, so that a name the
// ANSI code page cannot hold (a Korean folder, say) is stored as it is
// rather than as "?". What they read and write for text the code page can
// hold is what the ANSI functions gave: Windows keeps REG_SZ values as
// UTF-16 either way, and the 1024-byte limit is measured on the ANSI form.
#pragma once

#include "settings/registry.h"

namespace rivano::win {

class Win32Registry final : public Registry {
 public:
  std::wstring myRegGetString(RegRoot root, const std::wstring& keyPath,
                              const std::wstring& valueName,
                              const std::wstring& defaultText) override;
  bool myRegSetString(RegRoot root, const std::wstring& keyPath, const std::wstring& valueName,
                      const std::wstring& data) override;
  bool myRegDeleteKey(const std::wstring& keyPath) override;
  bool myRegKeyExists(const std::wstring& base, const std::wstring& tail) override;
};

}  // namespace rivano::win
