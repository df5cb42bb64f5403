// Where the program writes its files: the wallpaper bitmap and the folder
// archive members are extracted to. Beside the program as always, unless
// the user cannot write there (a program unpacked into "C:\Program Files"
// and run by a user who is not an administrator); then in the user's own
// local application data.
#pragma once

#include <functional>
#include <string>

namespace rivano::win {

// True when a file can be created in the folder (ending in "\") and
// removed again. Tried rather than read from the folder's path or its
// permissions: only the attempt answers for every file system and policy.
bool canWriteIn(const std::wstring& folder);

// The user's local application data folder, without a trailing "\";
// empty when the system names none.
std::wstring localAppDataFolder();

// `programFolder` when the program can write there; otherwise the folder
// "Rivano" in the local application data (made when missing), ending in
// "\". When that cannot be made either, the program folder after all.
std::wstring dataFolder(const std::wstring& programFolder,
                        const std::function<std::wstring()>& localAppData = &localAppDataFolder);

}  // namespace rivano::win
