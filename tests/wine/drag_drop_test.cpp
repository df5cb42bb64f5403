// Drag and drop between the real program and another program, which this
// test plays: it drops file lists on the program's two lists, and takes the
// file dragged out of the picture list.
//
// How a drop is made: this process builds a data object holding the
// shell's file list (CF_HDROP) and runs the system's own drag loop
// (DoDragDrop) while its drop source moves the cursor over the program's
// list and then lets go. Wine's drag loop finds the window under the
// cursor, fetches the drop target the program registered for it (across
// the process boundary, as from Explorer) and calls DragEnter, DragOver and
// Drop on it with our data object, which the program reads back from this
// process. Only the hand is played: where a user's release of the button
// ends the drag, our source's QueryContinueDrag answers "drop", which is
// the very call by which every drop source turns that release into a drop.
#include <windows.h>
// needs windows.h first
#include <ole2.h>
#include <shlobj.h>

#include <cstring>

#include "tests/unit/png_writer.h"
#include "tests/wine/drop_window.h"
#include "tests/wine/file_list_data.h"
#include "tests/wine/main_window_fixture.h"
#include "tests/wine/window_drawing.h"

namespace rivano {
namespace {

namespace ids = main_ids;
using testing::controlText;
using testing::narrow;
using testing::DropWindow;
using testing::FileListData;
using testing::mouse;

// The hand that carries the files: over to the target point in steps,
// a rest there so the target sees the drag arrive, then the release.
class Hand final : public IDropSource {
 public:
  Hand(POINT from, POINT to) : from_(from), to_(to) { SetCursorPos(from.x, from.y); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropSource)) {
      *out = static_cast<IDropSource*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
    if (escape) return DRAGDROP_S_CANCEL;
    ++calls_;
    if (calls_ <= kSteps) {
      SetCursorPos(from_.x + (to_.x - from_.x) * calls_ / kSteps, from_.y + (to_.y - from_.y) * calls_ / kSteps);
      return S_OK;
    }
    return calls_ > kSteps + kRest ? DRAGDROP_S_DROP : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  static constexpr int kSteps = 10;
  static constexpr int kRest = 8;
  POINT from_, to_;
  int calls_ = 0;
};


// The pace of a hand, kept for the drag out of the picture list: its
// steps are not yet tied to what the list and the drag have taken.
void pauseFor(DWORD milliseconds) {
  const DWORD until = GetTickCount() + milliseconds;
  waitUntil([&] { return static_cast<LONG>(until - GetTickCount()) <= 0; }, milliseconds);
}

void key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof in);
}

POINT centreOf(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}


class DragDrop : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    ole = true;
    elsewhere = folder.path() + L"elsewhere";
    CreateDirectoryW(elsewhere.c_str(), nullptr);
  }
  void TearDown() override {
    if (ole) OleUninitialize();
    MainWindow::TearDown();
  }

  // Drops the files on a control of the program as a user's hand does.
  // True when the program accepted them as a copy.
  bool dropOn(HWND window, HWND control, const std::vector<std::wstring>& files) {
    FileListData data(files);
    return dropEffect(window, control, data) == DROPEFFECT_COPY;
  }
  // What the program answered the drop; -1 when no drop was made.
  long dropEffect(HWND window, HWND control, IDataObject& data) {
    SetForegroundWindow(window);
    waitUntil([&] { return GetForegroundWindow() == window; }, kPatience);
    Hand hand({5, 5}, centreOf(control));
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT result = DoDragDrop(&data, &hand, DROPEFFECT_COPY, &effect);
    return result == DRAGDROP_S_DROP ? static_cast<long>(effect) : -1;
  }

  // Drags a row of the picture list out to the window with the mouse, as a
  // hand does: press on the row, move in steps, let go over the window.
  void dragRowTo(HWND window, int row, DropWindow& target, std::initializer_list<WORD> releasedOnTheWay = {}) {
    target.dropped.clear();
    SetForegroundWindow(window);
    pauseFor(200);
    RemoteListView list(GetDlgItem(window, ids::lvwFile));
    const POINT from = list.itemCentre(row);
    SetCursorPos(from.x, from.y);
    pauseFor(100);
    mouse(MOUSEEVENTF_LEFTDOWN);
    pauseFor(300);
    // First along the row, out of the system's drag rectangle while still
    // on the item, as a hand starts a drag.
    for (int dx : {2, 6, 12, 24}) {
      SetCursorPos(from.x + dx, from.y);
      mouse(MOUSEEVENTF_MOVE);
      pauseFor(80);
    }
    for (int step = 1; step <= 10; ++step) {
      SetCursorPos(from.x + (80 - from.x) * step / 10, from.y + (80 - from.y) * step / 10);
      mouse(MOUSEEVENTF_MOVE);
      pauseFor(80);
      if (step == 5)
        for (WORD k : releasedOnTheWay) key(k, true);
    }
    mouse(MOUSEEVENTF_LEFTUP);
    const DWORD until = GetTickCount() + 10000;
    while (target.dropped.empty() && static_cast<LONG>(until - GetTickCount()) > 0) pauseFor(50);
    pauseFor(300);
  }

  std::wstring source(const std::wstring& name) const { return elsewhere + L"\\" + name; }
  HWND control(HWND window, int id) const { return GetDlgItem(window, id); }
  // The program's preview, read from the screen while nothing covers it
  // (CLR_INVALID, no colour, while something does).
  COLORREF previewColour(HWND window) const {
    return testing::uncoveredCentre(control(window, ids::picMain)).value_or(CLR_INVALID);
  }

  bool ole = false;
  std::wstring elsewhere;  // a folder the dropped pictures come from
};

TEST_F(DragDrop, FoldersAndArchivesDroppedOnTheFolderListAreRegisteredAndTheLastIsSelected) {
  registerSources({{pictures, true}});
  writePicture(L"x.bmp", solid(8, 8, 0x808080), elsewhere);
  // A name the ANSI code page (932) cannot hold is registered as it is.
  const std::wstring hangul = folder.path() + L"\uD55C\uAE00";
  ASSERT_TRUE(CreateDirectoryW(hangul.c_str(), nullptr));
  writePicture(L"y.bmp", solid(8, 8, 0x404040), hangul);
  const std::wstring zip = testing::pictureDir() + L"pics.zip";
  const std::wstring jpeg = testing::pictureDir() + L"green_320x240.jpg";
  testing::writeFileBytes(source(L"notes.txt"), {'h', 'i'});
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView folders(control(window, ids::lvwMain));
  RemoteListView files(control(window, ids::lvwFile));

  // No entry selected: a picture dropped on the picture list goes nowhere.
  ASSERT_TRUE(dropOn(window, control(window, ids::lvwFile), {source(L"x.bmp")}));
  ASSERT_TRUE(testing::waitForPostedMessages(control(window, ids::lvwFile), kPatience));
  EXPECT_FALSE(program.waitForMessageBox(0).has_value());
  EXPECT_EQ(GetFileAttributesW((pictures + L"\\x.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(files.count(), 0);

  // Only files that are no source: nothing registered, nothing selected.
  ASSERT_TRUE(dropOn(window, control(window, ids::lvwMain), {source(L"notes.txt"), jpeg}));
  ASSERT_TRUE(testing::waitForPostedMessages(control(window, ids::lvwFile), kPatience));
  EXPECT_EQ(folders.count(), 1);
  EXPECT_EQ(folders.selected(), -1);

  ASSERT_TRUE(dropOn(window, control(window, ids::lvwMain), {elsewhere, zip, jpeg}));
  ASSERT_TRUE(waitUntil([&] { return folders.count() == 3 && folders.selected() == 2; }, kPatience))
      << "count " << folders.count() << ", selected " << folders.selected();
  EXPECT_EQ(folders.text(1), elsewhere);
  EXPECT_EQ(folders.text(1, 1), L"DIR");
  EXPECT_EQ(folders.text(2), zip);
  EXPECT_EQ(folders.text(2, 1), L"ZIP");
  EXPECT_TRUE(folders.checked(1) && folders.checked(2));
  // Selected as a click selects: the archive's picture is listed.
  ASSERT_TRUE(waitUntil([&] { return files.count() == 1; }, kPatience));
  EXPECT_EQ(files.text(0), L"photos\\m.bmp");
  EXPECT_EQ(controlText(control(window, ids::txtDown)), L"2");

  ASSERT_TRUE(dropOn(window, control(window, ids::lvwMain), {hangul}));
  ASSERT_TRUE(waitUntil([&] { return folders.count() == 4 && folders.selected() == 3; }, kPatience));
  EXPECT_EQ(folders.text(3), hangul);
  ASSERT_TRUE(waitUntil([&] { return files.count() == 1 && files.text(0) == L"y.bmp"; }, kPatience));
  close(program, window);
  // Kept with the list when the window closes.
  EXPECT_EQ(get(kWallList, L"Count"), L"4");
  EXPECT_EQ(get(kWallList, L"List1"), pictures);
  EXPECT_EQ(get(kWallList, L"List2"), elsewhere);
  EXPECT_EQ(get(kWallList, L"List3"), zip);
  EXPECT_EQ(get(kWallList, L"List4"), hangul);
}

TEST_F(DragDrop, PicturesDroppedOnThePictureListAreCopiedListedSelectedAndPreviewed) {
  registerSources({{pictures, true}});
  writePicture(L"d.bmp", solid(40, 30, 0x3366CC), elsewhere);
  writePicture(L"e.bmp", solid(40, 30, 0xCC6633), elsewhere);
  const std::wstring hangul = L"\uD55C.bmp";  // outside the ANSI code page (932)
  writePicture(hangul, solid(40, 30, 0x33CC66), elsewhere);
  testing::writeFileBytes(source(L"readme.txt"), {'n', 'o'});
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView files(control(window, ids::lvwFile));
  ASSERT_TRUE(waitUntil([&] { return files.count() == 3 && files.selected() >= 0; }, kPatience));

  ASSERT_TRUE(dropOn(window, control(window, ids::lvwFile), {source(L"d.bmp"), source(L"readme.txt"),
                                                             source(L"e.bmp")}));
  ASSERT_TRUE(waitUntil([&] { return files.count() == 5 && files.selected() == 4; }, kPatience))
      << "count " << files.count() << ", selected " << files.selected();
  EXPECT_EQ(testing::readFileBytes(pictures + L"\\d.bmp"), testing::readFileBytes(source(L"d.bmp")));
  EXPECT_EQ(testing::readFileBytes(pictures + L"\\e.bmp"), testing::readFileBytes(source(L"e.bmp")));
  EXPECT_EQ(GetFileAttributesW((pictures + L"\\readme.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(files.text(3), L"d.bmp");
  EXPECT_EQ(files.text(4), L"e.bmp");
  const auto size = testing::readFileBytes(source(L"e.bmp")).size();
  EXPECT_EQ(files.text(4, 1), std::wstring(12 - std::to_wstring(size).size(), L' ') + std::to_wstring(size));
  // The last copied picture is the one shown.
  EXPECT_TRUE(waitUntil([&] { return previewColour(window) == RGB(0xCC, 0x66, 0x33); }, kPatience));

  ASSERT_TRUE(dropOn(window, control(window, ids::lvwFile), {source(hangul)}));
  ASSERT_TRUE(waitUntil([&] { return files.count() == 6 && files.selected() == 5; }, kPatience));
  EXPECT_EQ(files.text(5), hangul);
  EXPECT_EQ(testing::readFileBytes(pictures + L"\\" + hangul), testing::readFileBytes(source(hangul)));
  EXPECT_TRUE(waitUntil([&] { return previewColour(window) == RGB(0x33, 0xCC, 0x66); }, kPatience));

  // Pictures of the entry's own folder are there already: nothing happens.
  ASSERT_TRUE(dropOn(window, control(window, ids::lvwFile), {pictures + L"\\a.bmp"}));
  ASSERT_TRUE(testing::waitForPostedMessages(control(window, ids::lvwFile), kPatience));
  EXPECT_EQ(files.count(), 6);
  EXPECT_FALSE(program.waitForMessageBox(0).has_value());
  // Also further down the list, and spelt in other case: never a file
  // copied onto itself.
  const auto a = testing::readFileBytes(pictures + L"\\a.bmp");
  writePicture(L"f.bmp", solid(40, 30, 0x0000FF), elsewhere);
  std::wstring shouting = pictures;
  CharUpperW(shouting.data());
  ASSERT_TRUE(dropOn(window, control(window, ids::lvwFile), {source(L"f.bmp"), shouting + L"\\a.bmp"}));
  ASSERT_TRUE(waitUntil([&] { return files.count() == 7 && files.selected() == 6; }, kPatience));
  ASSERT_TRUE(testing::waitForPostedMessages(control(window, ids::lvwFile), kPatience));
  EXPECT_FALSE(program.waitForMessageBox(0).has_value());
  EXPECT_EQ(testing::readFileBytes(pictures + L"\\a.bmp"), a);
  close(program, window);
}

TEST_F(DragDrop, APngDroppedOnThePictureListIsCopiedListedAndPreviewed) {
  registerSources({{pictures, true}});
  testing::writeFileBytes(source(L"g.png"),
                          testing::rgbPng(40, 30, [](std::uint32_t, std::uint32_t) { return 0x22AA44u; }));
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView files(control(window, ids::lvwFile));
  ASSERT_TRUE(waitUntil([&] { return files.count() == 3 && files.selected() >= 0; }, kPatience));
  ASSERT_TRUE(dropOn(window, control(window, ids::lvwFile), {source(L"g.png")}));
  ASSERT_TRUE(waitUntil([&] { return files.count() == 4 && files.selected() == 3; }, kPatience))
      << "count " << files.count() << ", selected " << files.selected();
  EXPECT_EQ(files.text(3), L"g.png");
  EXPECT_EQ(testing::readFileBytes(pictures + L"\\g.png"), testing::readFileBytes(source(L"g.png")));
  EXPECT_TRUE(waitUntil([&] { return previewColour(window) == RGB(0x22, 0xAA, 0x44); }, kPatience));
  close(program, window);
}

// The shell asks before it replaces a file; the user says yes. The file is
// replaced, its row is not listed twice (whatever the case of the dropped
// name) and shows the new file, and the preview shows the new picture even
// when the old one was on show.
TEST_F(DragDrop, AReplacedPictureKeepsOneRowThatShowsTheNewFile) {
  registerSources({{pictures, true}});
  writePicture(L"a.bmp", solid(70, 50, 0x00C0C0), elsewhere);
  writePicture(L"B.BMP", solid(90, 10, 0xC000C0), elsewhere);
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView files(control(window, ids::lvwFile));
  ASSERT_TRUE(waitUntil([&] { return files.count() == 3; }, kPatience));
  int a = -1;
  for (int i = 0; i < 3; ++i)
    if (files.text(i) == L"a.bmp") a = i;
  ASSERT_GE(a, 0);
  SetForegroundWindow(window);
  files.click(a);
  ASSERT_TRUE(waitUntil([&] { return previewColour(window) == RGB(0xFF, 0, 0); }, kPatience));

  auto dropAndAnswer = [&](const std::wstring& name, int answer) {
    ASSERT_TRUE(dropOn(window, control(window, ids::lvwFile), {source(name)}));
    const auto box = program.waitForMessageBox(kPatience);
    ASSERT_TRUE(box.has_value()) << "the shell did not ask before replacing";
    HWND button = GetDlgItem(box->hwnd, answer);
    ASSERT_NE(button, nullptr) << narrow(box->title) << ": " << narrow(box->text);
    // A click on a box that is still being made can be lost: answer it
    // once it shows, and again for as long as it stays.
    ASSERT_TRUE(waitUntil([&] { return IsWindowVisible(box->hwnd) && IsWindowEnabled(button); }, kPatience));
    ASSERT_TRUE(waitUntil([&] {
      if (!IsWindow(box->hwnd)) return true;
      SendMessageW(button, BM_CLICK, 0, 0);
      return !IsWindow(box->hwnd);
    }, kPatience)) << "the shell's question stays unanswered";
  };
  auto dropAndConfirm = [&](const std::wstring& name) { dropAndAnswer(name, IDYES); };
  dropAndConfirm(L"a.bmp");
  EXPECT_TRUE(waitUntil([&] {
    return testing::readFileBytes(pictures + L"\\a.bmp") == testing::readFileBytes(source(L"a.bmp"));
  }, kPatience));
  ASSERT_TRUE(waitUntil([&] { return files.selected() == a; }, kPatience));
  EXPECT_EQ(files.count(), 3);
  const auto size = std::to_wstring(testing::readFileBytes(source(L"a.bmp")).size());
  EXPECT_EQ(files.text(a, 1), std::wstring(12 - size.size(), L' ') + size);
  EXPECT_TRUE(waitUntil([&] { return previewColour(window) == RGB(0, 0xC0, 0xC0); }, kPatience))
      << "the preview still shows the replaced picture";

  dropAndConfirm(L"B.BMP");
  EXPECT_TRUE(waitUntil([&] {
    return testing::readFileBytes(pictures + L"\\b.bmp") == testing::readFileBytes(source(L"B.BMP"));
  }, kPatience));
  ASSERT_TRUE(waitUntil([&] { return files.selected() >= 0 && files.text(files.selected()) == L"b.bmp"; },
                        kPatience));
  EXPECT_EQ(files.count(), 3) << "one file listed twice";
  EXPECT_TRUE(waitUntil([&] { return previewColour(window) == RGB(0xC0, 0, 0xC0); }, kPatience));

  // "No": the folder's own c.bmp stays, listed once.
  writePicture(L"c.bmp", solid(5, 5, 0x000000), elsewhere);
  const auto before = testing::readFileBytes(pictures + L"\\c.bmp");
  dropAndAnswer(L"c.bmp", IDNO);
  EXPECT_TRUE(waitUntil([&] { return !program.waitForMessageBox(0).has_value(); }, kPatience));
  ASSERT_TRUE(testing::waitForPostedMessages(control(window, ids::lvwFile), kPatience));
  EXPECT_EQ(testing::readFileBytes(pictures + L"\\c.bmp"), before);
  EXPECT_EQ(files.count(), 3);
  close(program, window);
}

// A copy that fails or cannot be made adds no row and moves no selection;
// the files and the registered list stay as they were.
TEST_F(DragDrop, AFailedCopyOrAVanishedFileAddsAndSelectsNothing) {
  registerSources({{pictures, true}});
  writePicture(L"c.bmp", solid(20, 20, 0x102030), elsewhere);
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView files(control(window, ids::lvwFile));
  ASSERT_TRUE(waitUntil([&] { return files.count() == 3; }, kPatience));
  int c = -1;
  for (int i = 0; i < 3; ++i)
    if (files.text(i) == L"c.bmp") c = i;
  const int other = c == 0 ? 1 : 0;
  SetForegroundWindow(window);
  files.click(other);
  ASSERT_TRUE(waitUntil([&] { return files.selected() == other; }, kPatience));
  const auto before = testing::readFileBytes(pictures + L"\\c.bmp");

  {
    // Another program holds c.bmp open and shares nothing: no copy can
    // replace it. Every box the shell shows is answered as a user would.
    testing::FileHolder holder(pictures + L"\\c.bmp", 0);
    ASSERT_TRUE(holder.open());
    ASSERT_TRUE(dropOn(window, control(window, ids::lvwFile), {source(L"c.bmp"), source(L"gone.bmp")}));
    // Until the drop's work is done and no box is left.
    ASSERT_TRUE(waitUntil([&] {
      if (auto box = program.waitForMessageBox(0)) {
        HWND yes = GetDlgItem(box->hwnd, IDYES);
        if (yes) SendMessageW(yes, BM_CLICK, 0, 0);
        else testing::pressOk(box->hwnd);
        return false;
      }
      return testing::waitForPostedMessages(control(window, ids::lvwFile), kPatience) &&
             !program.waitForMessageBox(0).has_value();
    }, 30000));
  }
  EXPECT_EQ(testing::readFileBytes(pictures + L"\\c.bmp"), before);
  EXPECT_EQ(GetFileAttributesW((pictures + L"\\gone.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(files.count(), 3);
  EXPECT_EQ(files.selected(), other) << "a failed copy moved the selection";
  EXPECT_EQ(RemoteListView(control(window, ids::lvwMain)).count(), 1);
  close(program, window);
  EXPECT_EQ(get(kWallList, L"List1"), pictures);
}

// A copied file that the picture loader refuses is listed and selected;
// the loader's complaint is shown at once, not at some later click.
TEST_F(DragDrop, ACopiedFileThatIsNoPictureIsToldAtOnce) {
  registerSources({{pictures, true}});
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView files(control(window, ids::lvwFile));
  ASSERT_TRUE(waitUntil([&] { return files.count() == 3; }, kPatience));
  ASSERT_TRUE(dropOn(window, control(window, ids::lvwFile), {testing::pictureDir() + L"not_a_picture.jpg"}));
  const auto box = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(box.has_value()) << "nothing told";
  EXPECT_EQ(box->title, res(IDS_TITLE_ITEM_CLICK));
  EXPECT_NE(box->text.find(res(109)), std::wstring::npos) << narrow(box->text);
  ASSERT_TRUE(testing::answerOk(program, box->hwnd));
  EXPECT_EQ(files.count(), 4);
  EXPECT_EQ(files.selected(), 3);
  EXPECT_EQ(files.text(3), L"not_a_picture.jpg");
  close(program, window);
}

TEST_F(DragDrop, APictureDroppedOnAnArchivesListIsRefusedWithAMessage) {
  const std::wstring zip = folder.path() + L"pics.zip";
  ASSERT_TRUE(CopyFileW((testing::pictureDir() + L"pics.zip").c_str(), zip.c_str(), FALSE));
  registerSources({{zip, true}});
  writePicture(L"d.bmp", solid(8, 8, 0x3366CC), elsewhere);
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView files(control(window, ids::lvwFile));
  ASSERT_TRUE(waitUntil([&] { return files.count() == 1; }, kPatience));
  const auto zipBytes = testing::readFileBytes(zip);
  // The source hears that nothing was copied.
  FileListData picture({source(L"d.bmp")});
  EXPECT_EQ(dropEffect(window, control(window, ids::lvwFile), picture), DROPEFFECT_NONE);
  const auto box = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, res(121));
  EXPECT_EQ(box->title, res(IDS_APP_TITLE));
  ASSERT_TRUE(testing::answerOk(program, box->hwnd));
  // Something that is no file list, as a browser's text, is told the same.
  FileListData text({});
  EXPECT_EQ(dropEffect(window, control(window, ids::lvwFile), text), DROPEFFECT_NONE);
  const auto again = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(again.has_value()) << "a drop without a file list was not told";
  EXPECT_EQ(again->text, res(121));
  ASSERT_TRUE(testing::answerOk(program, again->hwnd));
  EXPECT_EQ(files.count(), 1);
  EXPECT_EQ(testing::readFileBytes(zip), zipBytes);
  EXPECT_EQ(GetFileAttributesW((folder.path() + L"d.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
  close(program, window);
}

// Dragged out: the folder's own file, and an archive member taken out
// first; the target reads the file while it is dropped. The drag ends the
// Shift mode, whose key release the drag took.
TEST_F(DragDrop, APictureDraggedOutCarriesItsFileAndEndsTheShiftMode) {
  const std::wstring zip = testing::pictureDir() + L"pics.zip";
  registerSources({{pictures, true}, {zip, false}});
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  DropWindow target;
  ASSERT_TRUE(target.registered);
  RemoteListView folders(control(window, ids::lvwMain));
  RemoteListView files(control(window, ids::lvwFile));
  ASSERT_TRUE(waitUntil([&] { return files.count() == 3; }, kPatience));
  SetForegroundWindow(window);
  files.click(1);
  ASSERT_TRUE(waitUntil([&] { return files.selected() == 1; }, kPatience));
  const std::wstring name = files.text(1);

  // Shift held: the delete button reads as deleting for good.
  testing::pressKeys(window, {}, VK_SHIFT);  // focus on the window first
  key(VK_SHIFT, false);
  ASSERT_TRUE(waitUntil([&] { return testing::controlText(control(window, ids::cmdFilDel)) == res(201); },
                        kPatience));
  dragRowTo(window, 1, target, {VK_SHIFT});
  EXPECT_EQ(target.dropped, pictures + L"\\" + name);
  EXPECT_EQ(target.files, 1u);
  EXPECT_EQ(target.bytes, testing::readFileBytes(pictures + L"\\" + name));
  EXPECT_EQ(target.allowedEffects, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE));
  EXPECT_TRUE(waitUntil([&] { return testing::controlText(control(window, ids::cmdFilDel)) == res(205); },
                        kPatience))
      << "the Shift mode outlived the drag";

  folders.click(1);
  ASSERT_TRUE(waitUntil([&] { return files.count() == 1 && files.text(0) == L"photos\\m.bmp"; }, kPatience));
  files.click(0);
  ASSERT_TRUE(waitUntil([&] { return files.selected() == 0; }, kPatience));
  dragRowTo(window, 0, target);
  const std::wstring member = folder.path() + L"UnPakTmp\\photos\\m.bmp";
  const auto memberBytes = testing::readFileBytes(testing::pictureDir() + L"zipsrc\\photos\\m.bmp");
  EXPECT_EQ(target.dropped, member);
  EXPECT_EQ(target.bytes, memberBytes);
  EXPECT_FALSE(target.bytes.empty());

  // A target that moves the taken-out copy away: the next drag takes the
  // member out again instead of offering the name of a file that is gone.
  target.moves = true;
  dragRowTo(window, 0, target);
  EXPECT_EQ(target.dropped, member);
  EXPECT_EQ(GetFileAttributesW(member.c_str()), INVALID_FILE_ATTRIBUTES);
  target.moves = false;
  dragRowTo(window, 0, target);
  EXPECT_EQ(target.dropped, member);
  EXPECT_EQ(target.bytes, memberBytes);
  close(program, window);
}

// Registering a dropped source shows its defaults in the tile panel; what
// the user had typed there for the current entry is kept first.
TEST_F(DragDrop, DroppingASourceKeepsTheCountsTypedForTheCurrentOne) {
  registerSources({{pictures, true}});
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView folders(control(window, ids::lvwMain));
  ASSERT_TRUE(waitUntil([&] { return folders.selected() == 0; }, kPatience));
  SendMessageW(control(window, ids::txtDown), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"5"));
  SendMessageW(control(window, ids::txtAcross), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"7"));
  ASSERT_TRUE(dropOn(window, control(window, ids::lvwMain), {elsewhere}));
  ASSERT_TRUE(waitUntil([&] { return folders.count() == 2 && folders.selected() == 1; }, kPatience));
  EXPECT_EQ(controlText(control(window, ids::txtDown)), L"2");
  close(program, window);
  EXPECT_EQ(get(kWallList, L"TileY1"), L"5");
  EXPECT_EQ(get(kWallList, L"TileX1"), L"7");
  EXPECT_EQ(get(kWallList, L"TileY2"), L"2");
}

}  // namespace
}  // namespace rivano
