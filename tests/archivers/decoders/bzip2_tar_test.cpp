// .tar.bz2 and single .bz2 sources through the reader the Tar library
// registers (bzip2 decoder plus the real tar reader).
#include <gtest/gtest.h>

#include "archivers/bzip2/bzip2_tar.h"
#include "tests/archivers/decoders/decoder_test_util.h"

namespace rivano::arc::test {
namespace {

TEST(Bzip2Tar, TarInsideListsItsMembers) {
  Bytes a = readFile(fixture("tree.tar.bz2"));
  Result r;
  auto reader = openBz2(a, Limits{}, r);
  ASSERT_TRUE(reader) << resultName(r);
  EXPECT_FALSE(nameBzip2Member(*reader, "tree.tar.bz2"));  // not a single file
  std::vector<MemberEntry> members;
  ASSERT_EQ(reader->list(members), Result::ok);
  const MemberEntry* m = nullptr;
  for (const auto& e : members) {
    if (e.name.find("old") != std::string::npos && !e.isFolder) m = &e;
  }
  ASSERT_NE(m, nullptr);
  Bytes out;
  ASSERT_EQ(extractTo(*reader, *m, out), Result::ok);
  EXPECT_TRUE(out == readFile(original("text.txt")));
}

TEST(Bzip2Tar, SingleFileIsNamedByTheShell) {
  Bytes a = readFile(fixture("runs.bin.bz2"));
  Result r;
  auto reader = openBz2(a, Limits{}, r);
  ASSERT_TRUE(reader);
  ASSERT_TRUE(nameBzip2Member(*reader, "D:\\dl\\runs.bin.bz2"));
  std::vector<MemberEntry> members;
  ASSERT_EQ(reader->list(members), Result::ok);
  ASSERT_EQ(members.size(), 1u);
  EXPECT_EQ(members[0].name, "runs.bin");
  Bytes out;
  ASSERT_EQ(extractTo(*reader, members[0], out), Result::ok);
  EXPECT_TRUE(out == readFile(original("runs.bin")));
}

TEST(Bzip2Tar, SharedTarBz2Samples) {
  RIVANO_REQUIRE_SHARED();
  const std::pair<const char*, std::size_t> cases[] = {{"made-debian/folders_sjis_gnu.tar.bz2", 13},
                                                       {"made-debian/pics_ustar.tbz", 7},
                                                       {"libarchive/test_compat_bzip2_1.tbz", 6},
                                                       {"libarchive/test_compat_bzip2_2.tbz", 6}};
  for (const auto& [file, count] : cases) {
    SCOPED_TRACE(file);
    Bytes a = readFile(sharedArchive(std::string("bz2/") + file));
    Result r;
    auto reader = openBz2(a, Limits{}, r);
    ASSERT_TRUE(reader) << resultName(r);
    std::vector<MemberEntry> members;
    ASSERT_EQ(reader->list(members), Result::ok);
    EXPECT_GE(members.size(), count - 2);  // folders may or may not be listed
    for (const auto& m : members) {
      Bytes out;
      EXPECT_EQ(extractTo(*reader, m, out), Result::ok) << m.name;
    }
  }
  Bytes empty = readFile(sharedArchive("hostile/empty.tar.bz2"));
  Result r;
  auto reader = openBz2(empty, Limits{}, r);
  ASSERT_TRUE(reader);
  std::vector<MemberEntry> members;
  EXPECT_EQ(reader->list(members), Result::ok);
  EXPECT_TRUE(members.empty());
}

}  // namespace
}  // namespace rivano::arc::test
