// The program's string table as the code names it: the options dialog's
// tab captions and tips lie in their ranges in the tabs' order, with the
// texts the dialog has always shown, and the room left for more tabs holds
// nothing another text could be mistaken for.
#include <gtest/gtest.h>

#include <string>

#include "resources/resource_ids.h"
#include "tests/wine/test_support.h"
#include "ui/options/options_ids.h"

namespace rivano {
namespace {

std::wstring res(int id) { return testing::programString(testing::binDir() + L"string_table_test.exe", id); }

TEST(StringTable, OptionsTabCaptionsAndTipsKeepTheirTextsInTheTabsOrder) {
  const std::wstring captions[] = {L"更新履歴", L"起動オプション", L"ショートカット登録", L"壁紙サイズ合わせ",
                                   L"ドラッグドロップ設定", L"拡張設定"};
  const std::wstring tips[] = {
      L"壁紙履歴を閲覧・管理します（＾＾）",
      L"起動時の動作設定です（＾＾ゞ",
      L"スタ－トアップやディスクトップにアイコンを登録します",
      L"壁紙ピクチャを表示する時のサイズ調整です",
      L"Rivano ショートカットアイコンにピクチャをドロップした時のタイル指定です（＾＾）！",
      L"壁紙の選び方と貼り方をもう少し細かく決めます（＾＾）"};
  static_assert(std::size(captions) == options_ids::kTabCount);
  for (int i = 0; i < options_ids::kTabCount; ++i) {
    EXPECT_EQ(res(IDS_OPTIONS_TAB_FIRST + i), captions[i]) << "tab " << i;
    EXPECT_EQ(res(IDS_OPTIONS_TAB_TIP_FIRST + i), tips[i]) << "tab " << i;
  }
  EXPECT_EQ(res(IDS_EXTRAS_TAB), captions[5]);
  EXPECT_EQ(res(IDS_EXTRAS_TAB_TIP), tips[5]);
}

TEST(StringTable, TheRoomForMoreTabsIsFreeAndTheRangesDoNotOverlap) {
  EXPECT_GE(IDS_OPTIONS_TAB_TIP_FIRST - IDS_OPTIONS_TAB_FIRST, IDS_OPTIONS_TAB_ROOM);
  for (int i = options_ids::kTabCount; i < IDS_OPTIONS_TAB_ROOM; ++i) {
    EXPECT_EQ(res(IDS_OPTIONS_TAB_FIRST + i), L"") << "caption " << i;
    EXPECT_EQ(res(IDS_OPTIONS_TAB_TIP_FIRST + i), L"") << "tip " << i;
  }
}

}  // namespace
}  // namespace rivano
