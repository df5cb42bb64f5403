// The options dialog's values: what its load shows (with the defaults and
// with values it cannot show) and what its OK stores, in its order.
#include <gtest/gtest.h>

#include "settings/settings_layout.h"
#include "tests/unit/memory_registry.h"

namespace rivano {
namespace {

using testing::RecordingRegistry;

class OptionsSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    registry = testing::makeTestRegistry();
    key = testing::testProgramKey();
    registry->deleteKey(key);
  }
  void TearDown() override { registry->deleteKey(key); }
  void put(const std::wstring& name, const std::wstring& data) {
    ASSERT_TRUE(registry->writeText(key + L"\\Option", name, data));
  }
  std::wstring get(const std::wstring& name) {
    return registry->readText(key + L"\\Option", name, L"<missing>");
  }

  std::unique_ptr<SettingsRegistry> registry;
  std::wstring key;
};

TEST_F(OptionsSettings, AFirstRunShowsTheDefaults) {
  SettingsStore store(*registry, key);
  const OptionsLoadValues v = readOptionsLoadValues(store);
  EXPECT_EQ(v.freeIcon, 0);
  EXPECT_EQ(v.freeEnd, 0);
  EXPECT_EQ(v.actStop, 0);
  EXPECT_EQ(v.tmrCount, 15);
  EXPECT_EQ(v.historyViewer, 1);
  EXPECT_EQ(v.straShow, 1);
  EXPECT_EQ(v.dragOpt, 2);
  EXPECT_EQ(v.dropTileDown, L"2");
  EXPECT_EQ(v.dropTileAcross, L"2");
}

TEST_F(OptionsSettings, LoadReadsInItsOrderAndLeavesUnconvertibleValuesEmpty) {
  put(L"TmrCount", L"abc");
  put(L"FreeIcon", L"99999");  // beyond 16 bits
  put(L"DragOpt", L"7");       // a number, which the dialog itself refuses
  put(L"DragTate", L"x");      // a text box takes any text
  RecordingRegistry recording(*registry, key);
  SettingsStore store(recording, key);
  const OptionsLoadValues v = readOptionsLoadValues(store);
  const std::vector<std::wstring> expected = {
      L"get Option\\FreeIcon", L"get Option\\FreeEnd",  L"get Option\\ActStop",
      L"get Option\\TmrCount", L"get Option\\RLViwer",  L"get Option\\StraShow",
      L"get Option\\DragOpt",  L"get Option\\DragTate", L"get Option\\DragYoko"};
  EXPECT_EQ(recording.calls, expected);
  EXPECT_FALSE(v.tmrCount.has_value());
  EXPECT_FALSE(v.freeIcon.has_value());
  EXPECT_EQ(v.freeEnd, 0);
  EXPECT_EQ(v.dragOpt, 7);
  EXPECT_EQ(v.dropTileDown, L"x");
}

TEST_F(OptionsSettings, OkWritesAllTwelveValuesInItsOrder) {
  OptionsOkValues v;
  v.freeIcon = true;
  v.actStop = true;
  v.tmrCount = 300;
  v.historyViewer = false;
  v.noWallpaper = true;
  v.straShow = false;
  v.picReSize = true;
  v.picReMag = 20;
  v.dragOpt = 0;
  v.dropTileDown = L"";
  v.dropTileAcross = L" 3a";
  RecordingRegistry recording(*registry, key);
  SettingsStore store(recording, key);
  writeOptionsOkValues(store, v);
  const std::vector<std::wstring> expected = {
      L"set Option\\FreeIcon",    L"set Option\\FreeEnd",     L"set Option\\ActStop",
      L"set Option\\TmrCount",  L"set Option\\RLViwer",     L"set Option\\NoWallpaper",
      L"set Option\\StraShow",    L"set Option\\PicReSize",   L"set Option\\PicReMag",
      L"set Option\\DragOpt",     L"set Option\\DragTate",     L"set Option\\DragYoko"};
  EXPECT_EQ(recording.calls, expected);
  EXPECT_EQ(get(L"DragYoko"), L" 3a");
  EXPECT_EQ(get(L"TmrCount"), L"300");
}

TEST_F(OptionsSettings, WhatOkStoresTheNextLoadShows) {
  OptionsOkValues v;
  v.freeEnd = true;
  v.tmrCount = 5;
  v.dragOpt = 1;
  v.dropTileDown = L"4";
  SettingsStore store(*registry, key);
  writeOptionsOkValues(store, v);
  const OptionsLoadValues back = readOptionsLoadValues(store);
  EXPECT_EQ(back.freeEnd, 1);
  EXPECT_EQ(back.tmrCount, 5);
  EXPECT_EQ(back.dragOpt, 1);
  EXPECT_EQ(back.dropTileDown, L"4");
  EXPECT_EQ(back.dropTileAcross, L"2");
}

}  // namespace
}  // namespace rivano
