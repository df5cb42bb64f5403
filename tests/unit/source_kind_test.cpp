#include "engine/source_kind.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "archive/member_text.h"
#include "engine/path_kind.h"

namespace rivano {
namespace {

TEST(SourceKinds, EveryArchiveKindIsRecognisedByItsEndingInAnyCase) {
  for (const SourceKindRow& row : sourceKindRows()) {
    if (!isArchive(row.kind)) continue;
    const std::wstring ending(row.text);
    std::wstring lower = ending;
    for (wchar_t& c : lower)
      if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    EXPECT_EQ(archiveKindOf(L"C:\\pics\\a." + ending), row.kind) << ending;
    EXPECT_EQ(archiveKindOf(L"C:\\pics\\a." + lower), row.kind) << ending;
    EXPECT_EQ(archiveKindOf(ending), row.kind) << ending;
    EXPECT_EQ(ending.size(), 3u) << "a path's last three characters are compared";
  }
  // The folder is told by its attribute alone, never by a name.
  EXPECT_EQ(archiveKindOf(L"C:\\pics\\a.DIR"), SourceKind::none);
}

TEST(SourceKinds, TextsAndCodesAreUnambiguous) {
  std::set<std::wstring> texts;
  std::set<int> codes;
  for (const SourceKindRow& row : sourceKindRows()) {
    EXPECT_TRUE(texts.insert(std::wstring(row.text)).second) << "text shown twice";
    EXPECT_EQ(kindFromText(row.text), row.kind);
    EXPECT_EQ(rowOf(row.kind), &row);
    EXPECT_EQ(isArchive(row.kind), libraryOf(row.kind) != nullptr) << std::wstring(row.text);
  }
  for (const ArchiverLibrary& library : archiverLibraries()) {
    EXPECT_GT(library.code, 0);
    EXPECT_TRUE(codes.insert(library.code).second) << library.code << " names two libraries";
    EXPECT_EQ(libraryWithCode(library.code), &library);
    EXPECT_FALSE(library.file.empty());
    EXPECT_FALSE(library.prefix.empty());
  }
  EXPECT_EQ(libraryWithCode(0), nullptr);
  EXPECT_EQ(libraryWithCode(4), nullptr);
  EXPECT_EQ(kindFromText(L""), SourceKind::none);
  EXPECT_EQ(kindFromText(L"dir"), SourceKind::none);
  EXPECT_EQ(kindText(SourceKind::none), L"");
  EXPECT_EQ(rowIndexOf(SourceKind::none), -1);
  EXPECT_FALSE(isArchive(SourceKind::none));
  EXPECT_FALSE(isArchive(SourceKind::folder));
}

TEST(SourceKinds, EveryLibraryServesAKindAndEveryArchiveHasAVerb) {
  for (const ArchiverLibrary& library : archiverLibraries()) {
    bool served = false;
    for (const SourceKindRow& row : sourceKindRows()) served = served || row.libraryCode == library.code;
    EXPECT_TRUE(served) << library.file;
  }
  for (const SourceKindRow& row : sourceKindRows()) {
    if (!isArchive(row.kind)) continue;
    EXPECT_FALSE(row.extractVerb.empty()) << std::wstring(row.text);
    EXPECT_EQ(row.extractVerb.back(), L' ') << "the archive path follows after one space";
    const std::wstring line = extractCommandLine(row.kind, L"a", L"t", L"m");
    EXPECT_EQ(line, std::wstring(row.extractVerb) + L"\"a\" \"t\\\" \"m\"");
  }
}

// What the program has always loaded and shown: the stored and visible
// texts, the library codes and the files the release ships.
TEST(SourceKinds, KindsAndLibrariesAreTheKnownOnes) {
  std::wstring texts;
  for (const SourceKindRow& row : sourceKindRows()) texts += std::wstring(row.text) + L' ';
  EXPECT_EQ(texts, L"DIR LZH ARJ ZIP CAB TAR TGZ BZ2 RAR ");
  // The folder list's bitmaps: ARJ has LZH's, the tar family one of its own.
  std::vector<int> large, small;
  for (const SourceKindRow& row : sourceKindRows()) {
    large.push_back(row.largeIcon);
    small.push_back(row.smallIcon);
  }
  EXPECT_EQ(large, (std::vector<int>{111, 112, 112, 113, 114, 114, 114, 114, 114}));
  EXPECT_EQ(small, (std::vector<int>{121, 122, 122, 123, 124, 125, 125, 125, 126}));
  EXPECT_EQ(rowIndexOf(SourceKind::folder), 0);
  EXPECT_EQ(rowOf(SourceKind::lzh)->libraryCode, 1);
  EXPECT_EQ(rowOf(SourceKind::zip)->libraryCode, 2);
  EXPECT_EQ(rowOf(SourceKind::arj)->libraryCode, 3);
  for (SourceKind kind : {SourceKind::tar, SourceKind::tgz, SourceKind::bz2})
    EXPECT_EQ(libraryOf(kind)->file, "tar32");
  EXPECT_EQ(libraryOf(SourceKind::cab)->prefix, "Cab");
  EXPECT_EQ(libraryOf(SourceKind::rar)->file, "unrar32");
  EXPECT_EQ(libraryOf(SourceKind::arj)->file, "unarj32j");
  EXPECT_EQ(archivePattern(), L"*.LZH;*.ARJ;*.ZIP;*.CAB;*.TAR;*.TGZ;*.BZ2;*.RAR");
}

}  // namespace
}  // namespace rivano
