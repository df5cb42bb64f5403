#include "engine/picture_rows.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace rivano {
namespace {

PictureRow row(const std::wstring& name, const std::wstring& size, const std::wstring& attributes = L"---a") {
  return {name, size, L"Bitmap", L"2024/01/02", attributes};
}

// Case folded, as the platform's collation ignores case.
std::string foldedKey(const std::wstring& text) {
  std::string key;
  for (wchar_t c : text) {
    const auto lower = static_cast<std::uint32_t>(std::towlower(static_cast<wint_t>(c)));
    for (int shift = 24; shift >= 0; shift -= 8) key.push_back(static_cast<char>((lower >> shift) & 0xFF));
  }
  return key;
}

std::vector<std::wstring> names(const PictureRows& rows) {
  std::vector<std::wstring> out;
  for (std::size_t i = 0; i < rows.size(); ++i) out.push_back(rows[i].name);
  return out;
}

TEST(PictureRows, SortsByAColumnBothWaysAndTheSelectionFollowsItsRow) {
  PictureRows rows;
  rows.add(row(L"b.jpg", L"         300"));
  rows.add(row(L"A.jpg", L"        1200"));
  rows.add(row(L"c.jpg", L"          20"));
  // The padded size texts order by value.
  int selected = rows.sort(1, false, foldedKey, 1);
  EXPECT_EQ(names(rows), (std::vector<std::wstring>{L"c.jpg", L"b.jpg", L"A.jpg"}));
  EXPECT_EQ(selected, 2);
  selected = rows.sort(0, true, foldedKey, selected);
  EXPECT_EQ(names(rows), (std::vector<std::wstring>{L"c.jpg", L"b.jpg", L"A.jpg"}));
  selected = rows.sort(0, false, foldedKey, selected);
  EXPECT_EQ(names(rows), (std::vector<std::wstring>{L"A.jpg", L"b.jpg", L"c.jpg"}));
  EXPECT_EQ(selected, 0);
  EXPECT_EQ(rows.sort(0, false, foldedKey, -1), -1);
}

TEST(PictureRows, EqualKeysKeepTheirListingOrderInEitherDirection) {
  PictureRows rows;
  rows.add(row(L"1.jpg", L"x", L"r--a"));
  rows.add(row(L"2.jpg", L"x", L"---a"));
  rows.add(row(L"3.jpg", L"x", L"r--a"));
  rows.add(row(L"4.jpg", L"x", L"---a"));
  rows.sort(4, false, foldedKey, -1);
  EXPECT_EQ(names(rows), (std::vector<std::wstring>{L"2.jpg", L"4.jpg", L"1.jpg", L"3.jpg"}));
  rows.sort(4, true, foldedKey, -1);
  EXPECT_EQ(names(rows), (std::vector<std::wstring>{L"1.jpg", L"3.jpg", L"2.jpg", L"4.jpg"}));
}

TEST(PictureRows, TypeAheadSearchesFromTheStartRowAndWrapsOnlyWhenAsked) {
  PictureRows rows;
  for (const wchar_t* name : {L"sky.bmp", L"sea.jpg", L"moon.gif", L"sun.jpg"}) rows.add(row(name, L"1"));
  const auto startsWith = [](const std::wstring& prefix, const std::wstring& text) {
    return text.compare(0, prefix.size(), prefix) == 0;
  };
  EXPECT_EQ(rows.findPrefix(L"s", 0, false, startsWith), 0);
  EXPECT_EQ(rows.findPrefix(L"s", 2, false, startsWith), 3);
  EXPECT_EQ(rows.findPrefix(L"se", 2, false, startsWith), -1);
  EXPECT_EQ(rows.findPrefix(L"se", 2, true, startsWith), 1);
  EXPECT_EQ(rows.findPrefix(L"x", 9, true, startsWith), -1);
  EXPECT_EQ(PictureRows().findPrefix(L"s", 0, true, startsWith), -1);
  EXPECT_EQ(rows.find(L"moon.gif"), 2);
  rows.remove(0);
  EXPECT_EQ(rows.find(L"moon.gif"), 1);
  EXPECT_FALSE(rows.holds(3));
  EXPECT_TRUE(rows.holds(2));
}

}  // namespace
}  // namespace rivano
