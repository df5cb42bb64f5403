#include "engine/error_text.h"

#include "resources/resource_ids.h"

namespace rivano {

std::wstring errorDescription(const StringLookup& strings, int number) {
  std::wstring text = strings(IDS_ERROR_BASE + number);
  return text.empty() ? strings(IDS_ERROR_BASE) : text;
}

std::wstring errorDialogText(const StringLookup& strings, int number, PictureAdvice pictureAdvice) {
  const std::wstring cr = L"\r";
  std::wstring text = strings(IDS_RUNTIME_ERROR) + std::to_wstring(number) + cr +
                      strings(IDS_ERROR_SOURCE) + strings(IDS_APP_TITLE) + cr +
                      strings(IDS_QUOTE_OPEN) + errorDescription(strings, number) +
                      strings(IDS_QUOTE_CLOSE) + cr;
  switch (number) {
    case 53:
      return text + strings(IDS_ADVICE_PATH) + cr + strings(IDS_ADVICE_CHECK_FILE);
    case 76:
      return text + strings(IDS_ADVICE_CANNOT_READ) + cr + strings(IDS_ADVICE_CHECK_FILE);
    case 481:
      if (pictureAdvice == PictureAdvice::handled) return text + strings(IDS_ADVICE_BAD_PICTURE);
      break;
    default:
      break;
  }
  return text + strings(IDS_ADVICE_UNKNOWN) + cr + strings(IDS_ADVICE_TELL_US);
}

}  // namespace rivano
