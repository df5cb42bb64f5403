// Texts of the program's string table, by number.
#pragma once

#include <string>

namespace rivano::win {

// Empty text for a number the table does not hold.
std::wstring loadString(int id);

}  // namespace rivano::win
