// Splitting a path into folder, file name and extension by its separators
// alone: nothing here looks at the disk, and an absent part is empty text.
#pragma once

#include <string>
#include <string_view>

namespace rivano {

// Everything before the last "\" ("C:" for a file in a drive root).
std::wstring folderOfPath(std::wstring_view path);
// Everything after the last "\"; empty for a path ending in "\".
std::wstring fileNameOfPath(std::wstring_view path);
// The upper-cased text after the last dot of the last component ("/" counts
// as a separator here too, as archive member names may use it).
std::wstring extensionOfPath(std::wstring_view path);
// The path with one "\" at its end, so that a drive root ("D:\") does not
// get a second one when a name is added.
std::wstring withBackslash(std::wstring path);

}  // namespace rivano
