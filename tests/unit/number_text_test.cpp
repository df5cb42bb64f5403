#include "settings/number_text.h"

#include <gtest/gtest.h>

#include "common/run_error.h"

namespace rivano {
namespace {

int errorOf(auto&& convert) {
  try {
    convert();
  } catch (const RunError& e) {
    return e.number();
  }
  return 0;
}

TEST(NumberText, SixteenBitConversion) {
  EXPECT_EQ(textToInt16(L"15"), 15);
  EXPECT_EQ(textToInt16(L"-1"), -1);
  EXPECT_EQ(textToInt16(L" 7 "), 7);
  EXPECT_EQ(textToInt16(L"2.5"), 2);  // halves to even
  EXPECT_EQ(textToInt16(L"3.5"), 4);
  EXPECT_EQ(textToInt16(L"1e2"), 100);
  EXPECT_EQ(textToInt16(L"&HFFFF"), -1);
  EXPECT_EQ(textToInt16(L"32767"), 32767);
  EXPECT_EQ(textToInt16(L"-32768"), -32768);
}

TEST(NumberText, FailuresCarryTheLanguageErrorNumbers) {
  EXPECT_EQ(errorOf([] { textToInt16(L""); }), err::typeMismatch);
  EXPECT_EQ(errorOf([] { textToInt16(L"abc"); }), err::typeMismatch);
  EXPECT_EQ(errorOf([] { textToInt16(L"1x"); }), err::typeMismatch);
  EXPECT_EQ(errorOf([] { textToInt16(L"."); }), err::typeMismatch);
  EXPECT_EQ(errorOf([] { textToInt16(L"32768"); }), err::overflow);
  EXPECT_EQ(errorOf([] { textToInt16(L"1e400"); }), err::overflow);
  EXPECT_EQ(errorOf([] { textToInt32(L"2147483648"); }), err::overflow);
  EXPECT_EQ(errorOf([] { textToInt32(L"&H1FFFFFFFF"); }), err::overflow);
  EXPECT_EQ(textToInt32(L"2147483647"), 2147483647);
}

TEST(NumberText, TruthAcceptsBothStoredForms) {
  EXPECT_TRUE(textToTruth(L"True"));
  EXPECT_TRUE(textToTruth(L"true"));
  EXPECT_TRUE(textToTruth(L"1"));
  EXPECT_TRUE(textToTruth(L"-1"));
  EXPECT_TRUE(textToTruth(L"7"));
  EXPECT_FALSE(textToTruth(L"False"));
  EXPECT_FALSE(textToTruth(L"0"));
  EXPECT_EQ(errorOf([] { textToTruth(L"yes"); }), err::typeMismatch);
  EXPECT_EQ(errorOf([] { textToTruth(L""); }), err::typeMismatch);
}

TEST(NumberText, StoredForms) {
  EXPECT_EQ(numberText(-1), L"-1");
  EXPECT_EQ(checkBoxText(true), L"1");
  EXPECT_EQ(wordText(false), L"False");
}

}  // namespace
}  // namespace rivano
