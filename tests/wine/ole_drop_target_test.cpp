// The drop target in this process: drops are made by calling the target as
// the system's drag loop does, and the deferred handling runs from this
// thread's message loop.
#include <windows.h>
// needs windows.h first
#include <ole2.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ole_drop_target.h"
#include "tests/wine/file_list_data.h"
#include "tests/wine/test_support.h"

namespace rivano {
namespace {

using testing::FileListData;
constexpr DWORD kPatience = 5000;

// Lets this thread's messages run until the condition holds.
bool pumpUntil(const std::function<bool()>& condition) {
  return testing::waitUntil([&] {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    return condition();
  }, kPatience);
}

class DropTarget : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    for (HWND& w : windows)
      w = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleW(nullptr),
                          nullptr);
  }
  void TearDown() override {
    for (HWND w : windows) DestroyWindow(w);
    OleUninitialize();
  }
  // A whole drop as the drag loop makes it; the effect the target answered.
  static DWORD drop(win::FileDropTarget& target, IDataObject& data) {
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target.DragEnter(&data, MK_LBUTTON, {5, 5}, &effect);
    if (effect == DROPEFFECT_NONE) {
      target.DragLeave();
      return effect;
    }
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target.Drop(&data, 0, {5, 5}, &effect);
    return effect;
  }
  HWND windows[3] = {};
  FileListData pictures{{L"C:\\a.bmp", L"C:\\b.bmp"}};
  FileListData text{{}};
};

TEST_F(DropTarget, AHandlerThatThrowsLeavesTheTargetReadyForTheNextDrop) {
  std::vector<std::vector<std::wstring>> handled;
  int calls = 0;
  win::FileDropTarget target(windows[0], [&](std::vector<std::wstring> files) {
    ++calls;
    if (calls == 1) throw std::runtime_error("a defect in a drop handler");
    handled.push_back(std::move(files));
  });
  ASSERT_TRUE(target.registered());
  EXPECT_EQ(drop(target, pictures), static_cast<DWORD>(DROPEFFECT_COPY));
  ASSERT_TRUE(pumpUntil([&] { return calls == 1; }));
  EXPECT_EQ(drop(target, pictures), static_cast<DWORD>(DROPEFFECT_COPY));
  ASSERT_TRUE(pumpUntil([&] { return calls == 2; })) << "the next drop waits for a handler that has ended";
  ASSERT_EQ(handled.size(), 1u);
  EXPECT_EQ(handled[0], (std::vector<std::wstring>{L"C:\\a.bmp", L"C:\\b.bmp"}));
}

TEST_F(DropTarget, ADropWaitsForItsOwnOrItsPartnersHandlerButNotForAnothers) {
  std::vector<std::string> order;
  bool otherRan = false;
  int firstCalls = 0;
  win::FileDropTarget other(windows[1], [&](std::vector<std::wstring>) {
    otherRan = true;
    order.push_back("other");
  });
  win::FileDropTarget* self = nullptr;
  win::FileDropTarget* partner = nullptr;
  win::FileDropTarget first(windows[0], [&](std::vector<std::wstring>) {
    if (++firstCalls > 1) {
      order.push_back("first again");
      return;
    }
    order.push_back("first");
    // A drop on each target while this one is handled, as while the
    // shell's question is open.
    drop(*self, pictures);
    drop(*partner, pictures);
    drop(other, pictures);
    pumpUntil([&] { return otherRan; });
    // Long enough for a waiting drop to have been retried more than once.
    const DWORD until = GetTickCount() + 600;
    pumpUntil([&] { return static_cast<LONG>(until - GetTickCount()) <= 0; });
    order.push_back("first ends");
  });
  win::FileDropTarget takesTurns(windows[2], [&](std::vector<std::wstring>) { order.push_back("partner"); });
  takesTurns.takeTurnsWith(first);
  self = &first;
  partner = &takesTurns;
  drop(first, pictures);
  ASSERT_TRUE(pumpUntil([&] { return order.size() == 5; }));
  EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + 3),
            (std::vector<std::string>{"first", "other", "first ends"}));
  // The two waiting drops run afterwards, in whichever order their retries come.
  EXPECT_EQ(std::count(order.begin() + 3, order.end(), "first again"), 1);
  EXPECT_EQ(std::count(order.begin() + 3, order.end(), "partner"), 1);
}

TEST_F(DropTarget, ARefusingTargetTakesAnyDropToSayNoAndAnswersNone) {
  bool refusing = true;
  std::vector<std::vector<std::wstring>> handled;
  win::FileDropTarget target(
      windows[0], [&](std::vector<std::wstring> files) { handled.push_back(std::move(files)); },
      [&] { return refusing; });
  EXPECT_EQ(drop(target, pictures), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(drop(target, text), static_cast<DWORD>(DROPEFFECT_NONE));
  ASSERT_TRUE(pumpUntil([&] { return handled.size() == 2; })) << "a refused drop was not handed on";
  EXPECT_TRUE(handled[1].empty());
  // Not refusing: a file list is a copy, anything else is turned away.
  refusing = false;
  EXPECT_EQ(drop(target, text), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(drop(target, pictures), static_cast<DWORD>(DROPEFFECT_COPY));
  ASSERT_TRUE(pumpUntil([&] { return handled.size() == 3; }));
  EXPECT_EQ(handled[2].size(), 2u);
}

}  // namespace
}  // namespace rivano
