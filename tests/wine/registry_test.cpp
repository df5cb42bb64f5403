// The registry routines on the real registry of the Wine prefix, in the
// Japanese code page.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/unique_handle.h"
#include "platform/win32_registry.h"
#include "settings/run_error.h"
#include "settings/settings_layout.h"

namespace rivano {
namespace {

const std::wstring kBase = L"Software\\Velmorat\\RivanoRegistryTest";

class RegistryRoutines : public ::testing::Test {
 protected:
  void SetUp() override { registry.myRegDeleteKey(kBase); }
  void TearDown() override { registry.myRegDeleteKey(kBase); }
  win::Win32Registry registry;
};

bool keyOpens(const std::wstring& path) {
  win::UniqueKey key;
  return RegOpenKeyW(HKEY_CURRENT_USER, path.c_str(), key.put()) == ERROR_SUCCESS;
}

TEST_F(RegistryRoutines, ReadingAMissingKeyGivesTheDefaultAndCreatesNothing) {
  EXPECT_EQ(registry.myRegGetString(RegRoot::currentUser, kBase + L"\\A\\B", L"V", L"dflt"), L"dflt");
  EXPECT_FALSE(keyOpens(kBase));
}

TEST_F(RegistryRoutines, WritingCreatesEveryMissingLevel) {
  ASSERT_TRUE(registry.myRegSetString(RegRoot::currentUser, kBase + L"\\A\\B\\C", L"V", L"x"));
  EXPECT_TRUE(registry.myRegKeyExists(kBase, L"\\A\\B"));
  EXPECT_EQ(registry.myRegGetString(RegRoot::currentUser, kBase + L"\\A\\B\\C", L"V", L""), L"x");
}

TEST_F(RegistryRoutines, EmptyValueIsNotAMissingValue) {
  ASSERT_TRUE(registry.myRegSetString(RegRoot::currentUser, kBase, L"Empty", L""));
  EXPECT_EQ(registry.myRegGetString(RegRoot::currentUser, kBase, L"Empty", L"dflt"), L"");
  EXPECT_EQ(registry.myRegGetString(RegRoot::currentUser, kBase, L"Absent", L"dflt"), L"dflt");
}

TEST_F(RegistryRoutines, JapaneseTextIsStoredInCodePage932AndReadsBackIdentical) {
  const std::wstring text = L"C:\\壁紙\\夏の空（＾＾）.jpg";
  ASSERT_TRUE(registry.myRegSetString(RegRoot::currentUser, kBase + L"\\写真", L"名前", text));
  EXPECT_EQ(registry.myRegGetString(RegRoot::currentUser, kBase + L"\\写真", L"名前", L""), text);
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
  ASSERT_TRUE(registry.myRegSetString(RegRoot::currentUser, kBase, L"Fits", fits));
  ASSERT_TRUE(registry.myRegSetString(RegRoot::currentUser, kBase, L"Long", tooLong));
  EXPECT_EQ(registry.myRegGetString(RegRoot::currentUser, kBase, L"Fits", L"d"), fits);
  EXPECT_EQ(registry.myRegGetString(RegRoot::currentUser, kBase, L"Long", L"d"), L"d");
  // 512 Japanese characters are 1024 bytes in the code page: with the NUL
  // they no longer fit.
  ASSERT_TRUE(registry.myRegSetString(RegRoot::currentUser, kBase, L"Wide", std::wstring(512, L'壁')));
  EXPECT_EQ(registry.myRegGetString(RegRoot::currentUser, kBase, L"Wide", L"d"), L"d");
}

TEST_F(RegistryRoutines, ValuesOfOtherTypesAreReadAsTextWithoutHarm) {
  ASSERT_TRUE(registry.myRegSetString(RegRoot::currentUser, kBase + L"\\Option", L"x", L"x"));
  win::UniqueKey key;
  ASSERT_EQ(RegOpenKeyW(HKEY_CURRENT_USER, (kBase + L"\\Option").c_str(), key.put()), ERROR_SUCCESS);
  const DWORD fifteen = 15;
  RegSetValueExW(key.get(), L"DragTate", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&fifteen), sizeof fifteen);
  std::vector<BYTE> noNul(1024, 'z');
  RegSetValueExW(key.get(), L"Full", 0, REG_BINARY, noNul.data(), static_cast<DWORD>(noNul.size()));
  // A full buffer without a NUL is the whole text.
  EXPECT_EQ(registry.myRegGetString(RegRoot::currentUser, kBase + L"\\Option", L"Full", L"d"),
            std::wstring(1024, L'z'));
  // A number stored as a DWORD is no number text: the reader's conversion
  // reports a type mismatch instead of using the bytes.
  SettingsStore store(registry, kBase);
  try {
    store.int16(value::dragTate);
    FAIL() << "a DWORD value converted";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::typeMismatch);
  }
}

TEST_F(RegistryRoutines, DeletingAKeyTakesItsSubkeysAlong) {
  ASSERT_TRUE(registry.myRegSetString(RegRoot::currentUser, kBase + L"\\WallList\\Deep\\Deeper", L"v", L"1"));
  ASSERT_TRUE(registry.myRegSetString(RegRoot::currentUser, kBase + L"\\WallList\\Other", L"v", L"1"));
  ASSERT_TRUE(registry.myRegSetString(RegRoot::currentUser, kBase + L"\\Option", L"v", L"1"));
  EXPECT_TRUE(registry.myRegDeleteKey(kBase + L"\\WallList"));
  EXPECT_FALSE(registry.myRegKeyExists(kBase, L"\\WallList"));
  EXPECT_TRUE(registry.myRegKeyExists(kBase, L"\\Option"));
}

TEST_F(RegistryRoutines, DeletingAMissingKeyReportsFalse) {
  EXPECT_FALSE(registry.myRegDeleteKey(kBase + L"\\Nothing"));
  EXPECT_FALSE(registry.myRegKeyExists(kBase, L"\\Nothing"));
}

TEST_F(RegistryRoutines, ClassesRootIsReadable) {
  // Every system describes the text file class; the empty value name is
  // the key's default value.
  const std::wstring description = registry.myRegGetString(RegRoot::classesRoot, L"txtfile", L"", L"TXT");
  EXPECT_NE(description, L"TXT");
  EXPECT_FALSE(description.empty());
}

}  // namespace
}  // namespace rivano
