// The six archiver libraries as the program uses them: loaded by name,
// functions found by their exported names, archives listed into the
// 558-byte record and single members extracted by command line.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <tuple>

#include "archivers/core/member_record.h"
#include "tests/archivers/test_support.h"

namespace rivano::arc::test {
namespace {

using GetVersionFn = WORD(WINAPI*)();
using CommandFn = int(WINAPI*)(HWND, LPCSTR, LPSTR, DWORD);
using OpenFn = HANDLE(WINAPI*)(HWND, LPCSTR, DWORD);
using FindFirstFn = int(WINAPI*)(HANDLE, LPCSTR, MemberInfo*);
using FindNextFn = int(WINAPI*)(HANDLE, MemberInfo*);
using CloseFn = int(WINAPI*)(HANDLE);

template <typename T>
T function(HMODULE module, const std::string& name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(module, name.c_str())));
}

struct Library {
  HMODULE module = nullptr;
  GetVersionFn getVersion = nullptr;
  CommandFn command = nullptr;
  OpenFn open = nullptr;
  FindFirstFn findFirst = nullptr;
  FindNextFn findNext = nullptr;
  CloseFn close = nullptr;

  Library(const char* file, const std::string& prefix) {
    module = LoadLibraryA(file);
    if (module == nullptr) return;
    getVersion = function<GetVersionFn>(module, prefix + "GetVersion");
    command = function<CommandFn>(module, prefix);
    open = function<OpenFn>(module, prefix + "OpenArchive");
    findFirst = function<FindFirstFn>(module, prefix + "FindFirst");
    findNext = function<FindNextFn>(module, prefix + "FindNext");
    close = function<CloseFn>(module, prefix + "CloseArchive");
  }
  ~Library() {
    if (module != nullptr) FreeLibrary(module);
  }
  bool complete() const { return getVersion && command && open && findFirst && findNext && close; }
};

struct Listed {
  std::string name;
  std::uint32_t size;
  std::uint16_t date;
  std::string attributes;
};

// Lists as the program does: FindFirst "*.*", FindNext while 0, always close.
std::vector<Listed> listArchive(const Library& lib, const std::string& path, int& last) {
  std::vector<Listed> out;
  HANDLE h = lib.open(nullptr, path.c_str(), 0);
  MemberInfo info;
  for (last = lib.findFirst(h, "*.*", &info); last == 0; last = lib.findNext(h, &info)) {
    out.push_back({info.fileName, info.originalSize, info.date, std::string(info.attribute, 4)});
  }
  lib.close(h);
  return out;
}

const Listed* find(const std::vector<Listed>& listed, const std::string& name) {
  for (const Listed& l : listed) {
    if (l.name == name) return &l;
  }
  return nullptr;
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// A fresh folder under the temporary folder, removed with its content.
class TempFolder {
 public:
  TempFolder() {
    char base[MAX_PATH] = {}, name[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    GetTempFileNameA(base, "rvt", 0, name);
    DeleteFileA(name);
    CreateDirectoryA(name, nullptr);
    path_ = name;
  }
  ~TempFolder() { remove(path_); }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& child) const { return path_ + "\\" + child; }

  static std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      if (std::strcmp(data.cFileName, ".") != 0 && std::strcmp(data.cFileName, "..") != 0) {
        names.push_back(data.cFileName);
      }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
  }

 private:
  static void remove(const std::string& folder) {
    for (const std::string& name : entries(folder)) {
      const std::string child = folder + "\\" + name;
      if (GetFileAttributesA(child.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
        remove(child);
      } else {
        DeleteFileA(child.c_str());
      }
    }
    RemoveDirectoryA(folder.c_str());
  }
  std::string path_;
};

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string fileText(const std::string& path) {
  const std::vector<std::uint8_t> bytes = readFile(path);
  return std::string(bytes.begin(), bytes.end());
}

const std::string kHyoushi = "\x95\x5c\x8e\x86.bmp";  // 表紙.bmp, trail byte 0x5C

struct LibraryName {
  const char* file;
  const char* prefix;
};
const LibraryName kLibraries[] = {{"unlha32.dll", "Unlha"}, {"unzip32.dll", "UnZip"}, {"unarj32j.dll", "Unarj"},
                                  {"tar32.dll", "Tar"},     {"cab32.dll", "Cab"},     {"unrar32.dll", "Unrar"}};

TEST(ArchiverLibraries, AllSixLoadByNameAndExportTheInterface) {
  for (const LibraryName& name : kLibraries) {
    Library lib(name.file, name.prefix);
    ASSERT_NE(lib.module, nullptr) << name.file;
    EXPECT_TRUE(lib.complete()) << name.file;
    EXPECT_EQ(lib.getVersion(), 100) << name.file;
    // Undecorated names only: no stdcall "@n" spellings leak out.
    EXPECT_EQ(GetProcAddress(lib.module, (std::string(name.prefix) + "GetVersion@0").c_str()), nullptr);
  }
}

TEST(ArchiverLibraries, AMissingLibraryIsACleanLoadFailure) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA("rivano_missing_arc32.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

struct ListCase {
  LibraryName library;
  const char* archive;
  bool hasShiftJis;
};

class Listing : public ::testing::TestWithParam<ListCase> {};

TEST_P(Listing, FillsTheRecordAsTheProgramReadsIt) {
  const ListCase& c = GetParam();
  Library lib(c.library.file, c.library.prefix);
  ASSERT_TRUE(lib.complete());
  int last = 0;
  const std::vector<Listed> listed = listArchive(lib, fixturePath(c.archive), last);
  EXPECT_EQ(last, -1);
  const Listed* picture = find(listed, "photos\\a.JPG");
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->size, 9000u);
  EXPECT_EQ(picture->attributes, "---A");
  ASSERT_NE(find(listed, "size1234.txt"), nullptr);
  EXPECT_EQ(find(listed, "size1234.txt")->size, 1234u);
  ASSERT_NE(find(listed, "old.jpg"), nullptr);
  EXPECT_EQ(find(listed, "old.jpg")->date, (19 << 9) | (3 << 5) | 7);
  EXPECT_NE(find(listed, "README"), nullptr);  // "*.*" matches names without a dot
  if (c.hasShiftJis) {
    EXPECT_NE(find(listed, kHyoushi), nullptr);
  }
}

INSTANTIATE_TEST_SUITE_P(Made, Listing,
                         ::testing::Values(ListCase{{"unzip32.dll", "UnZip"}, "pics.zip", true},
                                           ListCase{{"tar32.dll", "Tar"}, "pics_gnu.tar", true},
                                           ListCase{{"tar32.dll", "Tar"}, "pics.tgz", true},
                                           ListCase{{"cab32.dll", "Cab"}, "pics.cab", false},
                                           ListCase{{"unrar32.dll", "Unrar"}, "pics.rar", true},
                                           ListCase{{"unrar32.dll", "Unrar"}, "pics5.rar", true}));

struct ExtractCase {
  LibraryName library;
  const char* switches;
  const char* archive;
  const char* member;
  const char* input;  // the file it was made from, under fixtures/in
};

class Extraction : public ::testing::TestWithParam<ExtractCase> {};

TEST_P(Extraction, WritesTheOneMemberUnderTheDestination) {
  const ExtractCase& c = GetParam();
  Library lib(c.library.file, c.library.prefix);
  ASSERT_TRUE(lib.complete());
  TempFolder temp;
  const std::string line = std::string(c.switches) + " " + quoted(fixturePath(c.archive)) + " " +
                           quoted(temp.path() + "\\") + " " + quoted(c.member);
  char output[1] = {'\0'};
  ASSERT_EQ(lib.command(nullptr, line.c_str(), output, 0), 0) << line;
  EXPECT_EQ(output[0], '\0');  // size 0: nothing written
  const std::string target = temp / c.member;
  ASSERT_TRUE(exists(target)) << target;
  EXPECT_EQ(fileText(target), fileText(fixtureInput(c.input)));
}

INSTANTIATE_TEST_SUITE_P(
    Made, Extraction,
    ::testing::Values(ExtractCase{{"unzip32.dll", "UnZip"}, "-x -o", "pics.zip", "photos\\a.JPG", "photos/a.JPG"},
                      ExtractCase{{"unzip32.dll", "UnZip"}, "-x -o", "streamed.zip", "size1234.txt", "size1234.txt"},
                      ExtractCase{{"unzip32.dll", "UnZip"}, "-x -o", "pics.zip", "\x95\x5c\x8e\x86.bmp", "\x95\x5c\x8e\x86.bmp"},
                      ExtractCase{{"tar32.dll", "Tar"}, "xvf", "pics_gnu.tar", "photos\\old\\c.BMP", "photos/old/c.BMP"},
                      ExtractCase{{"tar32.dll", "Tar"}, "xvf", "pics.tgz", "photos\\a.JPG", "photos/a.JPG"},
                      ExtractCase{{"tar32.dll", "Tar"}, "xvf", "pics_pax.tar", "old.jpg", "old.jpg"},
                      ExtractCase{{"cab32.dll", "Cab"}, "-x -o", "pics.cab", "photos\\a.JPG", "photos/a.JPG"},
                      ExtractCase{{"cab32.dll", "Cab"}, "-x -o", "stored.cab", "size1234.txt", "size1234.txt"},
                      ExtractCase{{"unrar32.dll", "Unrar"}, "-x", "pics.rar", "photos\\old\\c.BMP", "photos/old/c.BMP"},
                      ExtractCase{{"unrar32.dll", "Unrar"}, "-x", "pics5.rar", "photos\\a.JPG", "photos/a.JPG"},
                      ExtractCase{{"unrar32.dll", "Unrar"}, "-x", "pics5.rar", "\x95\x5c\x8e\x86.bmp",
                                  "\x95\x5c\x8e\x86.bmp"}));

TEST(ArchiverLibraries, AFolderEntryExtractsAsAFolder) {
  Library lib("tar32.dll", "Tar");
  TempFolder temp;
  const std::string line = "xvf " + quoted(fixturePath("pics_gnu.tar")) + " " + quoted(temp.path() + "\\") + " \"photos\\old\\\"";
  ASSERT_EQ(lib.command(nullptr, line.c_str(), nullptr, 0), 0);
  const DWORD attributes = GetFileAttributesA((temp / "photos\\old").c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(TempFolder::entries(temp / "photos\\old").empty());
}

// Writes `bytes` as an archive file in `temp` and returns its path.
std::string archiveFile(const TempFolder& temp, const std::string& name, const std::vector<std::uint8_t>& bytes) {
  const std::string path = temp / name;
  writeFile(path, bytes);
  return path;
}

TEST(ArchiverLibraries, Utf8NamesArriveInTheAnsiCodePage) {
  if (GetACP() != 932) GTEST_SKIP() << "needs the Japanese ANSI code page (LANG=ja_JP.UTF-8 under Wine)";
  TestMember member{"photos/\xe8\xa1\xa8\xe7\xb4\x99.bmp", "BM picture"};  // photos/表紙.bmp in UTF-8
  member.utf8Flag = true;
  TempFolder temp;
  const std::string zip = archiveFile(temp, "utf8.zip", storedZip({member}));
  Library lib("unzip32.dll", "UnZip");
  int last = 0;
  const std::vector<Listed> listed = listArchive(lib, zip, last);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].name, "photos\\" + kHyoushi);
  const std::string line = "-x -o " + quoted(zip) + " " + quoted(temp / "out\\") + " " + quoted(listed[0].name);
  CreateDirectoryA((temp / "out").c_str(), nullptr);
  ASSERT_EQ(lib.command(nullptr, line.c_str(), nullptr, 0), 0);
  EXPECT_EQ(fileText(temp / ("out\\photos\\" + kHyoushi)), "BM picture");
}

// A Unix writer that left every attribute bit set: the member is still a
// file, shown as an archived file, and extracts with its bytes.
TEST(ArchiverLibraries, AUnixMemberWithGarbageAttributesIsAFile) {
  TestMember garbage{"photos/garbage.jpg", "\xFF\xD8\xFF\xE0 JFIF picture bytes"};
  garbage.madeBy = 3 << 8 | 30;
  garbage.externalAttributes = 0xFFFFFFFF;
  TestMember readOnly{"readonly.jpg", "\xFF\xD8 read-only picture"};
  readOnly.madeBy = 3 << 8 | 30;
  readOnly.externalAttributes = 0100444u << 16;
  TempFolder temp;
  const std::string zip = archiveFile(temp, "unix.zip", storedZip({garbage, readOnly}));
  Library lib("unzip32.dll", "UnZip");
  ASSERT_TRUE(lib.complete());
  int last = 0;
  const std::vector<Listed> listed = listArchive(lib, zip, last);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[0].name, "photos\\garbage.jpg");
  EXPECT_EQ(listed[0].attributes, "---A");
  EXPECT_EQ(listed[1].attributes, "R--A");
  CreateDirectoryA((temp / "out").c_str(), nullptr);
  const std::string line = "-x -o " + quoted(zip) + " " + quoted(temp / "out\\") + " " + quoted(listed[0].name);
  ASSERT_EQ(lib.command(nullptr, line.c_str(), nullptr, 0), 0);
  const std::string target = temp / "out\\photos\\garbage.jpg";
  const DWORD attributes = GetFileAttributesA(target.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(fileText(target), garbage.data);
}

// Archive and destination paths in Shift_JIS, with a 0x5C trail byte right
// before the final separator of the destination.
TEST(ArchiverLibraries, ShiftJisPathsOpenAndExtract) {
  if (GetACP() != 932) GTEST_SKIP() << "needs the Japanese ANSI code page";
  TempFolder temp;
  const std::string folder = temp / "\x95\x5c";  // 表
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string zip = folder + "\\" + kHyoushi.substr(0, 4) + ".zip";  // 表紙.zip
  writeFile(zip, readFile(fixturePath("pics.zip")));
  Library lib("unzip32.dll", "UnZip");
  int last = 0;
  EXPECT_EQ(listArchive(lib, zip, last).size(), 10u);
  const std::string line = "-x -o " + quoted(zip) + " " + quoted(folder + "\\") + " \"photos\\a.JPG\"";
  ASSERT_EQ(lib.command(nullptr, line.c_str(), nullptr, 0), 0);
  EXPECT_EQ(fileText(folder + "\\photos\\a.JPG"), fileText(fixtureInput("photos/a.JPG")));
}

struct HostileCase {
  LibraryName library;
  const char* switches;
  std::vector<std::uint8_t> (*build)(const std::vector<TestMember>&);
};

class Hostile : public ::testing::TestWithParam<HostileCase> {};

// Whatever the names in the archive, nothing lands outside the destination.
TEST_P(Hostile, MembersClimbingOutOfTheDestinationAreRefused) {
  const HostileCase& c = GetParam();
  const char* evil[] = {"../evil1.jpg", "..\\evil2.jpg", "sub/../../evil3.jpg", "\\evil4.jpg", "/evil5.jpg",
                        "C:\\evil6.jpg", "C:evil7.jpg", ".. \\evil8.jpg"};
  std::vector<TestMember> members;
  for (const char* name : evil) members.push_back({name, "evil"});
  members.push_back({"ok/normal.jpg", "fine"});
  TempFolder temp;
  const std::string archive = archiveFile(temp, "hostile.bin", c.build(members));
  const std::string dest = temp / "outer\\dest";
  CreateDirectoryA((temp / "outer").c_str(), nullptr);
  CreateDirectoryA(dest.c_str(), nullptr);
  Library lib(c.library.file, c.library.prefix);
  for (const char* name : evil) {
    const std::string line = std::string(c.switches) + " " + quoted(archive) + " " + quoted(dest + "\\") + " " + quoted(name);
    EXPECT_NE(lib.command(nullptr, line.c_str(), nullptr, 0), 0) << name;
  }
  const std::string ok = std::string(c.switches) + " " + quoted(archive) + " " + quoted(dest + "\\") + " " +
                         quoted("ok\\normal.jpg");
  EXPECT_EQ(lib.command(nullptr, ok.c_str(), nullptr, 0), 0);
  EXPECT_EQ(TempFolder::entries(temp / "outer"), std::vector<std::string>{"dest"});
  EXPECT_EQ(TempFolder::entries(dest), std::vector<std::string>{"ok"});
  EXPECT_EQ(TempFolder::entries(temp.path()).size(), 2u);  // the archive and outer
  EXPECT_FALSE(exists("C:\\evil6.jpg"));
}

INSTANTIATE_TEST_SUITE_P(Readers, Hostile,
                         ::testing::Values(HostileCase{{"unzip32.dll", "UnZip"}, "-x -o", &storedZip},
                                           HostileCase{{"tar32.dll", "Tar"}, "xvf", &ustarTar}));

TEST(ArchiverLibraries, AQuoteCannotRedirectTheDestination) {
  TempFolder temp;
  const std::string evilFolder = temp / "evil";
  CreateDirectoryA(evilFolder.c_str(), nullptr);
  CreateDirectoryA((temp / "dest").c_str(), nullptr);
  // A member whose name, put between quotes, closes its token and adds a
  // destination of its own.
  const std::string trick = "a\" \"" + evilFolder + "\\\" \"b.jpg";
  const std::string zip = archiveFile(temp, "quote.zip", storedZip({{trick, "x"}, {"b.jpg", "y"}}));
  Library lib("unzip32.dll", "UnZip");
  const std::string line = "-x -o " + quoted(zip) + " " + quoted(temp / "dest\\") + " " + quoted(trick);
  EXPECT_NE(lib.command(nullptr, line.c_str(), nullptr, 0), 0);
  const std::string quotedArchive = "-x -o \"" + temp.path() + "\\x\"y.zip\" " + quoted(temp / "dest\\") + " \"b.jpg\"";
  EXPECT_NE(lib.command(nullptr, quotedArchive.c_str(), nullptr, 0), 0);
  EXPECT_TRUE(TempFolder::entries(evilFolder).empty());
  EXPECT_TRUE(TempFolder::entries(temp / "dest").empty());
}

TEST(ArchiverLibraries, ADamagedMemberLeavesNoFileBehind) {
  TestMember damaged{"bad.jpg", std::string(5000, 'p')};
  damaged.wrongCrc = true;
  TempFolder temp;
  const std::string zip = archiveFile(temp, "bad.zip", storedZip({damaged}));
  CreateDirectoryA((temp / "dest").c_str(), nullptr);
  Library lib("unzip32.dll", "UnZip");
  const std::string line = "-x -o " + quoted(zip) + " " + quoted(temp / "dest\\") + " \"bad.jpg\"";
  char output[64] = {};
  EXPECT_NE(lib.command(nullptr, line.c_str(), output, sizeof output), 0);
  EXPECT_GT(std::strlen(output), 0u);  // a message, NUL-terminated inside the buffer
  EXPECT_TRUE(TempFolder::entries(temp / "dest").empty());
}

// Folders made for a member that then fails go with it; folders that were
// there before stay, empty or not.
TEST(ArchiverLibraries, AFailedMemberTakesTheFoldersMadeForItAlong) {
  TestMember damaged{"old/new/deeper/bad.jpg", std::string(5000, 'p')};
  damaged.wrongCrc = true;
  TestMember fine{"old/good.jpg", "fine"};
  TempFolder temp;
  const std::string zip = archiveFile(temp, "bad.zip", storedZip({damaged, fine}));
  const std::string dest = temp / "dest";
  CreateDirectoryA(dest.c_str(), nullptr);
  CreateDirectoryA((dest + "\\old").c_str(), nullptr);
  Library lib("unzip32.dll", "UnZip");
  auto extract = [&](const char* member) {
    const std::string line = "-x -o " + quoted(zip) + " " + quoted(dest + "\\") + " " + quoted(member);
    return lib.command(nullptr, line.c_str(), nullptr, 0);
  };
  EXPECT_NE(extract("old\\new\\deeper\\bad.jpg"), 0);
  EXPECT_EQ(TempFolder::entries(dest), std::vector<std::string>{"old"});
  EXPECT_TRUE(TempFolder::entries(dest + "\\old").empty());
  // A good member beside it is untouched by the rule.
  EXPECT_EQ(extract("old\\good.jpg"), 0);
  EXPECT_EQ(TempFolder::entries(dest + "\\old"), std::vector<std::string>{"good.jpg"});
  EXPECT_NE(extract("old\\new\\deeper\\bad.jpg"), 0);
  EXPECT_EQ(TempFolder::entries(dest + "\\old"), std::vector<std::string>{"good.jpg"});
}

// A name whose path Windows cannot hold says so, apart from one that would
// climb out of the destination.
TEST(ArchiverLibraries, ANameTooLongForAPathIsReportedAsSuch) {
  const std::string longName = "deep/" + std::string(150, 'n') + "/" + std::string(150, 'm') + ".jpg";
  TempFolder temp;
  const std::string dest = temp / "dest";
  CreateDirectoryA(dest.c_str(), nullptr);
  for (const auto& [library, switches, archive] :
       {std::tuple{LibraryName{"unzip32.dll", "UnZip"}, "-x -o", storedZip({{longName, "x"}, {"../up.jpg", "y"}})},
        std::tuple{LibraryName{"tar32.dll", "Tar"}, "xvf", ustarTar({{longName, "x"}, {"../up.jpg", "y"}})}}) {
    SCOPED_TRACE(library.file);
    const std::string file = archiveFile(temp, "long.bin", archive);
    Library lib(library.file, library.prefix);
    std::string backslashed = longName;
    std::replace(backslashed.begin(), backslashed.end(), '/', '\\');
    const std::string member = backslashed;
    char output[128] = {};
    const std::string start = std::string(switches) + " " + quoted(file) + " " + quoted(dest + "\\") + " ";
    const std::string line = start + quoted(member);
    EXPECT_EQ(lib.command(nullptr, line.c_str(), output, sizeof output), 0x8016);
    EXPECT_NE(std::string(output).find("too long"), std::string::npos) << output;
    const std::string climbing = start + "\"..\\up.jpg\"";
    EXPECT_EQ(lib.command(nullptr, climbing.c_str(), output, sizeof output), 0x8026);
    EXPECT_TRUE(TempFolder::entries(dest).empty());
  }
}

TEST(ArchiverLibraries, FindFirstFiltersByItsWildcardAndRestarts) {
  Library lib("tar32.dll", "Tar");
  HANDLE h = lib.open(nullptr, fixturePath("pics.tgz").c_str(), 0);
  ASSERT_NE(h, nullptr);
  MemberInfo info;
  std::vector<std::string> names;
  for (int rc = lib.findFirst(h, "*.jpg", &info); rc == 0; rc = lib.findNext(h, &info)) names.push_back(info.fileName);
  EXPECT_EQ(names, (std::vector<std::string>{"photo.JPG", "old.jpg", "photos\\a.JPG", "\x8e\xca\x90\x5e.jpg"}));
  ASSERT_EQ(lib.findFirst(h, "photos\\*", &info), 0);  // a second search starts over
  EXPECT_STREQ(info.fileName, "photos\\");
  EXPECT_STREQ(info.attribute, "----D");
  lib.close(h);
}

TEST(ArchiverLibraries, NullAndStaleHandlesAreErrorsNotCrashes) {
  Library lib("unzip32.dll", "UnZip");
  MemberInfo info;
  EXPECT_NE(lib.findFirst(nullptr, "*.*", &info), 0);
  EXPECT_NE(lib.findNext(nullptr, &info), 0);
  EXPECT_NE(lib.close(nullptr), 0);
  HANDLE h = lib.open(nullptr, fixturePath("pics.zip").c_str(), 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(lib.findFirst(h, "*.*", nullptr), lib.findFirst(h, "*.*", nullptr));
  EXPECT_NE(lib.findFirst(h, "*.*", nullptr), 0);
  EXPECT_EQ(lib.close(h), 0);
  EXPECT_NE(lib.findNext(h, &info), 0);
  EXPECT_EQ(lib.open(nullptr, fixturePath("no-such-archive.zip").c_str(), 0), nullptr);
}

// A library without a reader for the data answers like one that cannot
// read it: no handle, or a handle with no members; never a crash.
TEST(ArchiverLibraries, LibrariesAnswerCleanlyForDataTheyCannotRead) {
  const std::string zip = fixturePath("pics.zip");
  for (const LibraryName& name : {LibraryName{"unrar32.dll", "Unrar"}, LibraryName{"unlha32.dll", "Unlha"},
                                  LibraryName{"unarj32j.dll", "Unarj"}, LibraryName{"tar32.dll", "Tar"},
                                  LibraryName{"cab32.dll", "Cab"}}) {
    Library lib(name.file, name.prefix);
    int last = 0;
    EXPECT_TRUE(listArchive(lib, zip, last).empty()) << name.file;
    EXPECT_NE(last, 0) << name.file;
  }
}

class DllCorpus : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!sharedCorpusPresent()) GTEST_SKIP() << "shared/testdata/archives is not beside the repository";
  }
};

struct CabCase {
  const char* file;
  int members;        // -1: the library gives no handle
  const char* member;  // extracted when set
  bool extracts;
  const char* original;  // file under originals/ to compare with
};

// Cabinets go through the system's FDI: MSZIP, LZX, Quantum, stored; names
// in Shift_JIS, in UTF-8 and with a wrong UTF-8 flag; damaged ones fail
// without leaving a file.
TEST_F(DllCorpus, CabinetsListAndExtractThroughFdi) {
  const std::string hyoushi = kHyoushi;
  const CabCase cases[] = {
      {"cab/made-debian/pics_mszip.cab", 7, "red_800x600.jpg", true, "red_800x600.jpg"},
      {"cab/made-debian/pics_none.cab", 7, "blue_320x240.bmp", true, "blue_320x240.bmp"},
      {"cab/made-debian/folders_mszip.cab", 9, "photos\\old\\c.BMP", true, "green_64x48.bmp"},
      {"cab/made-debian/sjisnames_cp932_mszip.cab", 3, hyoushi.c_str(), true, "blue_320x240.bmp"},
      {"cab/made-debian/sjisnames_utf8flag_wrong_mszip.cab", 3, hyoushi.c_str(), true, "blue_320x240.bmp"},
      {"cab/libmspack/mszip_lzx_qtm.cab", 3, "lzx.txt", true, nullptr},
      {"cab/libarchive/test_read_format_cab_3.cab", 4, "zero", true, nullptr},
      {"hostile/cab_huge_declared_truncated.cab", 1, "huge_truncated.bmp", false, nullptr},
      {"hostile/zero_bytes.cab", -1, nullptr, false, nullptr},
      {"cab/libmspack/bad_signature.cab", -1, nullptr, false, nullptr},
  };
  Library lib("cab32.dll", "Cab");
  for (const CabCase& c : cases) {
    const std::string path = sharedPath(c.file);
    HANDLE h = lib.open(nullptr, path.c_str(), 0);
    EXPECT_EQ(h == nullptr, c.members < 0) << c.file;
    lib.close(h);
    int last = 0;
    const std::vector<Listed> listed = listArchive(lib, path, last);
    EXPECT_EQ(static_cast<int>(listed.size()), std::max(c.members, 0)) << c.file;
    if (c.member == nullptr) continue;
    TempFolder temp;
    const std::string line = "-x -o " + quoted(path) + " " + quoted(temp.path() + "\\") + " " + quoted(c.member);
    EXPECT_EQ(lib.command(nullptr, line.c_str(), nullptr, 0) == 0, c.extracts) << c.file;
    const std::string out = temp / c.member;
    EXPECT_EQ(exists(out), c.extracts) << c.file;
    if (c.extracts && find(listed, c.member) != nullptr) {
      EXPECT_EQ(readFile(out).size(), find(listed, c.member)->size) << c.file;
    }
    if (c.extracts && c.original != nullptr) {
      EXPECT_EQ(fileText(out), fileText(sharedPath(std::string("originals/") + c.original))) << c.file;
    }
    if (!c.extracts) {
      EXPECT_TRUE(TempFolder::entries(temp.path()).empty()) << c.file;  // no half file, no temp file
    }
  }
}

TEST_F(DllCorpus, Utf8CabinetNamesArriveInTheAnsiCodePage) {
  if (GetACP() != 932) GTEST_SKIP() << "needs the Japanese ANSI code page";
  Library lib("cab32.dll", "Cab");
  int last = 0;
  const std::vector<Listed> listed = listArchive(lib, sharedPath("cab/made-debian/utf8names_mszip.cab"), last);
  EXPECT_NE(find(listed, kHyoushi), nullptr);
  EXPECT_NE(find(listed, "\x8e\xca\x90\x5e.jpg"), nullptr);
}

// UTF-8 names (ZIP flag, pax path, CAB flag) become Shift_JIS; raw
// Shift_JIS bytes, also where a pax record or a wrong flag claims UTF-8,
// pass through unchanged.
TEST_F(DllCorpus, NamesReachTheProgramInShiftJis) {
  if (GetACP() != 932) GTEST_SKIP() << "needs the Japanese ANSI code page";
  struct NameCase {
    LibraryName library;
    const char* file;
  } cases[] = {
      {{"unzip32.dll", "UnZip"}, "zip/made-debian/utf8names_7z.zip"},
      {{"unzip32.dll", "UnZip"}, "zip/made-debian/folders_sjis_deflate.zip"},
      {{"tar32.dll", "Tar"}, "tar/made-debian/utf8names_pax.tar"},
      {{"tar32.dll", "Tar"}, "tar/made-debian/folders_sjis_longname_pax.tar"},
      {{"tar32.dll", "Tar"}, "tgz/made-debian/folders_sjis_gnu.tgz"},
      {{"cab32.dll", "Cab"}, "cab/made-debian/sjisnames_utf8flag_wrong_mszip.cab"},
  };
  for (const NameCase& c : cases) {
    Library lib(c.library.file, c.library.prefix);
    int last = 0;
    const std::vector<Listed> listed = listArchive(lib, sharedPath(c.file), last);
    EXPECT_EQ(last, -1) << c.file;
    EXPECT_NE(find(listed, kHyoushi), nullptr) << c.file;
    EXPECT_NE(find(listed, "\x8e\xca\x90\x5e.jpg"), nullptr) << c.file;
  }
}

// What unrar32 lists but cannot produce (an encrypted member, one that
// continues in the next volume) fails the command and leaves no file
// behind, not even a part of the member.
TEST_F(DllCorpus, UnrarRefusesWhatItCannotProduceAndWritesNothing) {
  Library lib("unrar32.dll", "Unrar");
  const struct {
    const char* file;
    const char* member;
  } cases[] = {{"rar/libarchive/test_read_format_rar_encryption_data.rar", "foo.txt"},
               {"rar/rarfile/rar3-old.rar", "vols\\bigfile.txt"},
               {"rar/libarchive/test_read_format_rar5_encrypted.rar", "b.txt"}};
  for (const auto& c : cases) {
    const std::string rar = sharedPath(c.file);
    int last = 0;
    const std::vector<Listed> listed = listArchive(lib, rar, last);
    EXPECT_EQ(last, -1) << c.file;
    EXPECT_NE(find(listed, c.member), nullptr) << c.file;
    TempFolder temp;
    const std::string line = "-x " + quoted(rar) + " " + quoted(temp.path() + "\\") + " " + quoted(c.member);
    EXPECT_NE(lib.command(nullptr, line.c_str(), nullptr, 0), 0) << c.file;
    // The member's folder may have been made; no file, whole or partial.
    EXPECT_FALSE(exists(temp / c.member)) << c.file;
    for (const std::string& entry : TempFolder::entries(temp.path())) {
      const DWORD attributes = GetFileAttributesA((temp / entry).c_str());
      EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
          << c.file << ": " << entry;
      EXPECT_TRUE(TempFolder::entries(temp / entry).empty()) << c.file << ": " << entry;
    }
  }
}

struct TraversalCase {
  LibraryName library;
  const char* switches;
  const char* file;
  std::vector<std::string> harmless;
};

TEST_F(DllCorpus, HostileArchivesWriteOnlyUnderTheDestination) {
  const TraversalCase cases[] = {
      {{"unzip32.dll", "UnZip"}, "-x -o", "hostile/zip_traversal.zip", {"ok"}},
      {{"tar32.dll", "Tar"}, "xvf", "hostile/tar_traversal.tar", {"ok"}},
      {{"cab32.dll", "Cab"}, "-x -o", "hostile/cab_traversal_none.cab", {"ok"}},
      {{"unrar32.dll", "Unrar"}, "-x", "hostile/rar4_traversal_stored.rar", {"ok"}},
  };
  for (const TraversalCase& c : cases) {
    Library lib(c.library.file, c.library.prefix);
    const std::string path = sharedPath(c.file);
    int last = 0;
    const std::vector<Listed> listed = listArchive(lib, path, last);
    ASSERT_FALSE(listed.empty()) << c.file;
    TempFolder temp;
    const std::string dest = temp / "dest";
    CreateDirectoryA(dest.c_str(), nullptr);
    int extracted = 0;
    for (const Listed& member : listed) {
      const std::string line = std::string(c.switches) + " " + quoted(path) + " " + quoted(dest + "\\") + " " +
                               quoted(member.name);
      if (lib.command(nullptr, line.c_str(), nullptr, 0) == 0) ++extracted;
    }
    EXPECT_EQ(extracted, static_cast<int>(c.harmless.size())) << c.file;
    EXPECT_EQ(TempFolder::entries(temp.path()), std::vector<std::string>{"dest"}) << c.file;
    std::vector<std::string> landed = TempFolder::entries(dest);
    std::sort(landed.begin(), landed.end());
    EXPECT_EQ(landed, c.harmless) << c.file;
  }
  EXPECT_FALSE(exists("C:\\evil_drive.gif"));
  EXPECT_FALSE(exists("C:\\Windows\\Temp\\evil_drive.jpg"));
}

}  // namespace
}  // namespace rivano::arc::test
