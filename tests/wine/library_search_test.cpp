// Libraries planted where a program might look for them are never loaded.
// The planted library is the test's own: it leaves a marker file beside
// itself when anything loads it.
//
// Why this is faithful to Windows: Windows takes only its "known DLLs"
// (kernel32, user32, shell32, ole32, comdlg32, imm32, ...) from the system
// folder whatever the search says; any other name, version.dll among them,
// is looked for first in the folder of the program file, then in the system
// folders, the current folder and the PATH, and the first file found is
// loaded. Wine by default prefers its own built-in copy of a library it has
// wherever a file of that name lies, which would hide the fault; the
// override "native first" for that one name (as WINEDLLOVERRIDES sets it)
// makes Wine search the folders as Windows does and load the first file it
// finds. Wine's own user32, unlike Windows', imports version.dll, so under
// that override any program with windows, Rivano.exe too, takes a planted
// version.dll at its start, before a line of its own runs. The version
// library is therefore loaded by a small program that does what Rivano does
// (its delayed binding, its start-up limit on the search) and imports
// nothing that brings in the version library first. The archiver libraries
// have no built-in copy, so Wine searches for them as Windows does, and the
// real program is run.
#include "tests/wine/main_window_fixture.h"

#include "platform/unique_handle.h"

namespace rivano {
namespace {

// An environment variable of this process, and so of the programs it
// starts, put back on destruction.
class ScopedVariable {
 public:
  ScopedVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t old[32767];
    const DWORD n = GetEnvironmentVariableW(name, old, 32767);
    had_ = n > 0 && n < 32767;
    if (had_) old_.assign(old, n);
    SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedVariable() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const wchar_t* name_;
  std::wstring old_;
  bool had_ = false;
};

std::wstring environment(const wchar_t* name) {
  wchar_t value[32767];
  const DWORD n = GetEnvironmentVariableW(name, value, 32767);
  return n > 0 && n < 32767 ? std::wstring(value, n) : std::wstring();
}

constexpr const wchar_t* kHostName = L"library_search_host.exe";

// While it lives, the host program takes a library ("version", "cabinet")
// from the first
// file the folders' search finds, before Wine's built-in one. Set for the
// host alone in the prefix's Wine settings: Wine reads WINEDLLOVERRIDES
// only from the environment it was started in, not from one a Windows
// program hands to its child.
class NativeFirst {
 public:
  explicit NativeFirst(const wchar_t* library) : library_(library) {
    win::UniqueKey key;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    const std::wstring order = L"native,builtin";
    RegSetValueExW(key.get(), library_, 0, REG_SZ, reinterpret_cast<const BYTE*>(order.c_str()),
                   static_cast<DWORD>((order.size() + 1) * sizeof(wchar_t)));
  }
  ~NativeFirst() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, library_);
    RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\library_search_host.exe");
  }
  NativeFirst(const NativeFirst&) = delete;
  NativeFirst& operator=(const NativeFirst&) = delete;

 private:
  const wchar_t* library_;
  static constexpr const wchar_t* kKey = L"Software\\Wine\\AppDefaults\\library_search_host.exe\\DllOverrides";
};

// Runs a program to its end; its exit code, or -1.
int runToEnd(const std::wstring& exe, const std::wstring& arguments) {
  std::wstring line = L"\"" + exe + L"\" " + arguments;
  const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\'));
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
    return -1;
  win::UniqueKernelHandle process(pi.hProcess);
  win::UniqueKernelHandle thread(pi.hThread);
  if (WaitForSingleObject(process.get(), kPatience) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 1);
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  return static_cast<int>(code);
}

// Copies the planted library to `path`; the path of its marker.
std::wstring plant(const std::wstring& path) {
  EXPECT_TRUE(CopyFileW(testing::linuxPath(RIVANO_PLANTED_LIBRARY).c_str(), path.c_str(), FALSE))
      << testing::narrow(path);
  return path + L".loaded";
}

class LibrarySearch : public MainWindow {
 protected:
  // The host program with a version.dll planted beside it; the marker.
  std::wstring plantBesideHost() {
    host = hostFolder.path() + kHostName;
    EXPECT_TRUE(CopyFileW(testing::linuxPath(RIVANO_LIBRARY_SEARCH_HOST).c_str(), host.c_str(), FALSE));
    return plant(hostFolder.path() + L"version.dll");
  }

  TempFolder hostFolder{L"host"};
  std::wstring host;
};

// Without this the other tests would pass for a library that never leaves
// its marker, or a host that never loads it.
TEST_F(LibrarySearch, ThePlantedLibraryLeavesItsMarkerWhenLoadedByName) {
  const std::wstring marker = plant(folder.path() + L"probe.dll");
  ASSERT_FALSE(win::fileExists(marker));
  win::UniqueModule module(LoadLibraryW((folder.path() + L"probe.dll").c_str()));
  ASSERT_TRUE(module);
  EXPECT_TRUE(win::fileExists(marker));
  // What the program's loads must not do: a search by name from the
  // program's folder on, under the override, takes the planted file.
  const std::wstring hostMarker = plantBesideHost();
  NativeFirst override(L"version");
  EXPECT_EQ(runToEnd(host, L"plain"), 0);
  EXPECT_TRUE(win::fileExists(hostMarker)) << "the override did not make the search reach the program's folder";
}

TEST_F(LibrarySearch, TheVersionFunctionsBindToTheSystemLibraryNotOneBesideTheProgram) {
  const std::wstring marker = plantBesideHost();
  NativeFirst override(L"version");
  EXPECT_EQ(runToEnd(host, L"delayed"), 0) << "no version library was loaded";
  EXPECT_FALSE(win::fileExists(marker)) << "the planted version.dll was loaded";
}

// What the system's own libraries load by name on the program's behalf.
TEST_F(LibrarySearch, AfterTheStartUpLimitALoadByNameSkipsTheProgramsFolder) {
  const std::wstring marker = plantBesideHost();
  NativeFirst override(L"version");
  EXPECT_EQ(runToEnd(host, L"restricted"), 0) << "no version library was loaded";
  EXPECT_FALSE(win::fileExists(marker)) << "the planted version.dll was loaded";
}

// The cabinet library reads cabinets through the system's cabinet.dll,
// which it loads by name when it first needs it: from inside whatever
// program loaded it, the folder of that program would come first.
TEST_F(LibrarySearch, TheCabinetLibraryTakesTheSystemsCabinetDllNotOneBesideTheProgram) {
  host = hostFolder.path() + kHostName;
  ASSERT_TRUE(CopyFileW(testing::linuxPath(RIVANO_LIBRARY_SEARCH_HOST).c_str(), host.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((testing::binDir() + L"cab32.dll").c_str(), (hostFolder.path() + L"cab32.dll").c_str(), FALSE));
  const std::wstring marker = plant(hostFolder.path() + L"cabinet.dll");
  const std::wstring cabinet = hostFolder.path() + L"pictures.cab";
  testing::writeFileBytes(cabinet, {'M', 'S', 'C', 'F', 0, 0, 0, 0, 60, 0, 0, 0, 0, 0, 0, 0});
  NativeFirst override(L"cabinet");
  EXPECT_EQ(runToEnd(host, L"cabinet \"" + cabinet + L"\""), 0) << "cabinet.dll was not loaded";
  EXPECT_FALSE(win::fileExists(marker)) << "the planted cabinet.dll was loaded";
}

// A library the program's folder lacks is not looked for anywhere else:
// the search by name would go on to the current folder and the PATH.
TEST_F(LibrarySearch, AnArchiverLibraryMissingBesideTheProgramIsNotTakenFromThePath) {
  ASSERT_TRUE(DeleteFileW((folder.path() + L"unlha32.dll").c_str()));
  TempFolder elsewhere{L"planted"};
  const std::wstring marker = plant(elsewhere.path() + L"unlha32.dll");
  const std::wstring archive = folder.path() + L"pictures.lzh";
  testing::writeFileBytes(archive, {'-', 'l', 'h', '0', '-'});
  registerSources({{archive, true}});
  ScopedVariable path(L"PATH", elsewhere.path() + L";" + environment(L"PATH"));
  RunningProgram logon(exe, L"/S");
  ASSERT_TRUE(logon.started());
  EXPECT_TRUE(logon.waitForExit(kPatience));
  EXPECT_FALSE(win::fileExists(marker)) << "unlha32.dll was taken from the PATH";
}

}  // namespace
}  // namespace rivano
