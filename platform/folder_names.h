// The names in a folder, without anything else about them.
#pragma once

#include <string>
#include <vector>

namespace rivano::win {

// Every name in `folder` (a trailing "\" or not), "." and ".." included, in
// the order the file system keeps them, which is the order a search lists
// them in. False when the folder cannot be read.
//
// Far cheaper than a search, which reads each entry's attributes, times and
// size too: under Wine that is most of the time a folder of ten thousand
// pictures takes to list.
bool folderEntryNames(const std::wstring& folder, std::vector<std::wstring>& names);

}  // namespace rivano::win
