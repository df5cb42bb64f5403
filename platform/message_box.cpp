#include "platform/message_box.h"

#include "platform/string_table.h"
#include "resources/resource_ids.h"

namespace rivano::win {

int showMessage(HWND owner, const std::wstring& text, UINT flags, const std::wstring& title) {
  const std::wstring caption = title.empty() ? loadString(IDS_APP_TITLE) : title;
  return MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

void showErrorDialog(HWND owner, int titleId, int errorNumber, PictureAdvice pictureAdvice) {
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  showMessage(owner, errorDialogText(stringTable(), errorNumber, pictureAdvice),
              MB_OK | MB_ICONEXCLAMATION, loadString(titleId));
}

StringLookup stringTable() { return [](int id) { return loadString(id); }; }

}  // namespace rivano::win
