// The registry routines on the real registry of the Wine prefix, in the
// Japanese code page.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/ansi.h"
#include "platform/desktop.h"
#include "platform/unique_handle.h"
#include "platform/win32_registry.h"
#include "common/run_error.h"
#include "settings/settings_layout.h"

namespace rivano {
namespace {

const std::wstring kBase = L"Software\\Velmorat\\RivanoRegistryTest";

class RegistryRoutines : public ::testing::Test {
 protected:
  void SetUp() override { registry.deleteKey(kBase); }
  void TearDown() override { registry.deleteKey(kBase); }
  win::Win32Registry registry;
};

bool keyOpens(const std::wstring& path) {
  win::UniqueKey key;
  return RegOpenKeyW(HKEY_CURRENT_USER, path.c_str(), key.put()) == ERROR_SUCCESS;
}

TEST_F(RegistryRoutines, ReadingAMissingKeyGivesTheDefaultAndCreatesNothing) {
  EXPECT_EQ(registry.readText(kBase + L"\\A\\B", L"V", L"dflt"), L"dflt");
  EXPECT_FALSE(keyOpens(kBase));
}

TEST_F(RegistryRoutines, WritingCreatesEveryMissingLevel) {
  ASSERT_TRUE(registry.writeText(kBase + L"\\A\\B\\C", L"V", L"x"));
  EXPECT_TRUE(registry.keyExists(kBase, L"\\A\\B"));
  EXPECT_EQ(registry.readText(kBase + L"\\A\\B\\C", L"V", L""), L"x");
}

TEST_F(RegistryRoutines, EmptyValueIsNotAMissingValue) {
  ASSERT_TRUE(registry.writeText(kBase, L"Empty", L""));
  EXPECT_EQ(registry.readText(kBase, L"Empty", L"dflt"), L"");
  EXPECT_EQ(registry.readText(kBase, L"Absent", L"dflt"), L"dflt");
}

TEST_F(RegistryRoutines, JapaneseTextIsStoredInCodePage932AndReadsBackIdentical) {
  const std::wstring text = L"C:\\壁紙\\夏の空（＾＾）.jpg";
  ASSERT_TRUE(registry.writeText(kBase + L"\\写真", L"名前", text));
  EXPECT_EQ(registry.readText(kBase + L"\\写真", L"名前", L""), text);
  // The stored bytes are the ANSI form with one terminating NUL.
  win::UniqueKey key;
  ASSERT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, (kBase + L"\\写真").c_str(), key.put()), ERROR_SUCCESS);
  char bytes[256] = {};
  DWORD size = sizeof bytes, type = 0;
  ASSERT_EQ(RegQueryValueExW(key.get(), L"名前", nullptr, &type, reinterpret_cast<BYTE*>(bytes), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(GetACP(), 932u);
}

TEST_F(RegistryRoutines, ValuesLongerThan1024BytesReadAsTheDefault) {
  const std::wstring fits(1023, L'a');  // 1023 bytes and the NUL
  const std::wstring tooLong(1024, L'b');
  ASSERT_TRUE(registry.writeText(kBase, L"Fits", fits));
  ASSERT_TRUE(registry.writeText(kBase, L"Long", tooLong));
  EXPECT_EQ(registry.readText(kBase, L"Fits", L"d"), fits);
  EXPECT_EQ(registry.readText(kBase, L"Long", L"d"), L"d");
  // 512 Japanese characters are 1024 bytes in the code page: with the NUL
  // they no longer fit.
  ASSERT_TRUE(registry.writeText(kBase, L"Wide", std::wstring(512, L'壁')));
  EXPECT_EQ(registry.readText(kBase, L"Wide", L"d"), L"d");
}

TEST_F(RegistryRoutines, ValuesOfOtherTypesAreReadAsTextWithoutHarm) {
  ASSERT_TRUE(registry.writeText(kBase + L"\\Option", L"x", L"x"));
  win::UniqueKey key;
  ASSERT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, (kBase + L"\\Option").c_str(), key.put()), ERROR_SUCCESS);
  const DWORD fifteen = 15;
  RegSetValueExW(key.get(), L"DragTate", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&fifteen), sizeof fifteen);
  std::vector<BYTE> noNul(1024, 'z');
  RegSetValueExW(key.get(), L"Full", 0, REG_BINARY, noNul.data(), static_cast<DWORD>(noNul.size()));
  // A full buffer without a NUL is the whole text.
  EXPECT_EQ(registry.readText(kBase + L"\\Option", L"Full", L"d"),
            std::wstring(1024, L'z'));
  // A number stored as a DWORD is no number text: the reader's conversion
  // reports a type mismatch instead of using the bytes.
  SettingsStore store(registry, kBase);
  try {
    store.int16(value::dropTileDown);
    FAIL() << "a DWORD value converted";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::typeMismatch);
  }
}

TEST_F(RegistryRoutines, NamesOutsideTheCodePageAreStoredAsTheyAre) {
  // Hangul is not in code page 932; through the ANSI functions every
  // syllable became "?".
  const std::wstring key = kBase + L"\\한국어";
  const std::wstring path = L"C:\\사진\\한국어.jpg";
  ASSERT_TRUE(registry.writeText(key, L"Rireki0", path));
  ASSERT_TRUE(registry.writeText(kBase, L"이름", L"값"));
  EXPECT_EQ(registry.readText(key, L"Rireki0", L"d"), path);
  EXPECT_EQ(registry.readText(kBase, L"이름", L"d"), L"값");
  EXPECT_TRUE(registry.keyExists(kBase, L"\\한국어"));
  // What another program (or the next version) sees is the name itself.
  win::UniqueKey raw;
  ASSERT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, key.c_str(), raw.put()), ERROR_SUCCESS);
  wchar_t stored[64] = {};
  DWORD size = sizeof stored;
  ASSERT_EQ(RegQueryValueExW(raw.get(), L"Rireki0", nullptr, nullptr, reinterpret_cast<BYTE*>(stored), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(stored), path);
  raw.reset();
  EXPECT_TRUE(registry.deleteKey(key));
  EXPECT_FALSE(keyOpens(key));
}

TEST_F(RegistryRoutines, ValuesWrittenThroughTheAnsiFunctionsReadBackIdentical) {
  // Older versions wrote every value with RegSetValueExA.
  ASSERT_TRUE(registry.writeText(kBase, L"x", L"x"));
  win::UniqueKey key;
  ASSERT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, kBase.c_str(), key.put()), ERROR_SUCCESS);
  const auto putAnsi = [&](const char* name, const std::string& bytes) {
    ASSERT_EQ(RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(bytes.c_str()),
                             static_cast<DWORD>(bytes.size() + 1)),
              ERROR_SUCCESS);
  };
  const std::wstring japanese = L"C:\\壁紙\\表示（＾＾）ソ.jpg";  // 表 and ソ end in the byte of "\\"
  putAnsi("List1", win::toAnsi(japanese));
  putAnsi("Empty", "");
  putAnsi("Fits", std::string(1023, 'a'));
  putAnsi("Long", std::string(1024, 'b'));
  putAnsi("Wide", win::toAnsi(std::wstring(511, L'壁')) + "ab");  // 1024 bytes and the NUL
  EXPECT_EQ(registry.readText(kBase, L"List1", L"d"), japanese);
  EXPECT_EQ(registry.readText(kBase, L"Empty", L"d"), L"");
  EXPECT_EQ(registry.readText(kBase, L"Fits", L"d"), std::wstring(1023, L'a'));
  EXPECT_EQ(registry.readText(kBase, L"Long", L"d"), L"d");
  EXPECT_EQ(registry.readText(kBase, L"Wide", L"d"), L"d");
}

TEST_F(RegistryRoutines, TheLimitCountsACharacterTheCodePageLacksAsTwoBytes) {
  // As wide as Japanese text: 511 of them and the NUL fit, 512 do not.
  ASSERT_TRUE(registry.writeText(kBase, L"Fits", std::wstring(511, L'한')));
  ASSERT_TRUE(registry.writeText(kBase, L"Long", std::wstring(512, L'한')));
  ASSERT_TRUE(registry.writeText(kBase, L"Mixed", std::wstring(511, L'한') + L"a"));
  ASSERT_TRUE(registry.writeText(kBase, L"Over", std::wstring(511, L'한') + L"ab"));
  EXPECT_EQ(registry.readText(kBase, L"Fits", L"d"), std::wstring(511, L'한'));
  EXPECT_EQ(registry.readText(kBase, L"Long", L"d"), L"d");
  EXPECT_EQ(registry.readText(kBase, L"Mixed", L"d"), std::wstring(511, L'한') + L"a");
  EXPECT_EQ(registry.readText(kBase, L"Over", L"d"), L"d");
}

TEST_F(RegistryRoutines, OtherTypesReadAsTheAnsiQueryGaveThem) {
  ASSERT_TRUE(registry.writeText(kBase, L"x", L"x"));
  win::UniqueKey key;
  ASSERT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, kBase.c_str(), key.put()), ERROR_SUCCESS);
  // The bytes 41 00 42 00: as ANSI text "A", not the two characters "AB".
  const DWORD number = 0x00420041;
  RegSetValueExW(key.get(), L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  const wchar_t multi[] = L"first\0second\0";
  RegSetValueExW(key.get(), L"Multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof multi);
  const wchar_t expand[] = L"%WINDIR%\\壁紙";
  RegSetValueExW(key.get(), L"Expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand), sizeof expand);
  std::vector<BYTE> tooLong(1025, 'z');
  RegSetValueExW(key.get(), L"Binary", 0, REG_BINARY, tooLong.data(), static_cast<DWORD>(tooLong.size()));
  EXPECT_EQ(registry.readText(kBase, L"Number", L"d"), L"A");
  EXPECT_EQ(registry.readText(kBase, L"Multi", L"d"), L"first");
  EXPECT_EQ(registry.readText(kBase, L"Expand", L"d"), expand);  // not expanded
  EXPECT_EQ(registry.readText(kBase, L"Binary", L"d"), L"d");
}

TEST(AnsiBoundary, TheExactFormExistsOnlyForTextTheCodePageHolds) {
  EXPECT_EQ(win::toAnsiExact(L"C:\\壁紙\\表.jpg"), win::toAnsi(L"C:\\壁紙\\表.jpg"));
  EXPECT_EQ(win::toAnsiExact(L"ΕΛΛΑΣ αβγ"), win::toAnsi(L"ΕΛΛΑΣ αβγ"));  // the Greek letters are in 932
  EXPECT_FALSE(win::toAnsiExact(L"Ελληνικά").has_value());                 // the accented ones are not
  EXPECT_EQ(win::toAnsiExact(L""), std::string());
  EXPECT_EQ(win::toAnsiExact(L"what?"), std::string("what?"));  // a "?" of its own is no loss
  EXPECT_FALSE(win::toAnsiExact(L"C:\\한국어.jpg").has_value());
  EXPECT_FALSE(win::toAnsiExact(L"caf\u00e9").has_value());  // no look-alike "e"
  EXPECT_FALSE(win::toAnsiExact(L"\U0001F600").has_value());
  EXPECT_TRUE(win::fitsAnsi(L"壁紙"));
  EXPECT_FALSE(win::fitsAnsi(L"壁紙한"));
  EXPECT_EQ(win::ansiLength(L"a壁"), 3u);
  EXPECT_EQ(win::ansiLength(L"a한壁"), 5u);
  EXPECT_EQ(win::ansiLength(L"\U0001F600"), 2u);  // one character, a surrogate pair
}

TEST(Desktop, AWallpaperPathOutsideTheCodePageIsRecordedAsItIs) {
  win::Win32Registry registry;
  const std::wstring desktopKey = L"Control Panel\\Desktop";
  const std::wstring before = registry.readSystemText(RegRoot::currentUser, desktopKey, L"Wallpaper", L"");
  wchar_t temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring folder = std::wstring(temp) + L"rivano-한국어";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring bitmap = folder + L"\\Rivano.bmp";
  // A 1 x 1 bitmap, white.
  const std::vector<BYTE> bmp = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0,
                                 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                 0, 0, 0, 0, 255, 255, 255, 0};
  {
    win::UniqueFile file(CreateFileW(bitmap.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), bmp.data(), static_cast<DWORD>(bmp.size()), &written, nullptr));
  }
  win::SystemDesktop desktop;
  desktop.setWallpaper(bitmap);
  EXPECT_EQ(registry.readSystemText(RegRoot::currentUser, desktopKey, L"Wallpaper", L""), bitmap);
  // Back to what the prefix had.
  std::wstring previous = before;
  SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, previous.data(), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
  DeleteFileW(bitmap.c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST_F(RegistryRoutines, DeletingAKeyTakesItsSubkeysAlong) {
  ASSERT_TRUE(registry.writeText(kBase + L"\\WallList\\Deep\\Deeper", L"v", L"1"));
  ASSERT_TRUE(registry.writeText(kBase + L"\\WallList\\Other", L"v", L"1"));
  ASSERT_TRUE(registry.writeText(kBase + L"\\Option", L"v", L"1"));
  EXPECT_TRUE(registry.deleteKey(kBase + L"\\WallList"));
  EXPECT_FALSE(registry.keyExists(kBase, L"\\WallList"));
  EXPECT_TRUE(registry.keyExists(kBase, L"\\Option"));
}

TEST_F(RegistryRoutines, DeletingAMissingKeyReportsFalse) {
  EXPECT_FALSE(registry.deleteKey(kBase + L"\\Nothing"));
  EXPECT_FALSE(registry.keyExists(kBase, L"\\Nothing"));
}

TEST_F(RegistryRoutines, ClassesRootIsReadable) {
  // Every system describes the text file class; the empty value name is
  // the key's default value.
  const std::wstring description = registry.readSystemText(RegRoot::classesRoot, L"txtfile", L"", L"TXT");
  EXPECT_NE(description, L"TXT");
  EXPECT_FALSE(description.empty());
}


// A class key of the test's own under the classes root, gone again at the
// end of the test whatever it asserted.
class TestClassKey {
 public:
  explicit TestClassKey(std::wstring path) : path_(std::move(path)) { RegDeleteTreeW(HKEY_CLASSES_ROOT, path_.c_str()); }
  ~TestClassKey() { RegDeleteTreeW(HKEY_CLASSES_ROOT, path_.c_str()); }
  TestClassKey(const TestClassKey&) = delete;
  TestClassKey& operator=(const TestClassKey&) = delete;
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

std::wstring rawText(HKEY root, const std::wstring& path, const std::wstring& name) {
  wchar_t buffer[256] = {};
  DWORD size = sizeof buffer;
  if (RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
    return L"<missing>";
  return buffer;
}

TEST_F(RegistryRoutines, SettingsStayUnderTheCurrentUserAndSystemValuesGoWhereTheirRootSays) {
  // The settings routines name no root: they must reach the current user's
  // keys and nothing else.
  ASSERT_TRUE(registry.writeText(kBase, L"Setting", L"ours"));
  EXPECT_EQ(rawText(HKEY_CURRENT_USER, kBase, L"Setting"), L"ours");
  // A system value under the current user is the same tree the settings use.
  ASSERT_TRUE(registry.writeSystemText(RegRoot::currentUser, kBase, L"System", L"desktop"));
  EXPECT_EQ(registry.readText(kBase, L"System", L"d"), L"desktop");
  // One under the classes root is not seen by the settings routines.
  const TestClassKey classKey(L"Rivano.RegistryRootTest");
  ASSERT_TRUE(registry.writeSystemText(RegRoot::classesRoot, classKey.path(), L"", L"class text"));
  EXPECT_EQ(rawText(HKEY_CLASSES_ROOT, classKey.path(), L""), L"class text");
  EXPECT_EQ(registry.readSystemText(RegRoot::classesRoot, classKey.path(), L"", L"d"), L"class text");
  EXPECT_EQ(registry.readText(classKey.path(), L"", L"d"), L"d");
  EXPECT_FALSE(registry.keyExists(classKey.path(), L""));
}

}  // namespace
}  // namespace rivano
