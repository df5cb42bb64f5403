// Text order as the user's locale has it, ignoring case: what a list
// control's own sort and type-ahead use.
#pragma once

#include <string>

namespace rivano::win {

// A key whose byte order is the collation order of the text, so a sort
// compares each text with the locale once instead of once per comparison.
std::string collationKey(const std::wstring& text);
// Whether `text` begins with `prefix`, ignoring case.
bool startsWithIgnoringCase(const std::wstring& prefix, const std::wstring& text);

}  // namespace rivano::win
