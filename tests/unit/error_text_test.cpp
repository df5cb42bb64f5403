#include "engine/error_text.h"

#include <gtest/gtest.h>

#include <map>

#include "resources/resource_ids.h"

namespace rivano {
namespace {

std::wstring lookup(int id) {
  static const std::map<int, std::wstring> table = {
      {IDS_APP_TITLE, L"Rivano"},        {IDS_RUNTIME_ERROR, L"E:"},      {IDS_ERROR_SOURCE, L" S:"},
      {IDS_QUOTE_OPEN, L"<"},            {IDS_QUOTE_CLOSE, L">"},        {IDS_ADVICE_PATH, L"path?"},
      {IDS_ADVICE_CHECK_FILE, L"check"}, {IDS_ADVICE_CANNOT_READ, L"cannot read"},
      {IDS_ADVICE_BAD_PICTURE, L"bad picture"}, {IDS_ADVICE_UNKNOWN, L"how?"},
      {IDS_ADVICE_TELL_US, L"tell us"},  {IDS_ERROR_BASE, L"general"},
      {IDS_ERROR_BASE + 53, L"not found"}};
  const auto it = table.find(id);
  return it == table.end() ? L"" : it->second;
}

TEST(ErrorText, AdviceLinesByNumber) {
  EXPECT_EQ(errorDialogText(lookup, 53, PictureAdvice::handled),
            L"E:53\r S:Rivano\r<not found>\rpath?\rcheck");
  EXPECT_EQ(errorDialogText(lookup, 76, PictureAdvice::handled),
            L"E:76\r S:Rivano\r<general>\rcannot read\rcheck");
  EXPECT_EQ(errorDialogText(lookup, 481, PictureAdvice::handled),
            L"E:481\r S:Rivano\r<general>\rbad picture");
  EXPECT_EQ(errorDialogText(lookup, 481, PictureAdvice::generic),
            L"E:481\r S:Rivano\r<general>\rhow?\rtell us");
  EXPECT_EQ(errorDialogText(lookup, 13, PictureAdvice::handled),
            L"E:13\r S:Rivano\r<general>\rhow?\rtell us");
}

}  // namespace
}  // namespace rivano
