// The shell helpers on the real shell of the prefix: deleting to the
// recycle bin and for good (answering the shell's confirmation as a user
// would), file-type names from the real class table, the user name, and
// opening documents.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/message_box.h"
#include "platform/win32_registry.h"
#include "resources/resource_ids.h"
#include "common/run_error.h"
#include "shell/file_type_name.h"
#include "shell/shell_helpers.h"
#include "tests/wine/box_answerer.h"
#include "tests/wine/test_support.h"

namespace rivano {
namespace {

using testing::BoxAnswerer;
using testing::TempFolder;

std::wstring res(int id) { return testing::programString(testing::binDir() + L"shell_test.exe", id); }

std::wstring makeFile(const TempFolder& folder, const wchar_t* name) {
  const std::wstring path = folder.path() + name;
  testing::writeFileBytes(path, {'x', 'y', 'z'});
  return path;
}

LONGLONG recycledItems() {
  SHQUERYRBINFO info{sizeof info};
  return SUCCEEDED(SHQueryRecycleBinW(nullptr, &info)) ? info.i64NumItems : -1;
}

class ShellDelete : public ::testing::Test {
 protected:
  TempFolder folder{L"rivano-delete"};
};

TEST_F(ShellDelete, ToTheRecycleBinWhenConfirmed) {
  const std::wstring path = makeFile(folder, L"壁紙 1.bmp");
  const LONGLONG before = recycledItems();
  bool result = false;
  {
    BoxAnswerer user(IDYES);
    result = deleteFileByShell(path, nullptr, false);
  }
  EXPECT_TRUE(result);
  EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
  ASSERT_GE(before, 0) << "the recycle bin cannot be asked";
  EXPECT_EQ(recycledItems(), before + 1) << "the file did not reach the recycle bin";
}

TEST_F(ShellDelete, ForGoodBypassesTheRecycleBin) {
  const std::wstring path = makeFile(folder, L"gone.jpg");
  const LONGLONG before = recycledItems();
  bool result = false;
  {
    BoxAnswerer user(IDYES);
    result = deleteFileByShell(path, nullptr, true);
  }
  EXPECT_TRUE(result);
  EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(recycledItems(), before);
}

TEST_F(ShellDelete, OnlyTheNamedFileGoes) {
  // The source list ends in two NULs: a neighbour whose name starts the
  // same must survive.
  const std::wstring path = makeFile(folder, L"a.gif");
  const std::wstring neighbour = makeFile(folder, L"a.gif.bak");
  BoxAnswerer user(IDYES);
  EXPECT_TRUE(deleteFileByShell(path, nullptr, true));
  EXPECT_NE(GetFileAttributesW(neighbour.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ShellDelete, ANameOutsideTheCodePageDeletesThatFileAndNoOther) {
  // In code page 932 the Hangul name is "???.jpg", a pattern that the
  // shell would match against every three-letter name of the folder.
  const std::wstring path = makeFile(folder, L"한국어.jpg");
  const std::wstring neighbour = makeFile(folder, L"abc.jpg");
  BoxAnswerer user(IDYES);
  EXPECT_TRUE(deleteFileByShell(path, nullptr, true));
  EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(neighbour.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ShellDelete, CancelledOrFailedDeleteReportsFalse) {
  const std::wstring path = makeFile(folder, L"kept.jpg");
  bool cancelled = true;
  std::vector<testing::AnsweredBox> boxes;
  {
    BoxAnswerer user(IDNO);
    cancelled = deleteFileByShell(path, nullptr, false);
    boxes = user.seen();
  }
  EXPECT_FALSE(boxes.empty()) << "the shell asked nothing before deleting";
  EXPECT_FALSE(cancelled);
  EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);

  // A file the shell cannot delete because it is held open.
  HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  bool failed = true;
  {
    BoxAnswerer user(IDYES);
    failed = deleteFileByShell(path, nullptr, true);
  }
  CloseHandle(held);
  EXPECT_FALSE(failed);
}

TEST(FileTypeNameOnWindows, RegisteredAndUnregisteredExtensions) {
  win::Win32Registry registry;
  EXPECT_EQ(fileTypeName(registry, L"C:\\pics\\a.rvzqx"), L"RVZQX");
  EXPECT_EQ(fileTypeName(registry, L"C:\\pics\\noext"), L"");

  ASSERT_TRUE(registry.writeSystemText(RegRoot::classesRoot, L".rvtst", L"", L"Rivano.TestPicture"));
  ASSERT_TRUE(registry.writeSystemText(RegRoot::classesRoot, L"Rivano.TestPicture", L"",
                                      L"リバノ テスト画像"));
  EXPECT_EQ(fileTypeName(registry, L"C:\\写真\\夏.RvTst"), L"リバノ テスト画像");
  // A class that has no description of its own.
  ASSERT_TRUE(registry.writeSystemText(RegRoot::classesRoot, L".rvtsu", L"", L"Rivano.NoText"));
  EXPECT_EQ(fileTypeName(registry, L"b.rvtsu"), L"RVTSU");
  RegDeleteKeyW(HKEY_CLASSES_ROOT, L".rvtst");
  RegDeleteKeyW(HKEY_CLASSES_ROOT, L".rvtsu");
  RegDeleteKeyW(HKEY_CLASSES_ROOT, L"Rivano.TestPicture");
}

// Shell services that fail, for the helpers' fallbacks.
class FailingShell final : public win::ShellOperations {
 public:
  void deleteFile(HWND, const std::wstring&, bool) override {}
  bool fileExists(const std::wstring&) override { return true; }
  void openDocument(const std::wstring&) override { throw RunError(err::fileNotFound); }
  std::optional<std::wstring> userName() override { return std::nullopt; }
};

TEST(UserName, TheLogonNameOrTheLicenceText) {
  wchar_t expected[256] = {};
  DWORD size = 256;
  ASSERT_TRUE(GetUserNameW(expected, &size));
  const std::wstring name = logonUserName();
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(name, expected);

  FailingShell shell;
  EXPECT_EQ(logonUserName(shell), L"Licensed To: ");
}

TEST(OpenDocument, MissingDocumentShowsNoErrorOfOurs) {
  TempFolder folder(L"rivano-open");
  std::vector<testing::AnsweredBox> boxes;
  {
    BoxAnswerer user(IDOK);
    // A box shown on the way is shown by this thread's call, and the
    // answerer notes it before it lets the call go on.
    EXPECT_EQ(openDocument(folder.path() + L"ない.hlp"), 0);
    boxes = user.seen();
  }
  for (const auto& box : boxes) EXPECT_NE(box.title, res(IDS_TITLE_SHELL_EXECUTE));
}

// The error comes back for the window's error dialog; the helper itself
// shows nothing, so a caller with nobody to tell waits on nothing.
TEST(OpenDocument, AnErrorOnTheWayIsReturnedWithoutABox) {
  FailingShell shell;
  std::vector<testing::AnsweredBox> boxes;
  {
    BoxAnswerer user(IDOK);
    EXPECT_EQ(openDocument(shell, L"C:\\Rivano.HLP"), err::fileNotFound);
    boxes = user.seen();
  }
  EXPECT_TRUE(boxes.empty()) << testing::narrow(boxes.empty() ? std::wstring() : boxes[0].title);
}

// What the window shows for that number: the dialog the helper showed
// before, titled and advised as then.
TEST(OpenDocument, TheWindowsDialogForAReturnedError) {
  FailingShell shell;
  std::vector<testing::AnsweredBox> boxes;
  {
    BoxAnswerer user(IDOK);
    if (const int error = openDocument(shell, L"C:\\Rivano.HLP"))
      win::showErrorDialog(nullptr, IDS_TITLE_SHELL_EXECUTE, error, PictureAdvice::generic);
    boxes = user.seen();
  }
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, L"Rivano modMain myShellExecute");
  EXPECT_NE(boxes[0].text.find(res(IDS_RUNTIME_ERROR) + L"53"), std::wstring::npos) << boxes[0].text;
  EXPECT_NE(boxes[0].text.find(res(IDS_ADVICE_PATH)), std::wstring::npos);
  EXPECT_NE(boxes[0].text.find(res(IDS_ADVICE_CHECK_FILE)), std::wstring::npos);
}

}  // namespace
}  // namespace rivano
