// bzip2 decoder and .bz2 reader over streams made by Debian's bzip2.
#include <gtest/gtest.h>

#include "archivers/bzip2/bzip2_decoder.h"
#include "archivers/bzip2/bzip2_reader.h"
#include "tests/archivers/decoders/decoder_test_util.h"

namespace rivano::arc::test {
namespace {

// Whole output of the decoder, or the failure.
Result decodeWhole(const Bytes& in, Bytes& out) {
  return bz2::decompressAll(ByteSpan(in), std::uint64_t{1} << 32, out);
}

std::unique_ptr<ArchiveReader> openSingle(const Bytes& data, const std::string& name, Result& r,
                                          const Limits& limits = Limits{}) {
  return openBzip2(ByteSpan(data), name, limits, r, nullptr);
}

TEST(Bzip2Decode, SingleStreamsOfEveryKindMatchTheOriginals) {
  for (const char* name : {"text.txt", "runs.bin", "empty.txt"}) {
    SCOPED_TRACE(name);
    Bytes out;
    ASSERT_EQ(decodeWhole(readFile(fixture(std::string(name) + ".bz2")), out), Result::ok);
    EXPECT_TRUE(out == readFile(original(name)));
  }
}

TEST(Bzip2Decode, ConcatenatedStreamsAreOneOutput) {
  Bytes out;
  ASSERT_EQ(decodeWhole(readFile(fixture("multi.txt.bz2")), out), Result::ok);
  EXPECT_TRUE(out == readFile(original("text.txt")));
}

TEST(Bzip2Decode, BytesAfterTheLastStreamAreIgnored) {
  Bytes in = readFile(fixture("text.txt.bz2"));
  Bytes junk = bytesOf("trailing junk that is no bzip2 stream");
  in.insert(in.end(), junk.begin(), junk.end());
  Bytes out;
  ASSERT_EQ(decodeWhole(in, out), Result::ok);
  EXPECT_TRUE(out == readFile(original("text.txt")));
}

TEST(Bzip2Decode, BlockAndStreamCrcMismatchesAreCorrupt) {
  Bytes in = readFile(fixture("text.txt.bz2"));
  Bytes out;
  Bytes blockCrc = in;
  blockCrc[12] ^= 0x10;  // bytes 10-13: the first block's CRC
  EXPECT_EQ(decodeWhole(blockCrc, out), Result::corrupt);
  Bytes streamCrc = in;
  streamCrc[streamCrc.size() - 2] ^= 0x01;  // inside the closing stream CRC
  EXPECT_EQ(decodeWhole(streamCrc, out), Result::corrupt);
  Bytes data = in;
  data[data.size() / 2] ^= 0x04;
  EXPECT_EQ(decodeWhole(data, out), Result::corrupt);
}

TEST(Bzip2Decode, TruncatedStreamsAreCorrupt) {
  Bytes in = readFile(fixture("multi.txt.bz2"));
  for (std::size_t keep : {std::size_t{4}, std::size_t{20}, in.size() / 3, in.size() - 1}) {
    SCOPED_TRACE(keep);
    Bytes cut(in.begin(), in.begin() + static_cast<long>(keep));
    Bytes out;
    EXPECT_EQ(decodeWhole(cut, out), Result::corrupt);
  }
}

TEST(Bzip2Decode, OddSizedReadsGiveTheSameBytes) {
  Bytes in = readFile(fixture("runs.bin.bz2"));
  Bytes want = readFile(original("runs.bin"));
  bz2::Decoder decoder{ByteSpan(in)};
  Bytes got;
  const std::size_t sizes[] = {1, 3, 4, 5, 7, 255, 256, 4097};
  for (std::size_t i = 0;; ++i) {
    Bytes chunk(sizes[i % 8]);
    std::size_t n = 0;
    ASSERT_EQ(decoder.read(chunk.data(), chunk.size(), n), Result::ok);
    got.insert(got.end(), chunk.begin(), chunk.begin() + static_cast<long>(n));
    if (n < chunk.size()) break;
  }
  EXPECT_TRUE(decoder.finished());
  EXPECT_TRUE(got == want);
}

TEST(Bzip2Reader, SingleFileMemberIsNamedAfterTheArchive) {
  Bytes in = readFile(fixture("text.txt.bz2"));
  Result r;
  auto reader = openSingle(in, "C:\\pics\\text.txt.BZ2", r);
  ASSERT_TRUE(reader);
  std::vector<MemberEntry> members;
  ASSERT_EQ(reader->list(members), Result::ok);
  ASSERT_EQ(members.size(), 1u);
  Bytes want = readFile(original("text.txt"));
  EXPECT_EQ(members[0].name, "text.txt");
  EXPECT_EQ(members[0].size, want.size());
  EXPECT_EQ(members[0].packedSize, in.size());
  Bytes out;
  ASSERT_EQ(extractTo(*reader, members[0], out), Result::ok);
  EXPECT_TRUE(out == want);
  RefusingSink refuse;
  EXPECT_EQ(reader->extract(members[0], refuse), Result::ioError);
}

TEST(Bzip2Reader, MemberNamesFromArchiveNames) {
  EXPECT_EQ(bz2::memberNameFor("photo.jpg.bz2"), "photo.jpg");
  EXPECT_EQ(bz2::memberNameFor("dir/sub\\Photo.BMP.Bz2"), "Photo.BMP");
  EXPECT_EQ(bz2::memberNameFor("x.tbz"), "x.tar");
  EXPECT_EQ(bz2::memberNameFor("x.tbz2"), "x.tar");
  EXPECT_EQ(bz2::memberNameFor("noext"), "noext");
  // Shift_JIS: 0x5C after a lead byte is half of a character, not a folder.
  EXPECT_EQ(bz2::memberNameFor("C:\\\x8e\xca\\\x95\x5c.jpg.bz2"), "\x95\x5c.jpg");
}

TEST(Bzip2Reader, BombIsRefusedWithinTheLimits) {
  Bytes in = readFile(fixture("bomb.bz2"));
  ASSERT_LT(in.size(), 1000u);
  Limits limits;
  limits.maxMemberSize = 1 << 20;
  limits.maxStreamSize = 1 << 20;
  Result r;
  auto reader = openSingle(in, "bomb.bmp.bz2", r, limits);
  ASSERT_TRUE(reader);
  std::vector<MemberEntry> members;
  EXPECT_EQ(reader->list(members), Result::tooLarge);
  EXPECT_TRUE(members.empty());
  MemberEntry guess;
  guess.name = "bomb.bmp";
  VectorSink sink;
  EXPECT_EQ(reader->extract(guess, sink), Result::tooLarge);
  EXPECT_LE(sink.bytes.size(), limits.maxMemberSize);
  Bytes all;
  EXPECT_EQ(bz2::decompressAll(ByteSpan(in), limits.maxStreamSize, all), Result::tooLarge);
}

TEST(Bzip2Reader, TarInsideIsHandedToTheTarReader) {
  Bytes in = readFile(fixture("tree.tar.bz2"));
  static Bytes seen;
  seen.clear();
  // Stands in for the tar reader: records what it is given.
  TarOpener fake = [](ByteSpan d, const Limits&, Result& r) -> std::unique_ptr<ArchiveReader> {
    seen.assign(d.begin(), d.end());
    r = Result::corrupt;
    return nullptr;
  };
  Result r;
  EXPECT_EQ(openBzip2(ByteSpan(in), "tree.tar.bz2", Limits{}, r, fake), nullptr);
  EXPECT_EQ(r, Result::corrupt);  // the tar reader's verdict stands
  EXPECT_TRUE(seen == readFile(fixture("tree.tar")));

  // A picture is not offered to the tar reader at all.
  seen.clear();
  Bytes single = readFile(fixture("text.txt.bz2"));
  auto reader = openBzip2(ByteSpan(single), "text.txt.bz2", Limits{}, r, fake);
  EXPECT_TRUE(reader);
  EXPECT_TRUE(seen.empty());
}

TEST(Bzip2Probe, ForeignInputsAreNotThisFormat) {
  Result r;
  EXPECT_EQ(openSingle(Bytes{}, "a.bz2", r), nullptr);
  EXPECT_EQ(r, Result::notThisFormat);
  EXPECT_EQ(openSingle(bytesOf("BZh9 but then nothing like a block"), "a.bz2", r), nullptr);
  EXPECT_EQ(r, Result::notThisFormat);
  EXPECT_FALSE(bz2::looksLikeBzip2(readFile(fixture("m0.arj"))));
}

TEST(Bzip2Checks, BlockCrcOfKnownText) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (char c : std::string("123456789")) crc = bz2::blockCrcUpdate(crc, static_cast<std::uint8_t>(c));
  EXPECT_EQ(~crc, 0xFC891918u);  // CRC-32/BZIP2 check value
}

}  // namespace
}  // namespace rivano::arc::test
