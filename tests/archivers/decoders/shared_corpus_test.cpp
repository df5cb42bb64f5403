// Real-world samples from the shared corpus: other archivers' own test
// archives and hand-made hostile files (the Debian-made ones repeat what
// the build-time fixtures cover).
// Skipped when the corpus is not beside the repository.
#include <gtest/gtest.h>

#include "archivers/arj/arj_reader.h"
#include "archivers/bzip2/bzip2_reader.h"
#include "archivers/lzh/lzh_reader.h"
#include "tests/archivers/decoders/decoder_test_util.h"

namespace rivano::arc::test {
namespace {

using Opener = std::unique_ptr<ArchiveReader> (*)(ByteSpan, const Limits&, Result&);

struct Outcome {
  Result list = Result::ok;
  std::size_t members = 0;
  std::size_t failed = 0;  // members whose extraction did not give ok
  Result firstFailure = Result::ok;
};

Outcome run(const std::string& file, Opener open) {
  Outcome o;
  Bytes a = readFile(sharedArchive(file));
  Result r;
  auto reader = open(a, Limits{}, r);
  if (!reader) {
    o.list = r;
    return o;
  }
  std::vector<MemberEntry> members;
  o.list = reader->list(members);
  o.members = members.size();
  for (const auto& m : members) {
    Bytes out;
    Result e = extractTo(*reader, m, out);
    if (e != Result::ok) {
      if (o.failed++ == 0) o.firstFailure = e;
      continue;
    }
    EXPECT_EQ(out.size(), m.size) << file << ": " << m.name;
  }
  return o;
}

TEST(SharedLzh, OtherArchiversSamplesDecode) {
  RIVANO_REQUIRE_SHARED();
  const std::pair<const char*, std::size_t> ok[] = {
      {"lhasa/explzh_723/h0_lh0.lzh", 1},   {"lhasa/explzh_723/h1_lh7.lzh", 1},
      {"lhasa/explzh_723/h1_subdir.lzh", 3}, {"lhasa/explzh_723/h2_lh6.lzh", 1},
      {"lhasa/explzh_723/h2_lh7.lzh", 1},   {"lhasa/explzh_723/h2_subdir.lzh", 3},
      {"lhasa/lha213/lh5.lzh", 1},          {"lhasa/lha255e/lh0.lzh", 1},
      {"lhasa/lha255e/lh5.lzh", 1},         {"lhasa/lha255e/sfx.exe", 1},
      {"lhasa/lha255e/subdir.lzh", 1},      {"lhasa/lha_amiga_122/lh4.lzh", 1},
      {"lhasa/lha_os2_208/h3_lh5.lzh", 1},  {"lhasa/lha_os2_208/h3_subdir.lzh", 3},
      {"lhasa/lha_unix114i/h0_lh6.lzh", 1}, {"lhasa/lha_unix114i/h2_lh7.lzh", 1},
      {"lhasa/lhmelt_16536/h0_lh5.lzh", 1}, {"lhasa/lhmelt_16536/h0_lh6.lzh", 1},
      {"lhasa/lhmelt_16536/h0_lh7.lzh", 1}, {"lhasa/lhmelt_16536/h1_lh5.lzh", 1},
      {"lhasa/lhmelt_16536/h2_lh5.lzh", 1}, {"lhasa/regression/multiple.lzh", 5},
      {"libarchive/test_read_format_lha_bugfix_0.lzh", 1},
      {"libarchive/test_read_format_lha_filename_cp932.lzh", 2},
      {"libarchive/test_read_format_lha_header3.lzh", 4},
      {"libarchive/test_read_format_lha_withjunk.lzh", 4},  // two symbolic links are left out
      {"libarchive/test_read_format_lha_lh6.lzh", 4},
      {"libarchive/test_read_format_lha_lh7.lzh", 4},
      {"libarchive/test_read_format_lha_header0.lzh", 4}};
  for (const auto& [f, count] : ok) {
    SCOPED_TRACE(f);
    Outcome o = run(std::string("lzh/") + f, openLzh);
    EXPECT_EQ(o.list, Result::ok);
    EXPECT_EQ(o.members, count);
    EXPECT_EQ(o.failed, 0u) << resultName(o.firstFailure);
  }
}

TEST(SharedLzh, MethodsWeDoNotDecodeAreRefusedPerMember) {
  RIVANO_REQUIRE_SHARED();
  for (const char* f : {"lhasa/larc333/lz5.lzs", "lhasa/lharc113/lh1.lzh", "lhasa/unlha32/h2_lhx.lzh",
                        "lhasa/unlha32/lh2.lzh", "lhasa/unlha32/lh3.lzh"}) {
    SCOPED_TRACE(f);
    Outcome o = run(std::string("lzh/") + f, openLzh);
    EXPECT_EQ(o.list, Result::ok);
    EXPECT_EQ(o.members, 1u);
    EXPECT_EQ(o.firstFailure, Result::unsupportedMethod);
  }
}

TEST(SharedLzh, DamagedAndHostileSamples) {
  RIVANO_REQUIRE_SHARED();
  Outcome cut = run("lzh/lhasa/regression/truncated.lzh", openLzh);
  EXPECT_EQ(cut.list, Result::corrupt);
  Outcome oversize = run("lzh/libarchive/test_read_format_lha_oversize_header.lzh", openLzh);
  EXPECT_EQ(oversize.list, Result::corrupt);
  EXPECT_EQ(oversize.members, 12u);  // 18 headers, 6 of them symbolic links
  EXPECT_EQ(oversize.failed, 0u);
  Outcome huge = run("hostile/lzh_huge_declared_truncated.lzh", openLzh);
  EXPECT_EQ(huge.list, Result::corrupt);
  EXPECT_EQ(run("hostile/zero_bytes.lzh", openLzh).list, Result::notThisFormat);
  Outcome empty = run("hostile/empty.lzh", openLzh);
  EXPECT_EQ(empty.list, Result::ok);
  EXPECT_EQ(empty.members, 0u);

  // Names are passed on as stored; making them safe is the caller's job.
  Bytes a = readFile(sharedArchive("hostile/lzh_traversal_lh0_h2.lzh"));
  Result r;
  auto reader = openLzh(a, Limits{}, r);
  std::vector<MemberEntry> members;
  ASSERT_EQ(reader->list(members), Result::ok);
  ASSERT_EQ(members.size(), 3u);
  EXPECT_EQ(members[0].name, "..\\..\\escape\\evil_l2.jpg");
  EXPECT_EQ(members[1].name, "\\tmp\\evil_abs.bmp");
}

TEST(SharedLzh, Utf16NamesBecomeUtf8WhenTheyCoverTheWholeName) {
  RIVANO_REQUIRE_SHARED();
  Bytes a = readFile(sharedArchive("lzh/libarchive/test_read_format_lha_filename_utf16.lzh"));
  Result r;
  auto reader = openLzh(a, Limits{}, r);
  std::vector<MemberEntry> m;
  ASSERT_EQ(reader->list(m), Result::ok);
  ASSERT_EQ(m.size(), 6u);
  // The ANSI names hold only underscores for these letters.
  EXPECT_EQ(m[0].name, "\xc3\x9c\xc3\x96\xc3\x84\xc3\xbc\xc3\xb6\xc3\xa4\\\xc3\xa4\xc3\xb6\xc3\xbc\xc3\x84\xc3\x96\xc3\x9c.txt");
  EXPECT_TRUE(m[0].nameIsUtf8);
  EXPECT_TRUE(m[1].isFolder);
  // テスト\ has only its Shift_JIS form: kept as bytes.
  EXPECT_EQ(m[4].name, "\x83\x65\x83\x58\x83\x67\\");
  EXPECT_FALSE(m[4].nameIsUtf8);
}

TEST(SharedArj, OtherArchiversSamplesDecode) {
  RIVANO_REQUIRE_SHARED();
  for (const char* f : {"sharpcompress/Arj.method1.arj", "sharpcompress/Arj.method2.arj",
                        "sharpcompress/Arj.method3.arj", "sharpcompress/Arj.method4.arj",
                        "sharpcompress/Arj.store.arj", "corkami/arj.arj"}) {
    SCOPED_TRACE(f);
    Outcome o = run(std::string("arj/") + f, openArj);
    EXPECT_EQ(o.list, Result::ok);
    EXPECT_GE(o.members, 1u);
    EXPECT_EQ(o.failed, 0u) << resultName(o.firstFailure);
  }
}

TEST(SharedArj, EncryptedVolumesAndEmptyArchives) {
  RIVANO_REQUIRE_SHARED();
  Outcome enc = run("arj/sharpcompress/Arj.encrypted.arj", openArj);
  EXPECT_EQ(enc.list, Result::ok);
  EXPECT_EQ(enc.members, 5u);
  EXPECT_EQ(enc.failed, 3u);  // the three files; folders need no data
  EXPECT_EQ(enc.firstFailure, Result::unsupportedMethod);
  Outcome vol = run("arj/sharpcompress/Arj.store.split.a02", openArj);
  EXPECT_EQ(vol.list, Result::ok);
  EXPECT_EQ(vol.members, 2u);
  EXPECT_EQ(vol.failed, 2u);
  EXPECT_EQ(vol.firstFailure, Result::unsupportedMethod);
  Outcome empty = run("hostile/empty.arj", openArj);
  EXPECT_EQ(empty.list, Result::ok);
  EXPECT_EQ(empty.members, 0u);
  EXPECT_EQ(run("hostile/zero_bytes.arj", openArj).list, Result::notThisFormat);
}

std::unique_ptr<ArchiveReader> openBz2Named(const std::string& file, const Bytes& a, Result& r) {
  return openBzip2(ByteSpan(a), file, Limits{}, r, nullptr);
}

TEST(SharedBzip2, DamagedEmptyAndForeignSources) {
  RIVANO_REQUIRE_SHARED();
  Bytes bad = readFile(sharedArchive("bz2/libarchive/test_read_format_mtree_crash747.mtree.bz2"));
  Result r;
  auto reader = openBz2Named("x.mtree.bz2", bad, r);
  std::vector<MemberEntry> members;
  if (reader) {
    EXPECT_EQ(reader->list(members), Result::corrupt);
  } else {
    EXPECT_EQ(r, Result::notThisFormat);
  }
  Bytes empty = readFile(sharedArchive("hostile/empty.bz2"));
  reader = openBz2Named("empty.bz2", empty, r);
  ASSERT_TRUE(reader);
  ASSERT_EQ(reader->list(members), Result::ok);
  ASSERT_EQ(members.size(), 1u);
  EXPECT_EQ(members[0].name, "empty");
  EXPECT_EQ(members[0].size, 0u);
  EXPECT_EQ(openBz2Named("zero_bytes.bz2", Bytes{}, r), nullptr);
  EXPECT_EQ(r, Result::notThisFormat);
  // Eight streams back to back, and one followed by junk, decode whole.
  for (const char* f : {"test_compat_bzip2_1.tbz", "test_compat_bzip2_2.tbz"}) {
    Bytes tbz = readFile(sharedArchive(std::string("bz2/libarchive/") + f));
    Bytes tar;
    EXPECT_EQ(bz2::decompressAll(ByteSpan(tbz), 1 << 20, tar), Result::ok) << f;
    EXPECT_EQ(tar.size() % 512, 0u) << f;
  }
}

}  // namespace
}  // namespace rivano::arc::test
