// The shared corpus of real-world and hostile archives beside the
// repository (shared/testdata/archives). Skipped when it is not there.
#include <gtest/gtest.h>

#include "archivers/core/member_path.h"
#include "archivers/gzip/tgz_reader.h"
#include "archivers/tar/tar_reader.h"
#include "archivers/zip/zip_reader.h"
#include "tests/archivers/test_support.h"

namespace rivano::arc::test {
namespace {

struct CorpusCase {
  const char* file;
  Opener open;
  Result openResult;
  Result listResult;
  std::size_t members;  // file and folder entries listed
  int extracted;        // file members that extract with a good CRC; -1: do not count
};

constexpr Result kOk = Result::ok;

const CorpusCase kCases[] = {
    {"zip/made-debian/pics_deflate.zip", &openZip, kOk, kOk, 7, 7},
    {"zip/made-debian/pics_stored.zip", &openZip, kOk, kOk, 7, 7},
    {"zip/made-debian/pics_zip64.zip", &openZip, kOk, kOk, 7, 7},
    {"zip/made-debian/folders_sjis_deflate.zip", &openZip, kOk, kOk, 13, 11},
    {"zip/made-debian/streamed_datadescriptor.zip", &openZip, kOk, kOk, 11, 9},
    {"zip/made-debian/utf8names_7z.zip", &openZip, kOk, kOk, 7, 5},
    {"zip/made-debian/mixed_stored_deflate.zip", &openZip, kOk, kOk, 8, 8},
    {"zip/made-debian/encrypted_zipcrypto.zip", &openZip, kOk, kOk, 3, 0},
    {"zip/made-debian/encrypted_aes256_7z.zip", &openZip, kOk, kOk, 2, 0},
    {"zip/made-debian/pics_deflate64_7z.zip", &openZip, kOk, kOk, 7, 7},
    {"zip/made-debian/pics_bzip2_7z.zip", &openZip, kOk, kOk, 7, 7},
    {"zip/libarchive/test_read_format_zip.zip", &openZip, kOk, kOk, 3, 1},
    {"zip/libarchive/test_read_format_zip_bzip2.zipx", &openZip, kOk, kOk, 1, 1},
    {"zip/libarchive/test_read_format_zip_lzma.zipx", &openZip, kOk, kOk, 1, 0},
    {"zip/libarchive/test_read_format_zip_sfx", &openZip, kOk, kOk, 2, 2},
    {"zip/libarchive/test_read_format_zip_padded1.zip", &openZip, kOk, kOk, 2, 2},
    {"zip/libarchive/test_read_format_zip_with_invalid_traditional_eocd.zip", &openZip, kOk, kOk, 2, 2},
    {"zip/libarchive/test_read_format_zip_zip64a.zip", &openZip, kOk, kOk, 1, 1},
    {"zip/libarchive/test_read_format_zip_malformed1.zip", &openZip, Result::corrupt, kOk, 0, 0},
    {"zip/libarchive/test_read_format_zip_size_exceeds_declared_deflate.zip", &openZip, kOk, kOk, 2, 1},
    {"zip/libarchive/test_read_format_zip_uncompressed_size_off_by_4gib.zip", &openZip, kOk, kOk, 1, 0},
    {"hostile/empty.zip", &openZip, kOk, kOk, 0, 0},
    {"hostile/zero_bytes.zip", &openZip, Result::notThisFormat, kOk, 0, 0},
    {"hostile/zip_huge_declared_truncated_deflate.zip", &openZip, kOk, kOk, 1, 0},
    {"hostile/zip_huge_declared_truncated_stored.zip", &openZip, kOk, kOk, 1, 0},
    {"hostile/zip_traversal.zip", &openZip, kOk, kOk, 7, 7},
    {"tar/made-debian/pics_gnu.tar", &openTar, kOk, kOk, 7, 7},
    {"tar/made-debian/pics_v7.tar", &openTar, kOk, kOk, 7, 7},
    {"tar/made-debian/folders_sjis_longname_gnu.tar", &openTar, kOk, kOk, 16, 12},
    {"tar/made-debian/folders_sjis_longname_pax.tar", &openTar, kOk, kOk, 16, 12},
    {"tar/made-debian/utf8names_pax.tar", &openTar, kOk, kOk, 7, 5},
    {"tar/libarchive/test_compat_gtar_1.tar", &openTar, kOk, kOk, 1, 1},
    {"tar/libarchive/test_compat_gtar_2.tar", &openTar, kOk, kOk, 1, 1},
    {"tar/libarchive/test_compat_tar_hardlink_1.tar", &openTar, kOk, kOk, 1, 1},
    {"tar/libarchive/test_read_format_tar_V_negative_size.tar", &openTar, kOk, Result::corrupt, 0, 0},
    {"tar/libarchive/test_read_format_tar_empty_with_gnulabel.tar", &openTar, kOk, kOk, 0, 0},
    {"hostile/empty.tar", &openTar, kOk, kOk, 0, 0},
    {"hostile/zero_bytes.tar", &openTar, Result::notThisFormat, kOk, 0, 0},
    {"hostile/tar_huge_declared_truncated.tar", &openTar, kOk, Result::corrupt, 1, 0},
    {"hostile/tar_base256_huge_size_truncated.tar", &openTar, kOk, Result::corrupt, 1, 0},
    {"hostile/tar_traversal.tar", &openTar, kOk, kOk, 7, 7},
    {"tgz/made-debian/pics_ustar.tar.gz", &openTgz, kOk, kOk, 7, 7},
    {"tgz/made-debian/folders_sjis_gnu.tgz", &openTgz, kOk, kOk, 13, 11},
    {"tgz/libarchive/test_compat_gzip_1.tgz", &openTgz, kOk, kOk, 6, 6},
    {"tgz/libarchive/test_compat_gzip_2.tgz", &openTgz, kOk, kOk, 6, 6},
    {"hostile/empty.tar.gz", &openTgz, kOk, kOk, 0, 0},
    {"hostile/zero_bytes.tgz", &openTgz, Result::notThisFormat, kOk, 0, 0},
};

void PrintTo(const CorpusCase& c, std::ostream* os) { *os << c.file; }

class Corpus : public ::testing::TestWithParam<CorpusCase> {
 protected:
  void SetUp() override {
    if (!sharedCorpusPresent()) GTEST_SKIP() << "shared/testdata/archives is not beside the repository";
  }
};

TEST_P(Corpus, ListsAndExtractsAsExpected) {
  const CorpusCase& c = GetParam();
  const std::vector<std::uint8_t> data = readFile(sharedPath(c.file));
  Opened o = openAndList(c.open, data);
  ASSERT_EQ(o.openResult, c.openResult);
  if (!o.reader) return;
  EXPECT_EQ(o.listResult, c.listResult);
  EXPECT_EQ(o.members.size(), c.members);
  int extracted = 0;
  for (const MemberEntry& m : o.members) {
    Result r = Result::ioError;
    const std::string bytes = extractText(*o.reader, m, r);
    if (r == Result::ok && !m.isFolder) {
      EXPECT_EQ(bytes.size(), m.size) << m.name;
      ++extracted;
    }
  }
  if (c.extracted >= 0) {
    EXPECT_EQ(extracted, c.extracted);
  }
}

std::string caseName(const ::testing::TestParamInfo<CorpusCase>& info) {
  std::string name = info.param.file;
  for (char& ch : name) {
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Shared, Corpus, ::testing::ValuesIn(kCases), caseName);

class CorpusOriginals : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!sharedCorpusPresent()) GTEST_SKIP() << "shared/testdata/archives is not beside the repository";
  }
};

// Members of the made archives are byte-identical to the originals.
TEST_F(CorpusOriginals, ExtractedPicturesEqualTheOriginals) {
  struct Source {
    const char* file;
    Opener open;
  } sources[] = {{"zip/made-debian/pics_deflate.zip", &openZip},
                 {"zip/made-debian/pics_zip64.zip", &openZip},
                 {"zip/made-debian/pics_bzip2_7z.zip", &openZip},
                 {"zip/made-debian/pics_deflate64_7z.zip", &openZip},
                 {"tar/made-debian/pics_ustar.tar", &openTar},
                 {"tgz/made-debian/pics_ustar.tar.gz", &openTgz}};
  for (const Source& s : sources) {
    const std::vector<std::uint8_t> data = readFile(sharedPath(s.file));
    Opened o = openAndList(s.open, data);
    ASSERT_EQ(o.listResult, Result::ok) << s.file;
    for (const MemberEntry& m : o.members) {
      Result r = Result::ioError;
      const std::string bytes = extractText(*o.reader, m, r);
      ASSERT_EQ(r, Result::ok) << s.file << " " << m.name;
      const std::vector<std::uint8_t> original = readFile(sharedPath("originals/" + m.name));
      EXPECT_EQ(bytes, std::string(original.begin(), original.end())) << s.file << " " << m.name;
    }
  }
}

// The hostile names are listed as stored, and only the harmless ones may
// be placed under a destination. The member "behind" a symbolic link is
// not listed at all.
TEST_F(CorpusOriginals, OnlyTheHarmlessTraversalMemberCanBePlaced) {
  struct Source {
    const char* file;
    Opener open;
    std::vector<std::string> harmless;
  } sources[] = {{"hostile/zip_traversal.zip", &openZip, {"ok/normal.jpg"}},
                 {"hostile/tar_traversal.tar", &openTar, {"ok/normal.jpg"}}};
  for (const auto& [file, open, harmless] : sources) {
    const std::vector<std::uint8_t> data = readFile(sharedPath(file));
    Opened o = openAndList(open, data);
    std::vector<std::string> placed;
    for (const MemberEntry& m : o.members) {
      PlacedPath p;
      if (placeUnder("C:\\dest\\", m.name, isCp932LeadByte, p)) placed.push_back(m.name);
    }
    EXPECT_EQ(placed, harmless) << file;
  }
}

}  // namespace
}  // namespace rivano::arc::test
