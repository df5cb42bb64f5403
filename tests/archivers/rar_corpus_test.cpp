// The RAR samples of the shared corpus (shared/testdata/archives), when it
// is beside the repository: every archive listed and every member
// extracted, each checked by its own CRC and, where the same file sits in
// several archives, byte for byte against its stored copy. Members of a
// compression generation this build leaves out must read as unsupported.
#include <gtest/gtest.h>

#include <cctype>
#include <map>

#include "archivers/core/member_path.h"
#include "archivers/rar/rar_reader.h"
#include "tests/archivers/test_support.h"

namespace rivano::arc::test {
namespace {

constexpr Result kOk = Result::ok;

struct RarCase {
  const char* file;
  Result openResult;
  Result listResult;
  std::size_t members;  // file and folder entries listed
  int extracted;        // file members that extract with a good CRC, all decoders present
};

const RarCase kCases[] = {
    {"hostile/empty_rar4.rar", kOk, kOk, 0, 0},
    {"hostile/empty_rar5.rar", kOk, kOk, 0, 0},
    {"hostile/zero_bytes.rar", Result::notThisFormat, kOk, 0, 0},
    {"hostile/rar4_huge_declared_truncated.rar", kOk, Result::corrupt, 1, 0},
    {"hostile/rar4_traversal_stored.rar", kOk, kOk, 4, 4},
    {"rar/corkami/rar14.rar", Result::notThisFormat, kOk, 0, 0},
    {"rar/libarchive/test_read_format_rar.rar", kOk, kOk, 4, 2},
    {"rar/libarchive/test_read_format_rar3_lowdist_reset.rar", kOk, kOk, 1, 1},
    {"rar/libarchive/test_read_format_rar4_solid_encrypted.rar", kOk, kOk, 4, 0},
    {"rar/libarchive/test_read_format_rar5_arm.rar", kOk, kOk, 1, 1},
    {"rar/libarchive/test_read_format_rar5_bad_tables.rar", kOk, kOk, 1, 0},
    {"rar/libarchive/test_read_format_rar5_blake2.rar", kOk, kOk, 1, 1},
    {"rar/libarchive/test_read_format_rar5_compressed.rar", kOk, kOk, 1, 1},
    {"rar/libarchive/test_read_format_rar5_encrypted.rar", kOk, kOk, 4, 2},
    {"rar/libarchive/test_read_format_rar5_encrypted_filenames.rar", kOk, Result::unsupportedMethod, 0, 0},
    {"rar/libarchive/test_read_format_rar5_hardlink.rar", kOk, kOk, 1, 1},
    {"rar/libarchive/test_read_format_rar5_multiarchive_solid.part01.rar", kOk, kOk, 9, 8},
    {"rar/libarchive/test_read_format_rar5_multiarchive_solid.part02.rar", kOk, kOk, 1, 0},
    {"rar/libarchive/test_read_format_rar5_multiarchive_solid.part03.rar", kOk, kOk, 1, 0},
    {"rar/libarchive/test_read_format_rar5_multiarchive_solid.part04.rar", kOk, kOk, 1, 0},
    {"rar/libarchive/test_read_format_rar5_multiple_files.rar", kOk, kOk, 4, 4},
    {"rar/libarchive/test_read_format_rar5_multiple_files_solid.rar", kOk, kOk, 4, 4},
    {"rar/libarchive/test_read_format_rar5_solid.rar", kOk, kOk, 7, 7},
    {"rar/libarchive/test_read_format_rar5_stored.rar", kOk, kOk, 1, 1},
    {"rar/libarchive/test_read_format_rar5_symlink.rar", kOk, kOk, 2, 1},
    {"rar/libarchive/test_read_format_rar5_truncated_huff.rar", Result::corrupt, kOk, 0, 0},
    {"rar/libarchive/test_read_format_rar5_unicode.rar", kOk, kOk, 1, 1},
    {"rar/libarchive/test_read_format_rar5_unpacked_size_exceeds_declared.rar", Result::corrupt, kOk, 0, 0},
    {"rar/libarchive/test_read_format_rar5_win32.rar", kOk, kOk, 8, 7},
    {"rar/libarchive/test_read_format_rar_compress_best.rar", kOk, kOk, 5, 3},
    {"rar/libarchive/test_read_format_rar_compress_normal.rar", kOk, kOk, 5, 3},
    {"rar/libarchive/test_read_format_rar_encryption_data.rar", kOk, kOk, 2, 0},
    {"rar/libarchive/test_read_format_rar_encryption_header.rar", kOk, Result::unsupportedMethod, 0, 0},
    {"rar/libarchive/test_read_format_rar_encryption_partially.rar", kOk, kOk, 2, 1},
    {"rar/libarchive/test_read_format_rar_filter.rar", kOk, kOk, 1, 1},
    {"rar/libarchive/test_read_format_rar_invalid1.rar", kOk, Result::corrupt, 1, 0},
    {"rar/libarchive/test_read_format_rar_multi_lzss_blocks.rar", kOk, kOk, 1, 1},
    {"rar/libarchive/test_read_format_rar_multivolume.part0001.rar", kOk, kOk, 1, 0},
    {"rar/libarchive/test_read_format_rar_multivolume.part0002.rar", kOk, kOk, 1, 0},
    {"rar/libarchive/test_read_format_rar_multivolume.part0003.rar", kOk, kOk, 2, 0},
    {"rar/libarchive/test_read_format_rar_multivolume.part0004.rar", kOk, kOk, 5, 2},
    {"rar/libarchive/test_read_format_rar_noeof.rar", kOk, kOk, 1, 1},
    {"rar/libarchive/test_read_format_rar_ppmd_lzss_conversion.rar", kOk, kOk, 1, 1},
    {"rar/libarchive/test_read_format_rar_sfx.exe", kOk, kOk, 5, 3},
    {"rar/libarchive/test_read_format_rar_subblock.rar", kOk, kOk, 1, 1},
    {"rar/libarchive/test_read_format_rar_unicode.rar", kOk, kOk, 5, 3},
    {"rar/libarchive/test_read_format_rar_windows.rar", kOk, kOk, 5, 3},
    {"rar/rarfile/rar15-comment.rar", kOk, kOk, 2, 2},
    {"rar/rarfile/rar2-unix-owner.rar", kOk, kOk, 1, 1},
    {"rar/rarfile/rar202-comment-nopsw.rar", kOk, kOk, 2, 2},
    {"rar/rarfile/rar202-comment-psw.rar", kOk, kOk, 2, 0},
    {"rar/rarfile/rar3-old.rar", kOk, kOk, 1, 0},
    {"rar/rarfile/rar3-old.r00", kOk, kOk, 1, 0},
    {"rar/rarfile/rar3-old.r01", kOk, kOk, 2, 1},
    {"rar/rarfile/rar3-solid.rar", kOk, kOk, 2, 2},
    {"rar/rarfile/rar3-subdirs.rar", kOk, kOk, 10, 4},
    {"rar/rarfile/rar5-evil-symlink-traversal.rar", kOk, kOk, 0, 0},
    {"rar/rarfile/rar5-solid.rar", kOk, kOk, 2, 2},
    {"rar/rarfile/unicode.rar", kOk, kOk, 2, 2},
    {"rar/sharpcompress/Rar.Audio_program.rar", kOk, kOk, 1, 1},
    {"rar/sharpcompress/Rar.jpeg.jpg", kOk, kOk, 6, 3},
    {"rar/sharpcompress/Rar.malformed_512byte.rar", kOk, Result::corrupt, 1, 0},
    {"rar/sharpcompress/Rar.none.rar", kOk, kOk, 6, 3},
    {"rar/sharpcompress/Rar.rar", kOk, kOk, 6, 3},
    {"rar/sharpcompress/Rar.solid.rar", kOk, kOk, 6, 3},
    {"rar/sharpcompress/Rar.test_invalid_exttime.rar", kOk, kOk, 1, 1},
    {"rar/sharpcompress/Rar15.rar", kOk, kOk, 5, 3},
    {"rar/sharpcompress/Rar2.multi.rar", kOk, kOk, 3, 0},
    {"rar/sharpcompress/Rar2.multi.r00", kOk, kOk, 2, 0},
    {"rar/sharpcompress/Rar2.multi.r04", kOk, kOk, 2, 0},
    {"rar/sharpcompress/Rar2.multi.r05", kOk, kOk, 1, 0},
    {"rar/sharpcompress/Rar2.rar", kOk, kOk, 5, 3},
    {"rar/sharpcompress/Rar4.rar", kOk, kOk, 5, 3},
    {"rar/sharpcompress/Rar5.none.rar", kOk, kOk, 6, 3},
    {"rar/sharpcompress/Rar5.rar", kOk, kOk, 6, 3},
    {"rar/sharpcompress/Rar5.solid.rar", kOk, kOk, 6, 3},
};

void PrintTo(const RarCase& c, std::ostream* os) { *os << c.file; }

// The generation a member's method text names ("v29:m3"); 0 when stored.
int generationOf(const MemberEntry& m) {
  if (m.method.size() < 6 || m.method[5] == '0') return 0;
  const int version = (m.method[1] - '0') * 10 + (m.method[2] - '0');
  switch (version) {
    case 15: return 15;
    case 20:
    case 26: return 20;
    case 29:
    case 36: return 29;
    case 50: return 50;
    default: return -1;
  }
}

bool generationBuilt(int generation) {
  switch (generation) {
    case 0: return true;
#ifdef RIVANO_RAR_HAS_V15
    case 15: return true;
#endif
#ifdef RIVANO_RAR_HAS_V20
    case 20: return true;
#endif
#ifdef RIVANO_RAR_HAS_V29
    case 29: return true;
#endif
#ifdef RIVANO_RAR_HAS_V50
    case 50: return true;
#endif
    default: return false;
  }
}

// Keeps small members for comparison; large ones are only counted.
class KeepingSink final : public Sink {
 public:
  bool write(const std::uint8_t* data, std::size_t size) override {
    count += size;
    if (count <= kKeep) bytes.append(reinterpret_cast<const char*>(data), size);
    return true;
  }
  static constexpr std::size_t kKeep = 4u << 20;
  std::string bytes;
  std::uint64_t count = 0;
};

struct Extracted {
  Result result = Result::ioError;
  std::string bytes;
};

// Opens, lists and extracts every member; the names as the library gives
// them (lower case, for comparisons across archives) map to the results.
std::map<std::string, Extracted> extractAll(const std::vector<std::uint8_t>& data, Opened& o) {
  o = openAndList(&openRar, data);
  std::map<std::string, Extracted> out;
  if (!o.reader) return out;
  for (const MemberEntry& m : o.members) {
    KeepingSink sink;
    Extracted e;
    e.result = o.reader->extract(m, sink);
    if (e.result == Result::ok && !m.isFolder) {
      EXPECT_EQ(sink.count, m.size) << m.name;
    }
    e.bytes = std::move(sink.bytes);
    std::string key = m.name;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    out[key] = std::move(e);
  }
  return out;
}

class RarCorpus : public ::testing::TestWithParam<RarCase> {
 protected:
  void SetUp() override {
    if (!sharedCorpusPresent()) GTEST_SKIP() << "shared/testdata/archives is not beside the repository";
  }
};

TEST_P(RarCorpus, ListsAndExtractsAsExpected) {
  const RarCase& c = GetParam();
  Opened o;
  const std::vector<std::uint8_t> data = readFile(sharedPath(c.file));
  o = openAndList(&openRar, data);
  ASSERT_EQ(o.openResult, c.openResult);
  if (!o.reader) return;
  EXPECT_EQ(o.listResult, c.listResult);
  EXPECT_EQ(o.members.size(), c.members);
  int extracted = 0;
  bool everyGenerationBuilt = true;
  for (const MemberEntry& m : o.members) {
    KeepingSink sink;
    const Result r = o.reader->extract(m, sink);
    if (m.isFolder) {
      EXPECT_EQ(r, Result::ok) << m.name;
      continue;
    }
    if (!generationBuilt(generationOf(m))) {
      everyGenerationBuilt = false;
      // Damage the container sees (data cut off) may be told first.
      EXPECT_TRUE(r == Result::unsupportedMethod || r == Result::corrupt) << m.name << " " << resultName(r);
      EXPECT_EQ(sink.count, 0u) << m.name;
      continue;
    }
    if (r == Result::ok) {
      EXPECT_EQ(sink.count, m.size) << m.name;
      ++extracted;
    }
  }
  if (everyGenerationBuilt) {
    EXPECT_EQ(extracted, c.extracted);
  } else {
    EXPECT_LE(extracted, c.extracted);
  }
}

std::string caseName(const ::testing::TestParamInfo<RarCase>& info) {
  std::string name = info.param.file;
  for (char& ch : name) {
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Shared, RarCorpus, ::testing::ValuesIn(kCases), caseName);

class RarCorpusContent : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!sharedCorpusPresent()) GTEST_SKIP() << "shared/testdata/archives is not beside the repository";
  }
  // Every member of `file` that decodes equals the same-named member of
  // the stored reference (names compared without case).
  void expectSameAs(const std::map<std::string, Extracted>& reference, const char* file) {
    Opened o;
    const auto members = extractAll(readFile(sharedPath(file)), o);
    int compared = 0;
    for (const auto& [name, e] : members) {
      const auto ref = reference.find(name);
      if (ref == reference.end() || e.result != Result::ok) continue;
      EXPECT_EQ(e.bytes, ref->second.bytes) << file << " " << name;
      ++compared;
    }
    bool anyBuilt = false;
    for (const MemberEntry& m : o.members) anyBuilt = anyBuilt || (!m.isFolder && generationBuilt(generationOf(m)));
    if (anyBuilt) {
      EXPECT_GT(compared, 0) << file;
    }
  }
};

// The same three files (an executable, a JPEG, a Cyrillic text) in every
// generation and layout: stored ones are the reference.
TEST_F(RarCorpusContent, EveryGenerationGivesTheStoredBytes) {
  Opened o;
  const auto stored = extractAll(readFile(sharedPath("rar/sharpcompress/Rar.none.rar")), o);
  ASSERT_EQ(stored.at("jpg\\test.jpg").result, Result::ok);
  // The JPEG that Rar.jpeg.jpg is, in front of its archive.
  const std::vector<std::uint8_t> carrier = readFile(sharedPath("rar/sharpcompress/Rar.jpeg.jpg"));
  ASSERT_GE(carrier.size(), 40372u);
  EXPECT_EQ(stored.at("jpg\\test.jpg").bytes, std::string(carrier.begin(), carrier.begin() + 40372));
  for (const char* file : {"rar/sharpcompress/Rar.rar", "rar/sharpcompress/Rar.solid.rar",
                           "rar/sharpcompress/Rar.jpeg.jpg", "rar/sharpcompress/Rar2.rar",
                           "rar/sharpcompress/Rar4.rar", "rar/sharpcompress/Rar5.none.rar",
                           "rar/sharpcompress/Rar5.rar", "rar/sharpcompress/Rar5.solid.rar",
                           "rar/sharpcompress/Rar15.rar", "rar/sharpcompress/Rar.test_invalid_exttime.rar"}) {
    std::map<std::string, Extracted> reference = stored;
    reference["test.jpg"] = stored.at("jpg\\test.jpg");
    expectSameAs(reference, file);
  }
}

TEST_F(RarCorpusContent, PpmdAndLzGiveTheSameHtml) {
  Opened o;
  const auto normal = extractAll(readFile(sharedPath("rar/libarchive/test_read_format_rar_compress_normal.rar")), o);
  if (!generationBuilt(29)) GTEST_SKIP() << "no RAR 2.9 decoder in this build";
  expectSameAs(normal, "rar/libarchive/test_read_format_rar_compress_best.rar");
  expectSameAs(normal, "rar/libarchive/test_read_format_rar_multivolume.part0004.rar");
}

TEST_F(RarCorpusContent, SolidAndPlainRar5ArchivesAgree) {
  if (!generationBuilt(50)) GTEST_SKIP() << "no RAR 5 decoder in this build";
  Opened o;
  const auto plain = extractAll(readFile(sharedPath("rar/libarchive/test_read_format_rar5_multiple_files.rar")), o);
  expectSameAs(plain, "rar/libarchive/test_read_format_rar5_multiple_files_solid.rar");
}

// In a solid archive a member continues the stream of those before it:
// asked for first, the last one still comes out right (the ones before it
// are decoded on the way), and so do the earlier ones asked for after it.
TEST_F(RarCorpusContent, SolidMembersComeOutRightInAnyOrder) {
  Opened o;
  const auto stored = extractAll(readFile(sharedPath("rar/sharpcompress/Rar.none.rar")), o);
  for (const char* file : {"rar/sharpcompress/Rar.solid.rar", "rar/sharpcompress/Rar5.solid.rar"}) {
    const std::vector<std::uint8_t> data = readFile(sharedPath(file));
    Opened solid = openAndList(&openRar, data);
    ASSERT_EQ(solid.listResult, Result::ok) << file;
    std::vector<const MemberEntry*> files;
    for (const MemberEntry& m : solid.members) {
      if (!m.isFolder) files.push_back(&m);
    }
    ASSERT_EQ(files.size(), 3u) << file;
    if (!generationBuilt(generationOf(*files[0]))) continue;
    for (const MemberEntry* m : {files[2], files[0], files[2], files[1]}) {
      KeepingSink sink;
      ASSERT_EQ(solid.reader->extract(*m, sink), Result::ok) << file << " " << m->name;
      std::string key = m->name;
      for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      EXPECT_EQ(sink.bytes, stored.at(key).bytes) << file << " " << m->name;
    }
  }
}

// Damage in the first member of a solid stream spoils every member after
// it: each reports it, none comes out as garbage.
TEST_F(RarCorpusContent, DamageEarlyInASolidStreamSpoilsTheMembersAfterIt) {
  for (const char* file : {"rar/sharpcompress/Rar.solid.rar", "rar/sharpcompress/Rar5.solid.rar"}) {
    std::vector<std::uint8_t> data = readFile(sharedPath(file));
    Opened first = openAndList(&openRar, data);
    ASSERT_FALSE(first.members.empty()) << file;
    if (!generationBuilt(generationOf(first.members[0]))) continue;
    data[static_cast<std::size_t>(first.members[0].locator2) + 40] ^= 0x55;  // inside its packed bytes
    Opened damaged = openAndList(&openRar, data);
    for (int pass = 0; pass < 2; ++pass) {
      for (const MemberEntry& m : damaged.members) {
        if (m.isFolder) continue;
        KeepingSink sink;
        EXPECT_EQ(damaged.reader->extract(m, sink), Result::corrupt) << file << " " << m.name;
      }
    }
  }
}

// Names as the manifest gives them: packed Unicode, UTF-8 and Shift_JIS
// bytes, folders inside the archive.
TEST_F(RarCorpusContent, NamesComeOutAsTheManifestSaysTheyAre) {
  struct Expect {
    const char* file;
    std::vector<std::string> names;
  } cases[] = {
      {"rar/sharpcompress/Rar.rar",
       {"\xD1\x82\xD0\xB5\xD1\x81\xD1\x82.txt", "exe\\test.exe", "jpg\\test.jpg", "Empty", "exe", "jpg"}},
      {"rar/sharpcompress/Rar5.rar",
       {"exe\\test.exe", "jpg\\test.jpg", "\xD1\x82\xD0\xB5\xD1\x81\xD1\x82.txt", "Empty", "exe", "jpg"}},
      {"rar/libarchive/test_read_format_rar_unicode.rar",
       {"\xE8\xA1\xA8\xE3\x81\xA0\xE3\x82\x88\\\xE6\x96\xB0\xE3\x81\x97\xE3\x81\x84\xE3\x83\x95\xE3\x82\xA9\xE3\x83"
        "\xAB\xE3\x83\x80\\\xE6\x96\xB0\xE8\xA6\x8F\xE3\x83\x86\xE3\x82\xAD\xE3\x82\xB9\xE3\x83\x88 \xE3\x83\x89\xE3"
        "\x82\xAD\xE3\x83\xA5\xE3\x83\xA1\xE3\x83\xB3\xE3\x83\x88.txt",
        "\xE8\xA1\xA8\xE3\x81\xA0\xE3\x82\x88\\\xE6\xBC\xA2\xE5\xAD\x97\xE9\x95\xB7\xE3\x81\x84\xE3\x83\x95\xE3\x82"
        "\xA1\xE3\x82\xA4\xE3\x83\xAB\xE5\x90\x8Dlong-filename-in-\xE6\xBC\xA2\xE5\xAD\x97.txt",
        "\xE8\xA1\xA8\xE3\x81\xA0\xE3\x82\x88\\\xE6\x96\xB0\xE3\x81\x97\xE3\x81\x84\xE3\x83\x95\xE3\x82\xA9\xE3\x83"
        "\xAB\xE3\x83\x80",
        "\xE8\xA1\xA8\xE3\x81\xA0\xE3\x82\x88",
        "abcdefghijklmnopqrs\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88.txt"}},
      {"rar/rarfile/rar3-subdirs.rar",
       {"sub\\dir2\\file2.txt", "sub\\with space\\long fn.txt",
        "sub\\\xC3\xBC\xC8\xB5\xC4\xA9\xC3\xB6\xE1\xB8\x8B\xC3\xA8\\file.txt", "sub\\dir1\\file1.txt", "sub\\dir2",
        "sub\\with space", "sub\\empty", "sub\\\xC3\xBC\xC8\xB5\xC4\xA9\xC3\xB6\xE1\xB8\x8B\xC3\xA8", "sub\\dir1",
        "sub"}},
      {"rar/sharpcompress/Rar15.rar", {"EXE", "EXE\\TEST.EXE", "JPG", "JPG\\TEST.JPG", "TECT.TXT"}},
  };
  for (const Expect& c : cases) {
    Opened o = openAndList(&openRar, readFile(sharedPath(c.file)));
    std::vector<std::string> names;
    for (const MemberEntry& m : o.members) names.push_back(m.name);
    EXPECT_EQ(names, c.names) << c.file;
  }
}

// Hostile names are listed as stored, and only the harmless one can be
// placed; the member behind a symbolic link is not listed at all.
TEST_F(RarCorpusContent, OnlyHarmlessMembersCanBePlaced) {
  struct Source {
    const char* file;
    std::vector<std::string> harmless;
  } sources[] = {{"hostile/rar4_traversal_stored.rar", {"ok\\normal.jpg"}},
                 {"rar/rarfile/rar5-evil-symlink-traversal.rar", {}}};
  for (const auto& [file, harmless] : sources) {
    Opened o = openAndList(&openRar, readFile(sharedPath(file)));
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
