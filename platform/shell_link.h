// Shell link files ("x.lnk") written through the shell's own link object,
// and the user's special folders they go into.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace rivano::win {

struct ShellLinkFields {
  std::wstring target;
  std::optional<std::wstring> workingFolder;  // unset: an existing link keeps its own
  int showCommand = 1;                        // 1: a normal window
  std::wstring iconFile;                      // icon index 0
  std::optional<std::wstring> arguments;      // unset: an existing link keeps its own
};

// Opens an existing link of that path first, so that the fields left unset
// keep what it held; then sets the given ones and saves. The result of the
// first step that failed, S_OK when the link was written.
HRESULT saveShellLink(const std::wstring& linkPath, const ShellLinkFields& fields);

// The link read back: empty when it cannot be loaded.
std::optional<ShellLinkFields> readShellLink(const std::wstring& linkPath);

enum class UserFolder { startup, desktop };
// The folder of the current user, without a final "\", made when missing;
// one that cannot be made is still named. Empty when unknown.
std::wstring userFolder(UserFolder which);

}  // namespace rivano::win
