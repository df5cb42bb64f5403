#include "settings/settings_layout.h"

#include <gtest/gtest.h>

#include "settings/run_error.h"
#include "tests/unit/memory_registry.h"

namespace rivano {
namespace {

using testing::RecordingRegistry;

class SettingsLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    registry = testing::makeTestRegistry();
    key = testing::testProgramKey();
    registry->myRegDeleteKey(key);
  }
  void TearDown() override { registry->myRegDeleteKey(key); }

  void put(const std::wstring& section, const std::wstring& name, const std::wstring& data) {
    ASSERT_TRUE(registry->myRegSetString(RegRoot::currentUser, key + L"\\" + section, name, data));
  }
  std::wstring get(const std::wstring& section, const std::wstring& name) {
    return registry->myRegGetString(RegRoot::currentUser, key + L"\\" + section, name, L"<missing>");
  }

  std::unique_ptr<Registry> registry;
  std::wstring key;
};

TEST_F(SettingsLayout, FirstRunReadsEveryDefault) {
  SettingsStore store(*registry, key);
  const MainLoadValues v = readMainLoadValues(store, {});
  EXPECT_EQ(v.sortKey, -1);
  EXPECT_EQ(v.sortOrder, 0);
  EXPECT_EQ(v.listView, 0);
  EXPECT_EQ(v.listWidth, false);
  EXPECT_FALSE(v.winPosExists);
  EXPECT_FALSE(v.left.has_value());
  EXPECT_EQ(v.freeIcon, 0);
  EXPECT_EQ(v.freeEnd, 0);
  EXPECT_FALSE(v.tmrCount.has_value());
  EXPECT_EQ(v.viwer, 1);
  EXPECT_EQ(v.noWallpaper, false);
  EXPECT_EQ(v.picReSize, false);
  EXPECT_EQ(v.picReMag, 0);
  const StoredWallList wall = readWallList(store);
  EXPECT_FALSE(wall.keyExists);
  EXPECT_TRUE(wall.entries.empty());
  EXPECT_TRUE(readHistory(store).empty());
  EXPECT_EQ(store.int16(value::dragOpt), 2);
  EXPECT_EQ(store.int16(value::dragTate), 2);
}

TEST_F(SettingsLayout, MainLoadReadsInItsOrderAndOnlyWhatItNeeds) {
  put(L"WinPos", L"Left", L"300");
  put(L"Option", L"FreeEnd", L"1");
  put(L"Option", L"TmrCount", L"30");
  RecordingRegistry recording(*registry, key);
  SettingsStore store(recording, key);
  const MainLoadValues v = readMainLoadValues(store, {});
  const std::vector<std::wstring> expected = {
      L"get WinPos\\SortKey",     L"get WinPos\\SortOrder",  L"get WinPos\\ListView",
      L"get WinPos\\ListWidth",   L"exists WinPos",          L"get WinPos\\Left",
      L"get WinPos\\Top",         L"get Option\\FreeIcon",   L"get Option\\FreeEnd",
      L"get Option\\TmrCount",    L"get Option\\ActStop",    L"get Option\\Viwer",
      L"get Option\\NoWallpaper", L"get Option\\PicReSize",  L"get Option\\PicReMag"};
  EXPECT_EQ(recording.calls, expected);
  EXPECT_EQ(v.left, 300);
  EXPECT_EQ(v.top, 0);  // missing: the current position
  EXPECT_EQ(v.tmrCount, 30);
  EXPECT_EQ(v.actStop, 0);
}

TEST_F(SettingsLayout, BadStoredValuesAreSkippedNotFatal) {
  put(L"WinPos", L"SortKey", L"abc");
  put(L"WinPos", L"ListView", L"99999");
  put(L"Option", L"Viwer", L"");
  put(L"Option", L"PicReSize", L"maybe");
  SettingsStore store(*registry, key);
  const MainLoadValues v = readMainLoadValues(store, {});
  EXPECT_FALSE(v.sortKey.has_value());
  EXPECT_FALSE(v.listView.has_value());
  EXPECT_FALSE(v.viwer.has_value());
  EXPECT_FALSE(v.picReSize.has_value());
  EXPECT_EQ(v.picReMag, 0);  // later steps still ran
}

TEST_F(SettingsLayout, DropCountThatIsNoNumberIsATypeMismatch) {
  put(L"Option", L"DragTate", L"");
  put(L"Option", L"DragYoko", L"40000");
  SettingsStore store(*registry, key);
  try {
    store.int16(value::dragTate);
    FAIL() << "empty DragTate converted";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::typeMismatch);
  }
  try {
    store.int16(value::dragYoko);
    FAIL() << "DragYoko 40000 converted";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::overflow);
  }
}

TEST_F(SettingsLayout, WallListGapsEmptiesAndDefaults) {
  put(L"WallList", L"Count", L"4");
  put(L"WallList", L"List1", L"C:\\壁紙");
  put(L"WallList", L"LSelect1", L"0");
  put(L"WallList", L"TileX1", L"");   // present but empty reads as 1
  put(L"WallList", L"List2", L"D:\\a.zip");
  put(L"WallList", L"LSelect2", L"");  // empty reads as checked
  put(L"WallList", L"TileOpt2", L"");  // empty reads as 2
  put(L"WallList", L"TileY2", L"x");   // no number: the default
  put(L"WallList", L"List4", L"E:\\after the gap");
  SettingsStore store(*registry, key);
  const StoredWallList wall = readWallList(store);
  ASSERT_TRUE(wall.keyExists);
  ASSERT_EQ(wall.entries.size(), 2u);  // List3 is missing: reading stops there
  EXPECT_EQ(wall.entries.entry(0), (WallEntry{L"C:\\壁紙", false, 2, 1, 2}));
  EXPECT_EQ(wall.entries.entry(1), (WallEntry{L"D:\\a.zip", true, 2, 2, 2}));
}

TEST_F(SettingsLayout, WallListCountThatIsNoNumberLoadsNothing) {
  put(L"WallList", L"Count", L"many");
  put(L"WallList", L"List1", L"C:\\x");
  SettingsStore store(*registry, key);
  const StoredWallList wall = readWallList(store);
  EXPECT_TRUE(wall.keyExists);
  EXPECT_TRUE(wall.entries.empty());
}

TEST_F(SettingsLayout, ExitWritesInOrderAndTrimsHistoryToTheNewest20) {
  put(L"WallList", L"List9", L"stale entry from an older run");
  WallList wall;
  wall.append({L"C:\\Windows", true, 2, 2, 2});
  wall.append({L"D:\\写真.lzh", false, 0, 3, 4});
  std::vector<std::wstring> history;
  for (int i = 0; i < 25; ++i) history.push_back(L"C:\\p\\" + std::to_wstring(i) + L".jpg");
  RecordingRegistry recording(*registry, key);
  SettingsStore store(recording, key);
  MainExitValues v;
  v.sortKey = 2;
  v.sortOrder = 1;
  v.listView = 1;
  v.listWidth = true;
  v.left = 120;
  v.top = 240;
  v.viwer = 0;
  writeMainExitValues(store, v, wall, history);

  std::vector<std::wstring> expected = {L"set WinPos\\SortKey", L"set WinPos\\SortOrder",
                                        L"set WinPos\\ListView", L"set WinPos\\ListWidth",
                                        L"set WinPos\\Left", L"set WinPos\\Top",
                                        L"set Option\\Viwer", L"delete WallList"};
  for (int k = 0; k < 20; ++k) expected.push_back(L"set WallList\\Rireki" + std::to_wstring(k));
  for (int n = 1; n <= 2; ++n)
    for (const wchar_t* stem : {L"List", L"LSelect", L"TileOpt", L"TileX", L"TileY"})
      expected.push_back(L"set WallList\\" + std::wstring(stem) + std::to_wstring(n));
  expected.push_back(L"set WallList\\Count");
  EXPECT_EQ(recording.calls, expected);

  EXPECT_EQ(get(L"WinPos", L"ListWidth"), L"True");
  EXPECT_EQ(get(L"WinPos", L"SortKey"), L"2");
  EXPECT_EQ(get(L"Option", L"Viwer"), L"0");
  EXPECT_EQ(get(L"WallList", L"Rireki0"), L"C:\\p\\5.jpg");  // the sixth oldest
  EXPECT_EQ(get(L"WallList", L"Rireki19"), L"C:\\p\\24.jpg");
  EXPECT_EQ(get(L"WallList", L"Rireki20"), L"<missing>");
  EXPECT_EQ(get(L"WallList", L"List9"), L"<missing>");
  EXPECT_EQ(get(L"WallList", L"LSelect2"), L"False");
  EXPECT_EQ(get(L"WallList", L"TileY2"), L"4");
  EXPECT_EQ(get(L"WallList", L"Count"), L"2");

  const StoredWallList back = readWallList(store);
  ASSERT_EQ(back.entries.size(), 2u);
  EXPECT_EQ(back.entries.entry(1), wall.entry(1));
  EXPECT_EQ(readHistory(store).front(), L"C:\\p\\5.jpg");
}

TEST_F(SettingsLayout, MinimisedExitKeepsThePreviousPosition) {
  put(L"WinPos", L"Left", L"1000");
  SettingsStore store(*registry, key);
  MainExitValues v;
  v.windowNormal = false;
  v.left = 5;
  writeMainExitValues(store, v, {}, {});
  EXPECT_EQ(get(L"WinPos", L"Left"), L"1000");
}

TEST_F(SettingsLayout, EmptyListWithHistoryLeavesAKeyWithoutCount) {
  SettingsStore store(*registry, key);
  writeMainExitValues(store, {}, {}, {L"C:\\a.bmp"});
  EXPECT_EQ(get(L"WallList", L"Count"), L"<missing>");
  const StoredWallList back = readWallList(store);
  EXPECT_TRUE(back.keyExists);
  EXPECT_TRUE(back.entries.empty());
}

TEST_F(SettingsLayout, EmptyListAndHistoryLeaveNoKeySoTheNextRunStartsAfresh) {
  put(L"WallList", L"Count", L"1");
  SettingsStore store(*registry, key);
  writeMainExitValues(store, {}, {}, {});
  EXPECT_FALSE(readWallList(store).keyExists);
}

TEST_F(SettingsLayout, EmptyHistoryEntryLeavesAGapThatEndsTheList) {
  SettingsStore store(*registry, key);
  writeMainExitValues(store, {}, {}, {L"a.bmp", L"", L"c.bmp"});
  EXPECT_EQ(get(L"WallList", L"Rireki2"), L"c.bmp");
  EXPECT_EQ(readHistory(store), (std::vector<std::wstring>{L"a.bmp"}));
}

TEST(WallListArrays, OperationsKeepTheFiveArraysInStep) {
  WallList list;
  list.append({L"a", true, 0, 1, 1});
  list.append({L"b", false, 1, 2, 2});
  list.append({L"c", true, 2, 3, 3});
  list.swapEntries(0, 2);
  EXPECT_EQ(list.entry(0), (WallEntry{L"c", true, 2, 3, 3}));
  EXPECT_EQ(list.entry(2), (WallEntry{L"a", true, 0, 1, 1}));
  list.remove(1);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list.entry(1), (WallEntry{L"a", true, 0, 1, 1}));
  EXPECT_EQ(list.gLSelect.size(), 2u);
  EXPECT_EQ(list.gTileY.size(), 2u);
  EXPECT_THROW(list.remove(5), std::out_of_range);
}

}  // namespace
}  // namespace rivano
