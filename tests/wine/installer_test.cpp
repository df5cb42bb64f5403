// The setup program as a user runs it: made from the build by
// installer_package.sh, installed silently into the test prefix, the
// program run from where it went, and taken away by its own uninstaller.
//
// Faithful to Windows: the setup program and its uninstaller are the real
// programs, run by Wine as Windows runs them; the folders are those the
// shell reports for the user (local application data, Start menu,
// Startup); the links are read back through the shell's own link object,
// as the logon reads them; the entry among the installed programs is read
// from the registry, where Windows' list of programs reads it.
// What it cannot show: the elevation prompt Windows would or would not
// show (Wine has none; installer_package.sh checks the manifest that asks
// for none instead), Windows' own list of programs drawing the entry, and
// the Explorer's logon running the Startup link by itself (the test runs
// the link's target with its arguments, as the logon does).
#include <gtest/gtest.h>
#include <windows.h>

#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "engine/pixel_image.h"
#include "platform/file_system.h"
#include "platform/shell_link.h"
#include "tests/wine/program_settings.h"
#include "tests/wine/test_support.h"

namespace rivano {
namespace {

using testing::RunningProgram;
using testing::waitUntil;

const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Rivano";
const std::wstring kDesktopKey = L"Control Panel\\desktop";
constexpr DWORD kPatience = 60000;

const std::set<std::wstring> kProgramFiles = {
    L"Rivano.exe", L"unlha32.dll", L"unzip32.dll",   L"unarj32j.dll",  L"tar32.dll",
    L"cab32.dll",  L"unrar32.dll", L"Readme-ja.txt", L"Readme-en.txt",
};

std::wstring shellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return path;
}

// The names in a folder; empty when the folder does not exist.
std::set<std::wstring> namesIn(const std::wstring& folder) {
  std::set<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.insert(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// The setup program the fixture made (its name carries the version).
std::wstring setupProgram() {
  const std::wstring folder = testing::linuxPath(RIVANO_INSTALLER_DIR);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\Rivano-*-setup.exe").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return {};
  FindClose(search);
  return folder + L"\\" + found.cFileName;
}

bool keyExists(HKEY root, const std::wstring& path) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::uint64_t fileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

class Installer : public ::testing::Test, protected testing::ProgramSettings {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    setup = setupProgram();
    ASSERT_FALSE(setup.empty()) << "no setup program (installer_package makes it)";
    localData = shellFolder(CSIDL_LOCAL_APPDATA);
    install = localData + L"\\Programs\\Rivano";
    startMenuLink = shellFolder(CSIDL_PROGRAMS) + L"\\Rivano.lnk";
    startupLink = shellFolder(CSIDL_STARTUP) + L"\\Rivano.lnk";
    desktopLink = shellFolder(CSIDL_DESKTOPDIRECTORY) + L"\\Rivano.lnk";
    registry.deleteKey(testing::kProgramKey);
    for (const auto& link : {startMenuLink, startupLink, desktopLink}) DeleteFileW(link.c_str());
    // A bitmap an earlier quiet uninstall kept.
    DeleteFileW((install + L"\\Rivano.bmp").c_str());
    DeleteFileW((localData + L"\\Rivano\\Rivano.bmp").c_str());
    runToTheEnd(setup, L"/S");
    ASSERT_TRUE(win::fileExists(program())) << "the silent setup installed nothing";
  }
  void TearDown() override {
    if (win::fileExists(install + L"\\uninstall.exe")) uninstall(L"/S /ERASESETTINGS", {});
    registry.deleteKey(testing::kProgramKey);
    CoUninitialize();
  }

  std::wstring program() const { return install + L"\\Rivano.exe"; }

  void runToTheEnd(const std::wstring& exe, const std::wstring& arguments) {
    RunningProgram run(exe, arguments);
    ASSERT_TRUE(run.started()) << testing::narrow(exe);
    ASSERT_TRUE(run.waitForExit(kPatience)) << testing::narrow(exe) << " did not end";
  }

  // The uninstaller hands its work to a copy of itself outside the folder
  // it removes and ends at once; the entry among the programs goes last
  // but for the folder, so the work is done when the entry is gone and the
  // folder holds what was to stay.
  void uninstall(const std::wstring& arguments, const std::set<std::wstring>& staying) {
    runToTheEnd(install + L"\\uninstall.exe", arguments);
    EXPECT_TRUE(waitUntil(
        [&] { return !keyExists(HKEY_CURRENT_USER, kUninstallKey) && namesIn(install) == staying; },
        kPatience))
        << "left in the folder: " << namesIn(install).size() << " names";
  }

  std::wstring entry(const std::wstring& name) {
    return registry.readText(kUninstallKey, name, L"<missing>");
  }
  DWORD entryNumber(const wchar_t* name) {
    DWORD value = 0xFFFFFFFF;
    DWORD size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, kUninstallKey.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
  }

  // A source of one picture, applied by the Startup link the setup made,
  // as the logon runs it. Returns the bitmap the desktop now shows.
  std::wstring logonRunFromTheStartupLink(const testing::TempFolder& pictures) {
    const std::wstring picture = pictures.path() + L"red.gif";
    EXPECT_TRUE(CopyFileW((testing::pictureDir() + L"red_64x48.gif").c_str(), picture.c_str(), FALSE));
    registerSources({{pictures.path().substr(0, pictures.path().size() - 1), true}});
    put(kDesktopKey, L"Wallpaper", L"untouched");
    const auto link = win::readShellLink(startupLink);
    if (!link) {
      ADD_FAILURE() << "no Startup link";
      return {};
    }
    RunningProgram run(link->target, link->arguments.value_or(L""));
    EXPECT_TRUE(run.started());
    EXPECT_TRUE(run.waitForExit(kPatience)) << "the logon run did not end";
    return get(kDesktopKey, L"Wallpaper");
  }

  std::wstring setup, localData, install, startMenuLink, startupLink, desktopLink;
};

TEST_F(Installer, SilentSetupInstallsTheFilesTheLinksAndTheEntryForTheUserAlone) {
  std::set<std::wstring> expected = kProgramFiles;
  expected.insert(L"uninstall.exe");
  EXPECT_EQ(namesIn(install), expected);

  // The Startup link is the one the options dialog makes with "/S".
  const auto startup = win::readShellLink(startupLink);
  ASSERT_TRUE(startup.has_value()) << "no Rivano.lnk in the Startup folder";
  EXPECT_EQ(startup->target, program());
  EXPECT_EQ(startup->arguments, L"/S");
  EXPECT_EQ(startup->workingFolder, install);
  EXPECT_EQ(startup->iconFile, program());
  EXPECT_EQ(startup->showCommand, SW_SHOWNORMAL);
  // The Start menu link opens the window.
  const auto menu = win::readShellLink(startMenuLink);
  ASSERT_TRUE(menu.has_value()) << "no Rivano.lnk in the Start menu";
  EXPECT_EQ(menu->target, program());
  EXPECT_EQ(menu->arguments, L"");
  EXPECT_EQ(menu->workingFolder, install);

  EXPECT_EQ(entry(L"DisplayName"), L"Rivano");
  EXPECT_EQ(entry(L"DisplayVersion"), L"2.05.0269");
  EXPECT_EQ(entry(L"Publisher"), L"Velmorat");
  EXPECT_EQ(entry(L"DisplayIcon"), program());
  EXPECT_EQ(entry(L"InstallLocation"), install);
  EXPECT_EQ(entry(L"UninstallString"), L"\"" + install + L"\\uninstall.exe\"");
  EXPECT_EQ(entry(L"QuietUninstallString"), L"\"" + install + L"\\uninstall.exe\" /S");
  std::uint64_t bytes = 0;
  for (const auto& name : kProgramFiles) bytes += fileSize(install + L"\\" + name);
  EXPECT_EQ(entryNumber(L"EstimatedSize"), (bytes + 1023) / 1024);
  EXPECT_EQ(entryNumber(L"NoModify"), 1u);
  EXPECT_EQ(entryNumber(L"NoRepair"), 1u);
  EXPECT_FALSE(keyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(Installer, InstalledProgramMakesTheWallpaperFromTheStartupLink) {
  testing::TempFolder pictures(L"installed");
  const std::wstring wallpaper = logonRunFromTheStartupLink(pictures);
  // Its own folder when it can write there, else the user's local data.
  EXPECT_TRUE(wallpaper == install + L"\\Rivano.bmp" || wallpaper == localData + L"\\Rivano\\Rivano.bmp")
      << testing::narrow(wallpaper);
  const auto written = decodeBmp(testing::readFileBytes(wallpaper));
  ASSERT_TRUE(written.has_value()) << "no bitmap where the desktop points";
  EXPECT_EQ(written->width, 64);
  EXPECT_EQ(written->height, 48);
  EXPECT_EQ(written->at(32, 24), 0xFF0000u);
}

TEST_F(Installer, QuietUninstallTakesTheProgramAndItsLinksAndKeepsTheSettingsAndTheWallpaper) {
  testing::TempFolder pictures(L"uninstalled");
  const std::wstring wallpaper = logonRunFromTheStartupLink(pictures);
  ASSERT_TRUE(win::fileExists(wallpaper));
  // A leftover extraction folder, the options dialog's desktop link to this
  // copy, and another copy's link in the Startup folder.
  ASSERT_TRUE(CreateDirectoryW((install + L"\\UnPakTmp").c_str(), nullptr));
  testing::writeFileBytes(install + L"\\UnPakTmp\\m.bmp", {'B', 'M'});
  win::ShellLinkFields ours;
  ours.target = program();
  ours.iconFile = ours.target;
  ASSERT_EQ(win::saveShellLink(desktopLink, ours), S_OK);

  // Run as the list of programs runs it.
  const std::wstring quiet = entry(L"QuietUninstallString");
  const std::wstring suffix = L"\" /S";
  ASSERT_TRUE(quiet.starts_with(L"\"") && quiet.ends_with(suffix)) << testing::narrow(quiet);
  ASSERT_EQ(quiet.substr(1, quiet.size() - 1 - suffix.size()), install + L"\\uninstall.exe");
  const bool bitmapInFolder = wallpaper == install + L"\\Rivano.bmp";
  uninstall(L"/S", bitmapInFolder ? std::set<std::wstring>{L"Rivano.bmp"} : std::set<std::wstring>{});

  for (const auto& link : {startupLink, startMenuLink, desktopLink})
    EXPECT_FALSE(win::fileExists(link)) << testing::narrow(link);
  EXPECT_FALSE(win::directoryExists(install + L"\\UnPakTmp"));
  // The desktop still shows it at the next logon, and a new install finds
  // the user's sources.
  EXPECT_TRUE(win::fileExists(wallpaper));
  EXPECT_EQ(get(kDesktopKey, L"Wallpaper"), wallpaper);
  EXPECT_EQ(get(testing::kWallList, L"LSelect1"), L"True");
}

TEST_F(Installer, UninstallLeavesTheLinksOfAnotherCopy) {
  win::ShellLinkFields other;
  other.target = L"C:\\Tools\\Rivano\\Rivano.exe";
  other.iconFile = other.target;
  other.arguments = L"/S";
  ASSERT_EQ(win::saveShellLink(startupLink, other), S_OK);
  ASSERT_EQ(win::saveShellLink(desktopLink, other), S_OK);
  uninstall(L"/S", {});
  EXPECT_FALSE(win::fileExists(startMenuLink));
  for (const auto& link : {startupLink, desktopLink}) {
    const auto kept = win::readShellLink(link);
    ASSERT_TRUE(kept.has_value()) << testing::narrow(link);
    EXPECT_EQ(kept->target, other.target);
    DeleteFileW(link.c_str());
  }
}

TEST_F(Installer, UninstallAskedToEraseTheSettingsTakesThemAndTheBitmapsEverywhere) {
  testing::TempFolder pictures(L"erased");
  const std::wstring wallpaper = logonRunFromTheStartupLink(pictures);
  ASSERT_TRUE(win::fileExists(wallpaper));
  ASSERT_TRUE(keyExists(HKEY_CURRENT_USER, testing::kProgramKey));
  // What a run that could not write its own folder leaves.
  const std::wstring data = localData + L"\\Rivano";
  CreateDirectoryW(data.c_str(), nullptr);
  CreateDirectoryW((data + L"\\UnPakTmp").c_str(), nullptr);
  testing::writeFileBytes(data + L"\\Rivano.bmp", {'B', 'M'});
  testing::writeFileBytes(data + L"\\UnPakTmp\\m.bmp", {'B', 'M'});

  uninstall(L"/S /ERASESETTINGS", {});
  EXPECT_FALSE(win::directoryExists(install));
  EXPECT_FALSE(win::directoryExists(data));
  EXPECT_FALSE(keyExists(HKEY_CURRENT_USER, testing::kProgramKey));
  EXPECT_FALSE(win::fileExists(startupLink));
}

TEST_F(Installer, UninstallKeepsAnotherFileTheUserPutInTheFolder) {
  testing::writeFileBytes(install + L"\\メモ.txt", {'x'});
  uninstall(L"/S /ERASESETTINGS", {L"メモ.txt"});
  DeleteFileW((install + L"\\メモ.txt").c_str());
  RemoveDirectoryW(install.c_str());
}

}  // namespace
}  // namespace rivano
