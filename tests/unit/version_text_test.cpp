#include "app/version_text.h"

#include <gtest/gtest.h>

namespace rivano {
namespace {

TEST(VersionText, MinorAndRevisionArePaddedToTwoAndFourDigits) {
  EXPECT_EQ(versionText(L"v", L".", 2, 5, 269), L"v2.05.0269");
  EXPECT_EQ(versionText(L"v", L".", 1, 2, 3), L"v1.02.0003");
  EXPECT_EQ(versionText(L"v", L".", 0, 0, 0), L"v0.00.0000");
  EXPECT_EQ(versionText(L"v", L".", 3, 12, 1234), L"v3.12.1234");
}

TEST(VersionText, WideNumbersAreShownInFull) {
  EXPECT_EQ(versionText(L"v", L".", 12, 345, 65535), L"v12.345.65535");
  EXPECT_EQ(versionText(L"v", L".", 65535, 65535, 65535), L"v65535.65535.65535");
}

TEST(VersionText, PrefixAndSeparatorComeFromTheCaller) {
  EXPECT_EQ(versionText(L"ver ", L"-", 2, 5, 269), L"ver 2-05-0269");
  EXPECT_EQ(versionText(L"", L"", 2, 5, 269), L"2050269");
}

}  // namespace
}  // namespace rivano
