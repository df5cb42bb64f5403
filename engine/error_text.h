// The text of the program's error dialog: the error number, its source and
// description, then advice lines chosen by the number.
#pragma once

#include <functional>
#include <string>

namespace rivano {

using StringLookup = std::function<std::wstring(int id)>;

enum class PictureAdvice {
  generic,  // error 481 gets the "how did this happen" lines like any other
  handled,  // error 481 gets the "the picture is broken" line
};

// The description the user reads for an error number (from the string
// table, with a general text for numbers that have none).
std::wstring errorDescription(const StringLookup& strings, int number);

// Lines separated by carriage returns, as the message box shows them.
std::wstring errorDialogText(const StringLookup& strings, int number, PictureAdvice pictureAdvice);

}  // namespace rivano
