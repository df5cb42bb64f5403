// Message boxes: the program's notices and its error dialog.
#pragma once

#include <windows.h>

#include <string>

#include "engine/error_text.h"

namespace rivano::win {

// A box with the given text and flags; an empty title is the program's own.
int showMessage(HWND owner, const std::wstring& text, UINT flags, const std::wstring& title = {});

// The error dialog: exclamation icon, OK, titled by the string `titleId`.
// Puts the mouse pointer back to the default first.
void showErrorDialog(HWND owner, int titleId, int errorNumber, PictureAdvice pictureAdvice);

// The string table as the error text composer wants it.
StringLookup stringTable();

}  // namespace rivano::win
