// Archive listing and extraction through the real archiver libraries, on
// archives the build made with the system's archivers (and, when it is
// there, the shared corpus of real-world archives).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "archive/archive_access.h"
#include "engine/path_kind.h"
#include "platform/win32_registry.h"
#include "resources/resource_ids.h"
#include "common/run_error.h"
#include "shell/file_type_name.h"
#include "tests/wine/box_answerer.h"
#include "tests/wine/test_support.h"

namespace rivano {
namespace {

using testing::BoxAnswerer;
using testing::TempFolder;

struct Row {
  std::wstring name, size, type, date, attributes;
};

class RecordedRows final : public PictureListRows {
 public:
  void addRow(const std::wstring& name, const std::wstring& sizeText, const std::wstring& typeName,
              const std::wstring& dateText, const std::wstring& attrText) override {
    rows.push_back({name, sizeText, typeName, dateText, attrText});
  }
  const Row* find(const std::wstring& name) const {
    for (const Row& row : rows)
      if (row.name == name) return &row;
    return nullptr;
  }
  std::vector<Row> rows;
};

// A Linux path from the build, as Wine's Z: drive shows it.
std::wstring windowsPath(const char* linuxPath) {
  std::wstring path = L"Z:";
  for (const char* p = linuxPath; *p; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
  return path;
}

std::wstring madeArchive(const wchar_t* name) { return windowsPath(RIVANO_TEST_ARCHIVES) + L"\\" + name; }
std::wstring original(const wchar_t* name) { return madeArchive(L"originals\\") + name; }

// For failure messages: the boxes shown where none should be.
std::string describe(const std::vector<testing::AnsweredBox>& boxes) {
  std::string out;
  for (const auto& box : boxes) out += ::testing::PrintToString(box.title + L": " + box.text) + "\n";
  return out;
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring envText(const wchar_t* name) {
  wchar_t buffer[2048] = {};
  const DWORD n = GetEnvironmentVariableW(name, buffer, 2048);
  return n > 0 && n < 2048 ? std::wstring(buffer, n) : std::wstring();
}

// Everything under a folder, relative, "\" separated.
std::set<std::wstring> contentsOf(const std::wstring& folder) {
  std::set<std::wstring> out;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    out.insert(std::filesystem::relative(entry.path(), folder).wstring());
  return out;
}

// The program's folder, with the temporary folder inside it as the main
// window makes it.
class ArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CreateDirectoryW(unpackFolder().c_str(), nullptr)); }
  std::wstring unpackFolder() const { return programFolder.path() + L"UnPakTmp"; }

  win::ArchiverLibraries libraries;
  win::Win32Registry registry;
  TempFolder programFolder{L"rivano-archive"};
  ArchiveAccess access{libraries, registry, unpackFolder(), nullptr};
};

// ---------------------------------------------------------------- listing

struct Kind {
  const wchar_t* archive;
  std::int16_t code;
  const wchar_t* pictureAttributes;  // of photos\a.JPG as the library describes it
  const wchar_t* gifAttributes;      // of the read-only b.gif
};

void PrintTo(const Kind& kind, std::ostream* os) {
  *os << std::filesystem::path(kind.archive).string();
}

class EachKind : public ArchiveTest, public ::testing::WithParamInterface<Kind> {};

TEST_P(EachKind, ListsPicturesWithTheirColumns) {
  RecordedRows list;
  BoxAnswerer user;
  EXPECT_EQ(archiverCodeFor(access, madeArchive(GetParam().archive)), GetParam().code);
  addArchivePictures(access, nullptr, list, madeArchive(GetParam().archive));
  EXPECT_TRUE(user.seen().empty()) << describe(user.seen());

  // The folder entry and the text file are no pictures.
  ASSERT_EQ(list.rows.size(), 2u);
  const Row* picture = list.find(L"photos\\a.JPG");
  ASSERT_NE(picture, nullptr) << "listed as " << ::testing::PrintToString(list.rows[0].name);
  const Row* gif = list.find(L"b.gif");
  ASSERT_NE(gif, nullptr);
  EXPECT_EQ(picture->size, L"     1234");
  EXPECT_EQ(gif->size, L"      300");
  // The type is looked up by the member's own extension.
  EXPECT_EQ(picture->type, fileTypeName(registry, L"C:\\x.JPG"));
  EXPECT_EQ(gif->type, fileTypeName(registry, L"C:\\x.GIF"));
  EXPECT_EQ(picture->attributes, GetParam().pictureAttributes);
  EXPECT_EQ(gif->attributes, GetParam().gifAttributes);

  EXPECT_EQ(picture->date, L"1999/03/07");
  EXPECT_EQ(gif->date, L"2001/12/25");
}

TEST_P(EachKind, ExtractsOneMemberOnceIntoItsSubFolder) {
  const std::wstring archive = madeArchive(GetParam().archive);
  const std::wstring target = extractMember(access, archive, L"photos\\a.JPG");
  EXPECT_EQ(target, unpackFolder() + L"\\photos\\a.JPG");
  ASSERT_TRUE(exists(target));
  EXPECT_EQ(testing::readFileBytes(target), testing::readFileBytes(original(L"photos\\a.JPG")));
  // Only the member asked for comes out.
  EXPECT_EQ(contentsOf(unpackFolder()), (std::set<std::wstring>{L"photos", L"photos\\a.JPG"}));

  // A second call finds the extracted copy and runs no archiver: a changed
  // copy is not overwritten by a new extraction.
  testing::writeFileBytes(target, {'k', 'e', 'p', 't'});
  EXPECT_EQ(extractMember(access, archive, L"photos\\a.JPG"), target);
  EXPECT_EQ(testing::readFileBytes(target), (std::vector<std::uint8_t>{'k', 'e', 'p', 't'}));
}

INSTANTIATE_TEST_SUITE_P(
    Archives, EachKind,
    // Made on Unix: the read-only GIF shows what its mode says, in every
    // kind that keeps the mode, and a plain file carries the archive bit.
    ::testing::Values(Kind{L"pics.lzh", 1, L"---a", L"---a"}, Kind{L"pics.zip", 2, L"---a", L"r--a"},
                      Kind{L"pics.arj", 3, L"---a", L"r--a"}, Kind{L"pics.tar", 5, L"---a", L"r--a"},
                      Kind{L"pics.tgz", 5, L"---a", L"r--a"},
                      Kind{L"pics.tar.bz2", 5, L"---a", L"r--a"},
                      Kind{L"pics.cab", 6, L"---a", L"---a"}, Kind{L"pics.rar", 7, L"---a", L"r--a"},
                      Kind{L"pics5.rar", 7, L"---a", L"r--a"}));

TEST_F(ArchiveTest, JapaneseNamesComeThroughTheCodePage) {
  // 表 is 0x95 0x5C in Shift_JIS: its second byte must not split the name.
  for (const wchar_t* archive : {L"sjis.zip", L"sjis.tgz"}) {
    RecordedRows list;
    addArchivePictures(access, nullptr, list, madeArchive(archive));
    ASSERT_EQ(list.rows.size(), 1u) << ::testing::PrintToString(std::wstring(archive));
    EXPECT_EQ(list.rows[0].name, L"表紙.bmp");
    EXPECT_EQ(list.rows[0].size, L"      777");
    const std::wstring target = extractMember(access, madeArchive(archive), list.rows[0].name);
    EXPECT_EQ(target, unpackFolder() + L"\\表紙.bmp");
    EXPECT_EQ(testing::readFileBytes(target), testing::readFileBytes(original(L"sjis_member.bmp")));
    DeleteFileW(target.c_str());
  }
}

TEST_F(ArchiveTest, SingleCompressedPictureIsOneMemberDatedLikeItsArchive) {
  RecordedRows list;
  addArchivePictures(access, nullptr, list, madeArchive(L"cover.bmp.bz2"));
  ASSERT_EQ(list.rows.size(), 1u);
  EXPECT_EQ(list.rows[0].name, L"cover.bmp");
  EXPECT_EQ(list.rows[0].size, L"      500");
  EXPECT_EQ(list.rows[0].date, L"2003/04/05");
  const std::wstring target = extractMember(access, madeArchive(L"cover.bmp.bz2"), L"cover.bmp");
  EXPECT_EQ(testing::readFileBytes(target).size(), 500u);
}

TEST_F(ArchiveTest, NoPicturesNoRowsAndNoMessage) {
  BoxAnswerer user;
  for (const wchar_t* name : {L"nopics.zip", L"nopics.tgz"}) {
    RecordedRows list;
    addArchivePictures(access, nullptr, list, madeArchive(name));
    EXPECT_TRUE(list.rows.empty()) << ::testing::PrintToString(std::wstring(name));
  }
  EXPECT_TRUE(user.seen().empty()) << describe(user.seen());
}

TEST_F(ArchiveTest, UnreadableOrMissingArchiveListsNothing) {
  const std::wstring fake = programFolder.path() + L"not really.zip";
  testing::writeFileBytes(fake, {'n', 'o', 'p', 'e'});
  BoxAnswerer user;
  RecordedRows list;
  addArchivePictures(access, nullptr, list, fake);
  addArchivePictures(access, nullptr, list, programFolder.path() + L"absent.lzh");
  EXPECT_TRUE(list.rows.empty());
  EXPECT_TRUE(user.seen().empty()) << describe(user.seen());
  EXPECT_FALSE(exists(extractMember(access, fake, L"a.jpg")));
}

TEST_F(ArchiveTest, NoArchiveKindNeedsNoLibrary) {
  BoxAnswerer user;
  EXPECT_EQ(archiverCodeFor(access, L"C:\\pics\\a.lha"), 0);
  EXPECT_EQ(archiverCodeFor(access, L"C:\\pics\\a.tar.gz"), 0);
  RecordedRows list;
  addArchivePictures(access, nullptr, list, L"C:\\pics\\a.jpg");
  EXPECT_TRUE(list.rows.empty());
  EXPECT_FALSE(runArchiverCommand(access, nullptr, 4, L"x \"a\" \"b\\\" \"c\""));
  EXPECT_TRUE(user.seen().empty()) << describe(user.seen());
}

TEST_F(ArchiveTest, SizeTooWideForTheColumnRaisesOverflowAfterEarlierRows) {
  RecordedRows list;
  try {
    addArchivePictures(access, nullptr, list, madeArchive(L"huge.zip"));
    ADD_FAILURE() << "a ten-digit size was listed";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::overflow);
  }
  ASSERT_EQ(list.rows.size(), 1u);
  EXPECT_EQ(list.rows[0].name, L"first.jpg");
  // The archive was closed on the way out: it can be deleted at once.
  const std::wstring copy = programFolder.path() + L"huge.zip";
  ASSERT_TRUE(CopyFileW(madeArchive(L"huge.zip").c_str(), copy.c_str(), FALSE));
  EXPECT_THROW(addArchivePictures(access, nullptr, list, copy), RunError);
  EXPECT_TRUE(DeleteFileW(copy.c_str()));
}

TEST_F(ArchiveTest, CommandResultTellsSuccessFromFailure) {
  const std::wstring archive = madeArchive(L"pics.zip");
  EXPECT_TRUE(runArchiverCommand(access, nullptr, 2,
                               L"-x -o \"" + archive + L"\" \"" + unpackFolder() + L"\\\" \"b.gif\""));
  EXPECT_TRUE(exists(unpackFolder() + L"\\b.gif"));
  EXPECT_FALSE(runArchiverCommand(access, nullptr, 2,
                                L"-x -o \"" + archive + L"\" \"" + unpackFolder() + L"\\\" \"none.gif\""));
}

// The libraries take ANSI names only; Hangul is not in code page 932.
TEST_F(ArchiveTest, AnArchiveNameOutsideTheCodePageIsRefusedWithFileNotFound) {
  const std::wstring korean = programFolder.path() + L"한국어.zip";
  ASSERT_TRUE(CopyFileW(madeArchive(L"pics.zip").c_str(), korean.c_str(), FALSE));
  BoxAnswerer user;
  RecordedRows list;
  try {
    addArchivePictures(access, nullptr, list, korean);
    ADD_FAILURE() << "listed through a mangled name";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::fileNotFound);
  }
  EXPECT_TRUE(list.rows.empty());
  try {
    extractMember(access, korean, L"b.gif");
    ADD_FAILURE() << "extracted through a mangled name";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::fileNotFound);
  }
  EXPECT_TRUE(contentsOf(unpackFolder()).empty());
  EXPECT_TRUE(user.seen().empty()) << describe(user.seen());
}

TEST_F(ArchiveTest, AMemberOrFolderOutsideTheCodePageIsNeverHandedOn) {
  const std::wstring archive = madeArchive(L"pics.zip");
  try {
    extractMember(access, archive, L"사진.gif");
    ADD_FAILURE() << "a member name went mangled to the library";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::fileNotFound);
  }
  const std::wstring folder = programFolder.path() + L"압축";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ArchiveAccess korean{libraries, registry, folder, nullptr};
  try {
    extractMember(korean, archive, L"b.gif");
    ADD_FAILURE() << "the folder went mangled to the library";
  } catch (const RunError& e) {
    EXPECT_EQ(e.number(), err::pathNotFound);
  }
  EXPECT_FALSE(runArchiverCommand(access, nullptr, 2,
                                L"-x -o \"" + archive + L"\" \"" + folder + L"\\\" \"b.gif\""));
  EXPECT_EQ(contentsOf(programFolder.path()), (std::set<std::wstring>{L"UnPakTmp", L"압축"}));
}

// ------------------------------------------------------------- traversal

TEST_F(ArchiveTest, NamesThatClimbOutAreNeverExtracted) {
  // A file beside the temporary folder, which a climbing name would reach.
  const std::wstring outside = programFolder.path() + L"Rivano.bmp";
  testing::writeFileBytes(outside, {'B', 'M'});
  BoxAnswerer user;
  for (const wchar_t* archive : {L"traversal.zip", L"traversal.tar"}) {
    RecordedRows list;
    addArchivePictures(access, nullptr, list, madeArchive(archive));
    EXPECT_EQ(list.rows.size(), 6u);
    for (const Row& row : list.rows) {
      const std::wstring target = extractMember(access, madeArchive(archive), row.name);
      if (row.name.starts_with(L"ok")) {
        EXPECT_EQ(target, unpackFolder() + L"\\" + row.name);
        EXPECT_TRUE(exists(target));
      } else {
        EXPECT_EQ(target, L"") << ::testing::PrintToString(row.name);
      }
    }
    for (const wchar_t* name : {L"..\\Rivano.bmp", L"../Rivano.bmp", L"UnPakTmp\\..\\..\\Rivano.bmp",
                                L"\\Rivano.bmp", L"Z:\\etc\\passwd.bmp", L"..\\evil_dotdot.jpg"})
      EXPECT_EQ(extractMember(access, madeArchive(archive), name), L"")
          << ::testing::PrintToString(std::wstring(name));
  }
  EXPECT_TRUE(user.seen().empty()) << describe(user.seen());
  EXPECT_EQ(contentsOf(programFolder.path()),
            (std::set<std::wstring>{L"Rivano.bmp", L"UnPakTmp", L"UnPakTmp\\ok", L"UnPakTmp\\ok\\normal.jpg"}));
  EXPECT_EQ(testing::readFileBytes(outside), (std::vector<std::uint8_t>{'B', 'M'}));
}

TEST_F(ArchiveTest, NothingIsExtractedWhileTheFolderIsNotSet) {
  ArchiveAccess unset{libraries, registry, L"", nullptr};
  EXPECT_EQ(extractMember(unset, madeArchive(L"pics.zip"), L"b.gif"), L"");
  EXPECT_FALSE(exists(L"\\b.gif"));
}

TEST_F(ArchiveTest, QuoteInAMemberNameCannotRedirectTheDestination) {
  TempFolder elsewhere(L"rivano-elsewhere");
  const std::wstring sneaky = L"b.gif\" \"" + elsewhere.path() + L"\" \"b.gif";
  EXPECT_EQ(extractMember(access, madeArchive(L"pics.zip"), sneaky), L"");
  EXPECT_TRUE(contentsOf(elsewhere.path()).empty());
  EXPECT_TRUE(contentsOf(unpackFolder()).empty());
}

// ------------------------------------------------------ missing library
//
// The libraries are found beside the program. A copy of this test program
// in a folder that holds only unzip32.dll runs the child test below; the
// missing library comes back as an error for the window to tell, and the
// child shows no box of its own (it would wait on it, and the parent sees
// it hang).

// "raised" when the step raised ArchiverMissing, else what it gave.
template <typename Step>
std::wstring outcome(Step step) {
  try {
    return step();
  } catch (const ArchiverMissing& e) {
    return e.number() == kArchiverNotLoaded ? L"raised" : L"raised another number";
  }
}

TEST(MissingLibraryChild, ListsNothingAndRaisesIt) {
  const std::wstring resultFile = envText(L"RIVANO_ARCHIVE_CHILD_RESULT");
  if (resultFile.empty()) GTEST_SKIP() << "runs only as the child of MissingLibrary";
  win::ArchiverLibraries libraries;
  win::Win32Registry registry;
  ArchiveAccess access{libraries, registry, envText(L"RIVANO_ARCHIVE_CHILD_UNPACK"), nullptr};
  RecordedRows lzh, zip;
  const std::wstring listed = outcome([&] {
    addArchivePictures(access, nullptr, lzh, madeArchive(L"pics.lzh"));
    return std::wstring(L"listed");
  });
  addArchivePictures(access, nullptr, zip, madeArchive(L"pics.zip"));  // unzip32 is here
  const std::wstring extracted = outcome([&] { return extractMember(access, madeArchive(L"pics.lzh"), L"b.gif"); });
  // The logon run asks quietly: no library is then no archive.
  access.quiet = true;
  const std::int16_t quietCode = archiverCodeFor(access, madeArchive(L"pics.lzh"));
  RecordedRows quietRows;
  addArchivePictures(access, nullptr, quietRows, madeArchive(L"pics.lzh"));
  const bool quietExtracted = exists(extractMember(access, madeArchive(L"pics.lzh"), L"b.gif"));
  std::wofstream(std::filesystem::path(resultFile))
      << L"lzh=" << listed << L"," << lzh.rows.size() << L" zip=" << zip.rows.size()
      << L" extract=" << extracted << L" quiet=" << quietCode << L"," << quietRows.rows.size() << L","
      << quietExtracted;
}

TEST(MissingLibrary, RaisedForTheWindowWithoutABoxAndNothingListed) {
  TempFolder folder(L"rivano-nodll");
  const std::wstring exe = folder.path() + L"archive_test.exe";
  ASSERT_TRUE(CopyFileW((testing::binDir() + L"archive_test.exe").c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((testing::binDir() + L"unzip32.dll").c_str(),
                        (folder.path() + L"unzip32.dll").c_str(), FALSE));
  ASSERT_TRUE(CreateDirectoryW((folder.path() + L"UnPakTmp").c_str(), nullptr));
  const std::wstring resultFile = folder.path() + L"result.txt";
  SetEnvironmentVariableW(L"RIVANO_ARCHIVE_CHILD_RESULT", resultFile.c_str());
  SetEnvironmentVariableW(L"RIVANO_ARCHIVE_CHILD_UNPACK", (folder.path() + L"UnPakTmp").c_str());
  testing::RunningProgram child(exe, L"--gtest_filter=MissingLibraryChild.*");
  SetEnvironmentVariableW(L"RIVANO_ARCHIVE_CHILD_RESULT", nullptr);
  SetEnvironmentVariableW(L"RIVANO_ARCHIVE_CHILD_UNPACK", nullptr);
  ASSERT_TRUE(child.started());
  if (!child.waitForExit(30000)) {
    const auto box = child.waitForMessageBox(0);
    if (box) testing::pressOk(box->hwnd);
    FAIL() << "the child waits" << (box ? " on a box: " + testing::narrow(box->text) : std::string());
  }
  std::wifstream result{std::filesystem::path(resultFile)};
  std::wstring text;
  std::getline(result, text);
  EXPECT_EQ(text, L"lzh=raised,0 zip=2 extract=raised quiet=0,0,0");
}

// A library that loads but lacks the interface's functions counts as
// missing too. Here the loader hands out kernel32 for unlha32, in this
// process, so that the notice's icon can be compared with the system's.
HMODULE kernelForLha(const char* name) {
  return LoadLibraryA(std::string_view(name) == "unlha32" ? "kernel32" : name);
}

TEST_F(ArchiveTest, LibraryWithoutTheFunctionsIsMissingToo) {
  win::ArchiverLibraries incomplete(&kernelForLha);
  ArchiveAccess access{incomplete, registry, unpackFolder(), nullptr};
  RecordedRows list;
  BoxAnswerer user;
  EXPECT_THROW(archiverCodeFor(access, madeArchive(L"pics.lzh")), ArchiverMissing);
  EXPECT_THROW(addArchivePictures(access, nullptr, list, madeArchive(L"pics.lzh")), ArchiverMissing);
  addArchivePictures(access, nullptr, list, madeArchive(L"pics.zip"));
  // Only the ZIP archive's pictures, and never a box from in here.
  EXPECT_EQ(list.rows.size(), 2u);
  EXPECT_NE(list.find(L"b.gif"), nullptr);
  EXPECT_TRUE(user.seen().empty()) << describe(user.seen());
}

// Each library the table names, loaded by the table's file name from the
// program's folder, has every function under the table's prefix: what the
// program loads is what the build makes.
TEST_F(ArchiveTest, EveryLibraryOfTheTableLoadsWithItsPrefixedFunctions) {
  for (const ArchiverLibrary& library : archiverLibraries()) {
    const std::wstring file = testing::binDir() + std::wstring(library.file.begin(), library.file.end()) + L".dll";
    win::UniqueModule module(LoadLibraryW(file.c_str()));
    ASSERT_TRUE(module) << "no " << testing::narrow(file);
    for (const char* suffix : {"GetVersion", "", "OpenArchive", "FindFirst", "FindNext", "CloseArchive"}) {
      const std::string name = std::string(library.prefix) + suffix;
      EXPECT_NE(GetProcAddress(module.get(), name.c_str()), nullptr) << library.file << " lacks " << name;
    }
    EXPECT_NE(libraries.functions(library.code), nullptr) << library.file;
  }
}

// ---------------------------------------------------------- shared corpus

struct CorpusEntry {
  std::wstring file;  // relative to the corpus folder, "\" separated
  int pictures;
};

// The manifest counts pictures by the endings the program knew when it
// was written, before PNG: the PNG members among those it lists are
// pictures now as well.
int pngMembers(const std::string& members) {
  int count = 0;
  for (std::size_t at = 0; at < members.size();) {
    std::size_t end = members.find("<br>", at);
    if (end == std::string::npos) end = members.size();
    std::string name = members.substr(at, end - at);
    name = name.substr(0, std::min(name.find(" ("), name.find(" [")));
    while (!name.empty() && name.front() == ' ') name.erase(0, 1);
    if (name.size() >= 4) {
      std::string tail = name.substr(name.size() - 4);
      for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (tail == ".PNG") ++count;
    }
    at = end + 4;
  }
  return count;
}

// The rows of the manifest's tables under the "made here with Debian
// tools" and the hostile headings (or, with `under`, the headings that
// begin with it): file name and picture count.
std::vector<CorpusEntry> manifestEntries(const std::filesystem::path& manifest, bool hostile,
                                         const std::string& under = {}) {
  std::vector<CorpusEntry> out;
  std::ifstream in(manifest);
  std::string line, folder;
  while (std::getline(in, line)) {
    if (line.starts_with("## ") || line.starts_with("### ")) {
      folder.clear();
      // "### zip/made-debian/ (made here ...)" names the folder of its table.
      const std::size_t start = line.find(' ') + 1;
      const std::string heading = line.substr(start, line.find(' ', start) - start);
      if (!under.empty() ? heading.starts_with(under)
                         : (hostile ? heading == "hostile/" : heading.ends_with("/made-debian/")))
        folder = heading;
      continue;
    }
    if (folder.empty() || !line.starts_with("| `")) continue;
    std::vector<std::string> cells;
    std::stringstream row(line.substr(1));
    for (std::string cell; std::getline(row, cell, '|');) cells.push_back(cell);
    if (cells.size() < 6) continue;
    std::string name = cells[0].substr(cells[0].find('`') + 1);
    name = name.substr(0, name.find('`'));
    std::wstring file;
    for (char c : folder + name) file += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    out.push_back({file, std::stoi(cells[4]) + pngMembers(cells[3])});
  }
  return out;
}

class SharedCorpus : public ArchiveTest {
 protected:
  void SetUp() override {
    ArchiveTest::SetUp();
    const std::string linux = RIVANO_SHARED_ARCHIVES;
    if (linux.empty()) GTEST_SKIP() << "no shared archive corpus was found at configure time";
    corpus = windowsPath(linux.c_str());
    if (!exists(corpus + L"\\MANIFEST.md"))
      GTEST_SKIP() << "the shared archive corpus is not at " << linux;
  }
  std::wstring corpus;
};

TEST_F(SharedCorpus, MadeArchivesListEveryPictureAndExtractIt) {
  const auto entries = manifestEntries(std::filesystem::path(corpus) / L"MANIFEST.md", false);
  ASSERT_GE(entries.size(), 30u) << "the manifest's tables were not understood";
  int checked = 0;
  for (const CorpusEntry& entry : entries) {
    if (!isArchive(archiveKindOf(entry.file))) continue;  // .tbz: no archive kind of ours
    SCOPED_TRACE(::testing::PrintToString(entry.file));
    const std::wstring archive = corpus + L"\\" + entry.file;
    RecordedRows list;
    addArchivePictures(access, nullptr, list, archive);
    EXPECT_EQ(static_cast<int>(list.rows.size()), entry.pictures);
    // Encrypted members, and the ZIP methods our unzip32 does not decode
    // (it reads stored and deflated members), cannot come out.
    bool undecodable = false;
    for (const wchar_t* mark : {L"encrypted", L"bzip2_7z", L"deflate64_7z", L"lzma_7z"})
      undecodable = undecodable || entry.file.find(mark) != std::wstring::npos;
    if (undecodable) continue;
    for (const Row& row : list.rows) {
      const std::wstring target = extractMember(access, archive, row.name);
      EXPECT_TRUE(exists(target)) << ::testing::PrintToString(row.name);
      WIN32_FILE_ATTRIBUTE_DATA data{};
      GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &data);
      EXPECT_EQ(std::to_wstring(data.nFileSizeLow), row.size.substr(row.size.find_first_not_of(L' ')));
      DeleteFileW(target.c_str());
    }
    ++checked;
  }
  EXPECT_GE(checked, 30);
}

// Every RAR sample the program would take as a source lists the pictures
// the manifest counts; each one that lies whole in its volume comes out
// with its listed size.
TEST_F(SharedCorpus, RarArchivesListTheirPicturesAndExtractThem) {
  const auto entries = manifestEntries(std::filesystem::path(corpus) / L"MANIFEST.md", false, "rar/");
  ASSERT_GE(entries.size(), 50u) << "the manifest's tables were not understood";
#if defined(RIVANO_RAR_HAS_V15) && defined(RIVANO_RAR_HAS_V20) && defined(RIVANO_RAR_HAS_V29) && \
    defined(RIVANO_RAR_HAS_V50)
  const bool everyDecoder = true;
#else
  const bool everyDecoder = false;
#endif
  BoxAnswerer user;
  int pictures = 0;
  for (const CorpusEntry& entry : entries) {
    if (archiveKindOf(entry.file) != SourceKind::rar) continue;  // .exe, .jpg, .r00: no source of ours
    SCOPED_TRACE(::testing::PrintToString(entry.file));
    const std::wstring archive = corpus + L"\\" + entry.file;
    RecordedRows list;
    addArchivePictures(access, nullptr, list, archive);
    EXPECT_EQ(static_cast<int>(list.rows.size()), entry.pictures);
    const bool volume = entry.file.find(L"multi") != std::wstring::npos ||
                        entry.file.find(L".part0") != std::wstring::npos ||
                        entry.file.find(L"rar3-old") != std::wstring::npos;
    if (volume || !everyDecoder) continue;
    for (const Row& row : list.rows) {
      const std::wstring target = extractMember(access, archive, row.name);
      ASSERT_TRUE(exists(target)) << ::testing::PrintToString(row.name);
      WIN32_FILE_ATTRIBUTE_DATA data{};
      GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &data);
      EXPECT_EQ(std::to_wstring(data.nFileSizeLow), row.size.substr(row.size.find_first_not_of(L' ')));
      DeleteFileW(target.c_str());
      ++pictures;
    }
  }
  EXPECT_TRUE(user.seen().empty()) << describe(user.seen());
  if (everyDecoder) {
    EXPECT_GE(pictures, 10);
  }
}

TEST_F(SharedCorpus, HostileArchivesStayInsideOrRaiseOverflow) {
  const auto entries = manifestEntries(std::filesystem::path(corpus) / L"MANIFEST.md", true);
  ASSERT_GE(entries.size(), 20u);
  BoxAnswerer user;
  for (const CorpusEntry& entry : entries) {
    SCOPED_TRACE(::testing::PrintToString(entry.file));
    const std::wstring archive = corpus + L"\\" + entry.file;
    RecordedRows list;
    if (entry.file.find(L"_huge_") != std::wstring::npos) {
      // A member declaring more than nine digits' worth of bytes either
      // raises the overflow error or is not listed by its library at all.
      try {
        addArchivePictures(access, nullptr, list, archive);
        EXPECT_TRUE(list.rows.empty());
      } catch (const RunError& e) {
        EXPECT_EQ(e.number(), err::overflow);
      }
      continue;
    }
    addArchivePictures(access, nullptr, list, archive);
    for (const Row& row : list.rows) extractMember(access, archive, row.name);
  }
  EXPECT_TRUE(user.seen().empty()) << describe(user.seen());
  // Nothing came out beside the temporary folder ...
  for (const std::wstring& path : contentsOf(programFolder.path()))
    EXPECT_TRUE(path == L"UnPakTmp" || path.starts_with(L"UnPakTmp\\")) << ::testing::PrintToString(path);
  // ... nor further up, nor at the absolute places the names point to.
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  for (const std::wstring& outside :
       {std::wstring(temp) + L"evil_dotdot.jpg", std::wstring(temp) + L"escape\\evil_l2.jpg",
        std::wstring(L"C:\\evil_drive.gif"), std::wstring(L"C:\\evil_drive.jpg"),
        std::wstring(L"C:\\Windows\\Temp\\evil_drive.jpg"), std::wstring(L"\\abs\\evil_absolute.bmp"),
        std::wstring(L"Z:\\tmp\\evil_absolute.gif"), std::wstring(L"Z:\\tmp\\evil_abs.bmp"),
        std::wstring(L"Z:\\tmp\\evil_via_symlink.jpg")})
    EXPECT_FALSE(exists(outside)) << ::testing::PrintToString(outside);
  EXPECT_TRUE(exists(unpackFolder() + L"\\ok\\normal.jpg"));
}

}  // namespace
}  // namespace rivano
