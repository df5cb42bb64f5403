// Damaged copies of good archives: flipped bytes and cut-off ends. A reader
// may refuse them or read them, but it must not crash, hang or hand out
// more bytes than the member it claims to extract.
#include <gtest/gtest.h>

#include <random>

#include "archivers/gzip/tgz_reader.h"
#include "archivers/tar/tar_reader.h"
#include "archivers/zip/zip_reader.h"
#include "tests/archivers/test_support.h"

namespace rivano::arc::test {
namespace {

struct MutationCase {
  const char* file;
  Opener open;
};

// Opens, lists and extracts everything; returns the members extracted.
int exercise(Opener open, const std::vector<std::uint8_t>& data) {
  Limits limits;
  limits.maxMemberSize = 1 << 20;
  limits.maxStreamSize = 8 << 20;
  Opened o = openAndList(open, data, limits);
  if (!o.reader) {
    EXPECT_NE(o.openResult, Result::ok);
    return 0;
  }
  int extracted = 0;
  for (const MemberEntry& m : o.members) {
    VectorSink sink(limits.maxMemberSize);
    const Result r = o.reader->extract(m, sink);
    if (r == Result::ok && !m.isFolder) {
      EXPECT_EQ(sink.bytes.size(), m.size) << m.name;
      ++extracted;
    }
  }
  return extracted;
}

class Mutation : public ::testing::TestWithParam<MutationCase> {};

TEST_P(Mutation, FlippedBytesNeverCrashTheReader) {
  const std::vector<std::uint8_t> good = readFile(fixturePath(GetParam().file));
  ASSERT_GT(exercise(GetParam().open, good), 0);
  std::mt19937 random(12345);
  for (int round = 0; round < 400; ++round) {
    std::vector<std::uint8_t> data = good;
    const int flips = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < flips; ++i) {
      data[random() % data.size()] ^= static_cast<std::uint8_t>(1u << (random() % 8));
    }
    exercise(GetParam().open, data);
  }
}

TEST_P(Mutation, TruncationNeverCrashesTheReader) {
  const std::vector<std::uint8_t> good = readFile(fixturePath(GetParam().file));
  const std::size_t step = good.size() / 97 + 1;
  for (std::size_t length = 0; length < good.size(); length += step) {
    const std::vector<std::uint8_t> data(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
    exercise(GetParam().open, data);
  }
}

INSTANTIATE_TEST_SUITE_P(Readers, Mutation,
                         ::testing::Values(MutationCase{"pics.zip", &openZip}, MutationCase{"streamed.zip", &openZip},
                                           MutationCase{"bzip2.zip", &openZip},
                                           MutationCase{"pics_gnu.tar", &openTar},
                                           MutationCase{"pics_pax.tar", &openTar},
                                           MutationCase{"pics.tgz", &openTgz}));

}  // namespace
}  // namespace rivano::arc::test
