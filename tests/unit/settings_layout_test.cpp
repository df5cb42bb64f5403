#include "settings/settings_layout.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>

#include "common/run_error.h"
#include "settings/wall_list_saving.h"
#include "tests/unit/memory_registry.h"

namespace rivano {
namespace {

using testing::RecordingRegistry;

class SettingsLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    registry = testing::makeTestRegistry();
    key = testing::testProgramKey();
    registry->deleteKey(key);
  }
  void TearDown() override { registry->deleteKey(key); }

  void put(const std::wstring& section, const std::wstring& name, const std::wstring& data) {
    ASSERT_TRUE(registry->writeText(key + L"\\" + section, name, data));
  }
  std::wstring get(const std::wstring& section, const std::wstring& name) {
    return registry->readText(key + L"\\" + section, name, L"<missing>");
  }

  std::unique_ptr<SettingsRegistry> registry;
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
  EXPECT_EQ(v.viewer, 1);
  EXPECT_EQ(v.noWallpaper, false);
  EXPECT_EQ(v.picReSize, false);
  EXPECT_EQ(v.picReMag, 0);
  const StoredWallList wall = readWallList(store);
  EXPECT_FALSE(wall.keyExists);
  EXPECT_TRUE(wall.entries.empty());
  EXPECT_TRUE(readHistory(store).empty());
  EXPECT_EQ(store.int16(value::dragOpt), 2);
  EXPECT_EQ(store.int16(value::dropTileDown), 2);
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
  EXPECT_FALSE(v.viewer.has_value());
  EXPECT_FALSE(v.picReSize.has_value());
  EXPECT_EQ(v.picReMag, 0);  // later steps still ran
}

TEST_F(SettingsLayout, DropCountThatIsNoNumberIsATypeMismatch) {
  put(L"Option", L"DragTate", L"");
  put(L"Option", L"DragYoko", L"40000");
  SettingsStore store(*registry, key);
  try {
    store.int16(value::dropTileDown);
    FAIL() << "empty DragTate converted";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::typeMismatch);
  }
  try {
    store.int16(value::dropTileAcross);
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
  v.viewer = 0;
  writeMainExitValues(store, v, wall, history);

  std::vector<std::wstring> expected = {L"set WinPos\\SortKey", L"set WinPos\\SortOrder",
                                        L"set WinPos\\ListView", L"set WinPos\\ListWidth",
                                        L"set WinPos\\Left", L"set WinPos\\Top",
                                        L"set Option\\Viwer"};
  // The whole new list goes to a copy first, marked complete last; then
  // WallList is rewritten in its old order and the copy goes.
  const auto writeList = [&](const std::wstring& at) {
    for (int k = 0; k < 20; ++k) expected.push_back(L"set " + at + L"\\Rireki" + std::to_wstring(k));
    for (int n = 1; n <= 2; ++n)
      for (const wchar_t* stem : {L"List", L"LSelect", L"TileOpt", L"TileX", L"TileY"})
        expected.push_back(L"set " + at + L"\\" + std::wstring(stem) + std::to_wstring(n));
    expected.push_back(L"set " + at + L"\\Count");
  };
  expected.push_back(L"get WallListNew\\Complete");
  expected.push_back(L"delete WallListNew");
  expected.push_back(L"exists WallListNew");
  writeList(L"WallListNew");
  expected.push_back(L"set WallListNew\\Complete");
  expected.push_back(L"delete WallList");
  expected.push_back(L"exists WallList");
  writeList(L"WallList");
  expected.push_back(L"delete WallListNew");
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

TEST(ExitValuesAsLoaded, AWindowStartedMinimisedStoresNoPlace) {
  MainLoadValues loaded;
  loaded.freeIcon = 1;
  EXPECT_FALSE(exitValuesAsLoaded(loaded, {100, 50}, 15, 15).windowNormal);
  loaded.freeIcon = 0;
  EXPECT_TRUE(exitValuesAsLoaded(loaded, {100, 50}, 15, 15).windowNormal);
  // Only exactly 1 minimises, as the window reads it.
  loaded.freeIcon = -1;
  EXPECT_TRUE(exitValuesAsLoaded(loaded, {100, 50}, 15, 15).windowNormal);
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

// What the main load makes of the stored wall list and history.
struct Loaded {
  bool keyExists = false;
  std::vector<WallEntry> entries;
  std::vector<std::wstring> history;
  bool operator==(const Loaded&) const = default;
};

struct ListState {
  std::vector<WallEntry> entries;
  std::vector<std::wstring> history;
};

const std::wstring kCutKey = L"Software\\Velmorat\\RivanoCut";

Loaded load(SettingsRegistry& registry) {
  SettingsStore store(registry, kCutKey);
  const StoredWallList stored = readWallList(store);
  Loaded l{stored.keyExists, {}, readHistory(store)};
  for (std::size_t i = 0; i < stored.entries.size(); ++i) l.entries.push_back(stored.entries.entry(i));
  return l;
}

void exitWith(SettingsRegistry& registry, const ListState& state) {
  SettingsStore store(registry, kCutKey);
  WallList list;
  for (const WallEntry& e : state.entries) list.append(e);
  writeMainExitValues(store, {}, list, state.history);
}

// Saves `next` over a registry holding `previous`, stopped after every
// possible number of writes in turn, and hands each outcome to `check`.
template <typename Check>
void forEveryCut(const ListState* previous, const ListState& next, testing::CutOffRegistry::Mode mode,
                 Check check) {
  for (std::size_t writes = 0;; ++writes) {
    testing::MemoryRegistry registry;
    if (previous) exitWith(registry, *previous);
    testing::CutOffRegistry cut(registry, writes, mode);
    try {
      exitWith(cut, next);
    } catch (const testing::CutOffRegistry::Killed&) {
    }
    check(registry, writes);
    if (cut.ranThrough()) return;
    ASSERT_LT(writes, 1000u) << "the save never ends";
  }
}

const WallEntry kA{L"C:\\壁紙\\A", true, 2, 2, 2};
const WallEntry kB{L"D:\\写真.lzh", false, 0, 3, 4};
const WallEntry kC{L"E:\\pics", true, 1, 1, 1};
const WallEntry kD{L"F:\\more.zip", false, 2, 5, 6};

std::vector<std::wstring> historyOf(int from, int to) {
  std::vector<std::wstring> h;
  for (int i = from; i < to; ++i) h.push_back(L"C:\\p\\" + std::to_wstring(i) + L".jpg");
  return h;
}

struct Change {
  const char* what;
  std::optional<ListState> before;  // none: a first run, nothing stored
  ListState after;
};

std::vector<Change> changes() {
  return {
      {"two entries swapped, history moved on", ListState{{kA, kB}, historyOf(0, 20)},
       ListState{{kB, kA}, historyOf(1, 21)}},
      {"list shortened", ListState{{kA, kB, kC, kD}, historyOf(0, 3)}, ListState{{kD}, historyOf(0, 4)}},
      {"list grown", ListState{{kC}, {}}, ListState{{kA, kB, kC, kD}, historyOf(0, 1)}},
      {"first entry removed", ListState{{kA, kB, kC}, historyOf(0, 2)}, ListState{{kB, kC}, historyOf(0, 2)}},
      {"list emptied, history kept", ListState{{kA, kB}, historyOf(0, 2)}, ListState{{}, historyOf(0, 3)}},
      {"everything emptied", ListState{{kA, kB}, historyOf(0, 2)}, ListState{{}, {}}},
      {"first run", std::nullopt, ListState{{kA}, historyOf(0, 1)}},
      {"from an empty list", ListState{{}, historyOf(0, 5)}, ListState{{kB, kA}, historyOf(3, 6)}},
      {"history with a gap", ListState{{kA}, {L"a.bmp", L"", L"c.bmp"}}, ListState{{kA}, historyOf(0, 2)}},
  };
}

Loaded loadAfter(const std::optional<ListState>& state) {
  testing::MemoryRegistry registry;
  if (state) exitWith(registry, *state);
  return load(registry);
}

testing::MemoryRegistry::Contents contentsAfter(const std::optional<ListState>& before, const ListState& after) {
  testing::MemoryRegistry registry;
  if (before) exitWith(registry, *before);
  exitWith(registry, after);
  return registry.contents();
}

TEST(WallListSave, AKillAtAnyMomentLeavesTheOldListOrTheNewOneWhole) {
  for (const Change& change : changes()) {
    SCOPED_TRACE(change.what);
    const Loaded before = loadAfter(change.before);
    const Loaded after = loadAfter(change.after);
    forEveryCut(change.before ? &*change.before : nullptr, change.after, testing::CutOffRegistry::Mode::kill,
                [&](testing::MemoryRegistry& registry, std::size_t writes) {
                  const Loaded got = load(registry);
                  EXPECT_TRUE(got == before || got == after) << "killed after " << writes << " writes";
                });
  }
}

TEST(WallListSave, RefusedWritesLeaveTheOldListOrTheNewOneWhole) {
  for (const Change& change : changes()) {
    SCOPED_TRACE(change.what);
    const Loaded before = loadAfter(change.before);
    const Loaded after = loadAfter(change.after);
    forEveryCut(change.before ? &*change.before : nullptr, change.after, testing::CutOffRegistry::Mode::refuse,
                [&](testing::MemoryRegistry& registry, std::size_t writes) {
                  const Loaded got = load(registry);
                  EXPECT_TRUE(got == before || got == after) << "refused from write " << writes;
                });
  }
}

TEST(WallListSave, TheNextExitAfterAKillStillSwitchesWholeAndLeavesTheUsualValues) {
  const ListState third{{kC, kA}, historyOf(2, 22)};
  for (const Change& change : changes()) {
    SCOPED_TRACE(change.what);
    const Loaded later = loadAfter(third);
    const auto clean = contentsAfter(change.before, third);
    forEveryCut(change.before ? &*change.before : nullptr, change.after, testing::CutOffRegistry::Mode::kill,
                [&](testing::MemoryRegistry& killed, std::size_t first) {
                  const Loaded survived = load(killed);
                  // The next run saves again, and is killed in its turn.
                  for (std::size_t writes = 0;; ++writes) {
                    testing::MemoryRegistry registry = killed;
                    testing::CutOffRegistry cut(registry, writes, testing::CutOffRegistry::Mode::kill);
                    try {
                      exitWith(cut, third);
                    } catch (const testing::CutOffRegistry::Killed&) {
                    }
                    const Loaded got = load(registry);
                    EXPECT_TRUE(got == survived || got == later)
                        << "killed after " << first << ", then after " << writes << " writes";
                    if (cut.ranThrough()) {
                      // Whatever the first save left, the finished one
                      // leaves what a clean save leaves.
                      EXPECT_EQ(registry.contents(), clean) << "killed after " << first;
                      break;
                    }
                  }
                });
  }
}

// A registry on which one key will not be deleted while `stubborn`.
class StubbornKey final : public testing::MemoryRegistry {
 public:
  explicit StubbornKey(std::wstring key) : key_(std::move(key)) {}
  bool deleteKey(const std::wstring& key) override {
    return !(stubborn && key == key_) && testing::MemoryRegistry::deleteKey(key);
  }
  bool stubborn = true;

 private:
  std::wstring key_;
};

TEST(WallListSave, AWallListThatWillNotGoLeavesTheCopyStandingUntilItCanBeReplaced) {
  StubbornKey registry(kCutKey + L"\\WallList");
  exitWith(registry, {{kA, kB}, historyOf(0, 5)});
  // The values of the old list would mix into a rewrite over them.
  const ListState next{{kB}, historyOf(7, 9)};
  exitWith(registry, next);
  EXPECT_EQ(load(registry), loadAfter(next));
  registry.stubborn = false;
  const ListState third{{kC, kD}, historyOf(9, 10)};
  exitWith(registry, third);
  EXPECT_EQ(load(registry), loadAfter(third));
  EXPECT_FALSE(registry.contents().contains(L"software\\velmorat\\rivanocut\\walllistnew"));
}

TEST(WallListSave, AFinishedSaveLeavesExactlyTheWallListValuesAndNoCopy) {
  testing::MemoryRegistry registry;
  exitWith(registry, {{kA, kB, kC}, historyOf(0, 3)});
  exitWith(registry, {{kB}, historyOf(0, 2)});
  const auto& keys = registry.contents();
  EXPECT_FALSE(keys.contains(L"software\\velmorat\\rivanocut\\walllistnew"));
  std::set<std::wstring> names;
  for (const auto& [name, data] : keys.at(L"software\\velmorat\\rivanocut\\walllist")) names.insert(name);
  EXPECT_EQ(names, (std::set<std::wstring>{L"count", L"list1", L"lselect1", L"tileopt1", L"tilex1", L"tiley1",
                                           L"rireki0", L"rireki1"}));
}

// A list as an exit of the five-array days stored it, with the texts it
// wrote ("True"/"False", tiling numbers), loaded and saved again unchanged:
// every value comes back to the byte, and an edit changes only its own.
TEST(WallListSave, ALoadedListSavesBackToTheByteAndEditsMoveOnlyTheirEntries) {
  testing::MemoryRegistry registry;
  const std::wstring list = kCutKey + L"\\WallList";
  const auto put = [&](const std::wstring& name, const std::wstring& data) {
    ASSERT_TRUE(registry.writeText(list, name, data));
  };
  put(L"Rireki0", L"C:\\p\\0.jpg");
  put(L"Rireki1", L"D:\\写真.lzh\\s\\1.bmp");
  const std::vector<std::vector<std::wstring>> rows = {{L"C:\\壁紙\\A", L"True", L"2", L"2", L"2"},
                                                       {L"D:\\写真.lzh", L"False", L"0", L"3", L"4"},
                                                       {L"E:\\pics", L"True", L"1", L"-1", L"32767"}};
  const wchar_t* const stems[] = {L"List", L"LSelect", L"TileOpt", L"TileX", L"TileY"};
  for (std::size_t n = 0; n < rows.size(); ++n)
    for (std::size_t f = 0; f < 5; ++f) put(stems[f] + std::to_wstring(n + 1), rows[n][f]);
  put(L"Count", L"3");
  const testing::MemoryRegistry::Contents stored = registry.contents();

  SettingsStore store(registry, kCutKey);
  WallList entries = readWallList(store).entries;
  const std::vector<std::wstring> history = readHistory(store);
  saveWallList(store, entries, history);
  EXPECT_EQ(registry.contents(), stored);

  entries.swapEntries(0, 2);
  entries.remove(1);
  saveWallList(store, entries, history);
  const auto get = [&](const std::wstring& name) {
    return registry.readText(list, name, L"<missing>");
  };
  const std::vector<std::wstring> first = {L"E:\\pics", L"True", L"1", L"-1", L"32767"};
  const std::vector<std::wstring> second = {L"C:\\壁紙\\A", L"True", L"2", L"2", L"2"};
  for (std::size_t f = 0; f < 5; ++f) {
    EXPECT_EQ(get(stems[f] + std::wstring(L"1")), first[f]) << f;
    EXPECT_EQ(get(stems[f] + std::wstring(L"2")), second[f]) << f;
    EXPECT_EQ(get(stems[f] + std::wstring(L"3")), L"<missing>") << f;
  }
  EXPECT_EQ(get(L"Count"), L"2");
  EXPECT_EQ(get(L"Rireki1"), L"D:\\写真.lzh\\s\\1.bmp");
}

TEST(WallListEntries, SwapAndRemoveMoveWholeEntries) {
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
  EXPECT_EQ(list.entry(0), (WallEntry{L"c", true, 2, 3, 3}));
  EXPECT_THROW(list.swapEntries(0, 2), std::out_of_range);
  EXPECT_THROW(list.remove(5), std::out_of_range);
}

}  // namespace
}  // namespace rivano
