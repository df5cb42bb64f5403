// The registry routines on advapi32's ANSI functions.
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
