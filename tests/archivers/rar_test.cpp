// The RAR container reader over archives assembled in memory: both header
// layouts, names, links, encryption, volumes, checksums, limits, and the
// BLAKE2sp checksum itself.
#include <gtest/gtest.h>

#include <cstring>

#include "archivers/core/member_path.h"
#include "archivers/rar/blake2sp.h"
#include "archivers/rar/rar_reader.h"
#include "tests/archivers/rar_writer.h"
#include "tests/archivers/test_support.h"

namespace rivano::arc::test {
namespace {

using Archive = std::vector<std::uint8_t>;
using Writer = Archive (*)(const std::vector<RarMember>&, const RarOptions&);

struct Layout {
  const char* name;
  Writer write;
  char separator;  // what the layout stores between folder parts
};
const Layout kLayouts[] = {{"rar4", &rar4Archive, '\\'}, {"rar5", &rar5Archive, '/'}};
void PrintTo(const Layout& layout, std::ostream* os) { *os << layout.name; }

class RarLayouts : public ::testing::TestWithParam<Layout> {
 protected:
  Archive write(const std::vector<RarMember>& members, const RarOptions& options = {}) {
    return GetParam().write(members, options);
  }
  std::string path(std::string name) {
    for (char& c : name) {
      if (c == '\\') c = GetParam().separator;
    }
    return name;
  }
};

std::string names(const std::vector<MemberEntry>& members) {
  std::string out;
  for (const MemberEntry& m : members) out += m.name + (m.isFolder ? "/;" : ";");
  return out;
}

// A sink that remembers whether anything at all reached it.
class WatchingSink final : public Sink {
 public:
  bool write(const std::uint8_t*, std::size_t size) override {
    bytes += size;
    return true;
  }
  std::size_t bytes = 0;
};

TEST_P(RarLayouts, StoredMembersListAndExtractByteForByte) {
  RarMember folder{.name = "photos", .folder = true};
  RarMember a{.name = path("photos\\a.JPG"), .data = std::string(1234, 'a')};
  a.dosDate = (19 << 9) | (3 << 5) | 7;  // 1999-03-07
  a.unixTime = 920808000;                // 1999-03-07 12:00 UTC
  RarMember b{.name = "b.gif", .data = "GIF89a and more", .attributes = 0x21};
  RarMember empty{.name = "empty.bmp"};
  const Archive archive = write({folder, a, b, empty});
  Opened o = openAndList(&openRar, archive);
  ASSERT_EQ(o.openResult, Result::ok);
  EXPECT_EQ(o.listResult, Result::ok);
  EXPECT_EQ(names(o.members), "photos/;photos\\a.JPG;b.gif;empty.bmp;");
  ASSERT_EQ(o.members.size(), 4u);
  EXPECT_EQ(o.members[0].dosAttributes & 0x10, 0x10);
  EXPECT_EQ(o.members[1].size, 1234u);
  EXPECT_EQ(o.members[1].dosDate, (19 << 9) | (3 << 5) | 7);
  EXPECT_EQ(o.members[2].dosAttributes, 0x21);  // read-only survives
  Result r = Result::ioError;
  EXPECT_EQ(extractText(*o.reader, o.members[1], r), a.data);
  EXPECT_EQ(r, Result::ok);
  EXPECT_EQ(extractText(*o.reader, o.members[2], r), b.data);
  EXPECT_EQ(r, Result::ok);
  EXPECT_EQ(extractText(*o.reader, o.members[3], r), "");
  EXPECT_EQ(r, Result::ok);
  // Extracting again, and out of order, gives the same bytes.
  EXPECT_EQ(extractText(*o.reader, o.members[1], r), a.data);
}

TEST_P(RarLayouts, LinksServiceHeadersAndWhatLiesBehindALinkAreNotListed) {
  RarMember link{.name = "up", .unixHost = true, .symlink = true};
  link.data = "../../..";
  RarMember behind{.name = path("up\\pwned.jpg"), .data = "evil"};
  RarMember service{.name = "CMT", .data = "a comment", .service = true};
  RarMember plain{.name = "upper.jpg", .data = "fine"};
  std::vector<RarMember> members{link, behind, service, plain};
  if (std::string(GetParam().name) == "rar5") {
    RarMember hard{.name = "hard.jpg", .hardlink = true};
    members.push_back(hard);
  }
  const Archive archive1 = write(members);
  Opened o = openAndList(&openRar, archive1);
  EXPECT_EQ(o.listResult, Result::ok);
  EXPECT_EQ(names(o.members), "upper.jpg;");
}

TEST_P(RarLayouts, EncryptedMembersAreListedButNeverExtracted) {
  RarMember secret{.name = "secret.jpg", .data = std::string(100, 'x'), .encrypted = true};
  RarMember open{.name = "open.jpg", .data = "plain"};
  const Archive archive2 = write({secret, open});
  Opened o = openAndList(&openRar, archive2);
  ASSERT_EQ(o.members.size(), 2u);
  WatchingSink sink;
  EXPECT_EQ(o.reader->extract(o.members[0], sink), Result::unsupportedMethod);
  EXPECT_EQ(sink.bytes, 0u);
  Result r = Result::ioError;
  EXPECT_EQ(extractText(*o.reader, o.members[1], r), "plain");
}

TEST_P(RarLayouts, EncryptedHeadersOpenButListNothing) {
  RarOptions options;
  options.encryptedHeaders = true;
  const Archive archive3 = write({RarMember{.name = "a.jpg", .data = "x"}}, options);
  Opened o = openAndList(&openRar, archive3);
  ASSERT_EQ(o.openResult, Result::ok);
  EXPECT_EQ(o.listResult, Result::unsupportedMethod);
  EXPECT_TRUE(o.members.empty());
}

TEST_P(RarLayouts, AMemberSplitAcrossVolumesIsRefusedWithoutWritingAnything) {
  RarMember first{.name = "whole.jpg", .data = "whole"};
  RarMember head{.name = "big.jpg", .data = std::string(50, 'h'), .splitAfter = true};
  head.declaredSize = 500;
  RarMember tail{.name = "tail.jpg", .data = std::string(50, 't'), .splitBefore = true};
  const Archive archive4 = write({first, head, tail});
  Opened o = openAndList(&openRar, archive4);
  ASSERT_EQ(o.members.size(), 3u);
  EXPECT_EQ(o.members[1].size, 500u);
  Result r = Result::ioError;
  EXPECT_EQ(extractText(*o.reader, o.members[0], r), "whole");
  for (std::size_t i : {1u, 2u}) {
    WatchingSink sink;
    EXPECT_EQ(o.reader->extract(o.members[i], sink), Result::unsupportedMethod) << o.members[i].name;
    EXPECT_EQ(sink.bytes, 0u);
  }
}

TEST_P(RarLayouts, AWrongChecksumIsCorrupt) {
  RarMember bad{.name = "bad.jpg", .data = "some bytes", .wrongCrc = true};
  const Archive archive5 = write({bad});
  Opened o = openAndList(&openRar, archive5);
  ASSERT_EQ(o.members.size(), 1u);
  Result r = Result::ok;
  extractText(*o.reader, o.members[0], r);
  EXPECT_EQ(r, Result::corrupt);
}

TEST_P(RarLayouts, ASelfExtractorStubIsSkippedWithinItsWindowOnly) {
  RarOptions options;
  options.stubBytes = 200 * 1024;
  const Archive archive6 = write({RarMember{.name = "a.jpg", .data = "abc"}}, options);
  Opened o = openAndList(&openRar, archive6);
  ASSERT_EQ(o.openResult, Result::ok);
  ASSERT_EQ(o.members.size(), 1u);
  Result r = Result::ioError;
  EXPECT_EQ(extractText(*o.reader, o.members[0], r), "abc");
  options.stubBytes = (4u << 20) + 16;
  const Archive archive7 = write({RarMember{.name = "a.jpg", .data = "abc"}}, options);
  EXPECT_EQ(openAndList(&openRar, archive7).openResult,
            Result::notThisFormat);
}

TEST_P(RarLayouts, DataCutOffListsTheMemberAndReportsTheDamage) {
  Archive archive = write({RarMember{.name = "a.jpg", .data = "0123456789"},
                           RarMember{.name = "b.jpg", .data = std::string(400, 'b')}},
                          RarOptions{.endBlock = false});
  ASSERT_GT(archive.size(), 410u);
  archive.erase(archive.end() - 100, archive.end());
  Opened o = openAndList(&openRar, archive);
  ASSERT_EQ(o.openResult, Result::ok);
  EXPECT_EQ(o.listResult, Result::corrupt);
  ASSERT_EQ(o.members.size(), 2u);
  Result r = Result::ioError;
  EXPECT_EQ(extractText(*o.reader, o.members[0], r), "0123456789");
  extractText(*o.reader, o.members[1], r);
  EXPECT_EQ(r, Result::corrupt);
}

TEST_P(RarLayouts, AFlippedHeaderByteEndsTheListing) {
  Archive archive = write({RarMember{.name = "a.jpg", .data = "first"}, RarMember{.name = "b.jpg", .data = "second"}});
  const std::string marker = "b.jpg";
  auto at = std::search(archive.begin(), archive.end(), marker.begin(), marker.end());
  ASSERT_NE(at, archive.end());
  *at = 'c';  // the name changes, the header checksum does not
  Opened o = openAndList(&openRar, archive);
  EXPECT_EQ(o.listResult, Result::corrupt);
  EXPECT_EQ(names(o.members), "a.jpg;");
}

TEST_P(RarLayouts, SizesBeyondTheLimitsAreRefusedBeforeAnyWork) {
  RarMember big{.name = "big.bmp", .data = std::string(10, 'x')};
  big.declaredSize = std::uint64_t{5} << 30;
  const Archive archive8 = write({big});
  Opened o = openAndList(&openRar, archive8);
  ASSERT_EQ(o.members.size(), 1u);
  EXPECT_EQ(o.members[0].size, std::uint64_t{5} << 30);
  WatchingSink sink;
  EXPECT_EQ(o.reader->extract(o.members[0], sink), Result::tooLarge);
  EXPECT_EQ(sink.bytes, 0u);

  Limits few;
  few.maxMembers = 3;
  std::vector<RarMember> many(5, RarMember{.name = "x.jpg", .data = "x"});
  const Archive archive9 = write(many);
  Opened limited = openAndList(&openRar, archive9, few);
  EXPECT_EQ(limited.listResult, Result::tooLarge);
  EXPECT_EQ(limited.members.size(), 3u);
}

TEST_P(RarLayouts, EveryPrefixOfAnArchiveIsHandledWithoutFalseSuccess) {
  RarMember folder{.name = "f", .folder = true};
  const Archive archive = write({folder, RarMember{.name = path("f\\a.jpg"), .data = std::string(300, 'q')},
                                 RarMember{.name = "CMT", .data = "c", .service = true},
                                 RarMember{.name = "b.jpg", .data = "bb"}});
  for (std::size_t n = 0; n <= archive.size(); ++n) {
    Opened o = openAndList(&openRar, ByteSpan(archive.data(), n));
    if (!o.reader) continue;
    for (const MemberEntry& m : o.members) {
      Result r = Result::ioError;
      const std::string bytes = extractText(*o.reader, m, r);
      if (r == Result::ok && !m.isFolder) {
        EXPECT_EQ(bytes.size(), m.size) << n;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Both, RarLayouts, ::testing::ValuesIn(kLayouts),
                         [](const ::testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

TEST(Rar4Names, ThePackedUnicodeNameWinsAndComesOutAsUtf8) {
  RarMember m{.name = "????.jpg", .data = "x"};
  m.unicodeName = u"\u0442\u0435\u0441\u0442.jpg";
  RarMember sjis{.name = "\x95\x5c\x8e\x86.bmp", .data = "y"};  // Shift_JIS bytes, passed through
  const Archive archive10 = rar4Archive({m, sjis});
  Opened o = openAndList(&openRar, archive10);
  ASSERT_EQ(o.members.size(), 2u);
  EXPECT_TRUE(o.members[0].nameIsUtf8);
  EXPECT_EQ(o.members[0].name, "\xD1\x82\xD0\xB5\xD1\x81\xD1\x82.jpg");
  EXPECT_FALSE(o.members[1].nameIsUtf8);
  EXPECT_EQ(o.members[1].name, "\x95\x5c\x8e\x86.bmp");
}

TEST(Rar4Names, AUnixMemberIsAFileUnlessItsModeSaysOtherwise) {
  RarMember file{.name = "a.jpg", .data = "x", .attributes = 0100444, .unixHost = true};
  RarMember folder{.name = "d", .folder = true, .unixHost = true};
  RarMember fifo{.name = "p.jpg", .attributes = 010644, .unixHost = true};
  const Archive archive11 = rar4Archive({file, folder, fifo});
  Opened o = openAndList(&openRar, archive11);
  EXPECT_EQ(names(o.members), "a.jpg;d/;");
  ASSERT_EQ(o.members.size(), 2u);
  EXPECT_EQ(o.members[0].dosAttributes, 0x21);  // read-only: the owner may not write
  EXPECT_EQ(o.members[1].dosAttributes & 0x10, 0x10);
}

TEST(Rar5Names, Utf8NamesComeOutWithBackslashes) {
  RarMember m{.name = "\xE5\x86\x99\xE7\x9C\x9F/a.jpg", .data = "x"};
  const Archive archive12 = rar5Archive({m});
  Opened o = openAndList(&openRar, archive12);
  ASSERT_EQ(o.members.size(), 1u);
  EXPECT_TRUE(o.members[0].nameIsUtf8);
  EXPECT_EQ(o.members[0].name, "\xE5\x86\x99\xE7\x9C\x9F\\a.jpg");
}

TEST(Rar5Checksums, ABlake2spDigestIsChecked) {
  RarMember good{.name = "good.jpg", .data = std::string(5000, 'g'), .blake2 = true};
  RarMember bad{.name = "bad.jpg", .data = std::string(700, 'b'), .blake2 = true, .wrongBlake2 = true};
  const Archive archive13 = rar5Archive({good, bad});
  Opened o = openAndList(&openRar, archive13);
  ASSERT_EQ(o.members.size(), 2u);
  Result r = Result::ioError;
  EXPECT_EQ(extractText(*o.reader, o.members[0], r), good.data);
  EXPECT_EQ(r, Result::ok);
  extractText(*o.reader, o.members[1], r);
  EXPECT_EQ(r, Result::corrupt);
}

TEST(Rar5Dictionary, MoreThan256MiBIsRefused) {
  RarMember m{.name = "a.jpg", .data = "packed?", .method = 3, .dictionaryExponent = 12};  // 512 MiB
  const Archive archive14 = rar5Archive({m});
  Opened o = openAndList(&openRar, archive14);
  ASSERT_EQ(o.members.size(), 1u);
  WatchingSink sink;
  EXPECT_EQ(o.reader->extract(o.members[0], sink), Result::tooLarge);
  EXPECT_EQ(sink.bytes, 0u);
}

// Compressed members go to the decoder of their generation; one the build
// lacks reads as an unsupported method, an unknown version likewise, and
// garbage given to a decoder that is there is damage, never success.
TEST(RarGenerations, CompressedMembersReachTheirDecoderOrAreUnsupported) {
  struct Case {
    bool rar5;
    int unpackVersion;
    bool present;
  } cases[] = {
#ifdef RIVANO_RAR_HAS_V15
      {false, 15, true},
#else
      {false, 15, false},
#endif
#ifdef RIVANO_RAR_HAS_V20
      {false, 20, true},  {false, 26, true},
#else
      {false, 20, false}, {false, 26, false},
#endif
#ifdef RIVANO_RAR_HAS_V29
      {false, 29, true},  {false, 36, true},
#else
      {false, 29, false}, {false, 36, false},
#endif
#ifdef RIVANO_RAR_HAS_V50
      {true, 50, true},
#else
      {true, 50, false},
#endif
      {false, 99, false},
  };
  for (const Case& c : cases) {
    RarMember m{.name = "a.jpg", .data = std::string(64, '\xA5'), .method = 3, .unpackVersion = c.unpackVersion};
    m.declaredSize = 1000;
    const Archive archive = c.rar5 ? rar5Archive({m}) : rar4Archive({m});
    Opened o = openAndList(&openRar, archive);
    ASSERT_EQ(o.members.size(), 1u);
    VectorSink sink;
    const Result r = o.reader->extract(o.members[0], sink);
    if (c.present) {
      EXPECT_NE(r, Result::ok) << c.unpackVersion;
      EXPECT_NE(r, Result::unsupportedMethod) << c.unpackVersion;
    } else {
      EXPECT_EQ(r, Result::unsupportedMethod) << c.unpackVersion;
      EXPECT_TRUE(sink.bytes.empty());
    }
  }
}

std::string hex(const std::array<std::uint8_t, 32>& d) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (std::uint8_t b : d) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

// Digests of bytes (i * 7 + 3) mod 256, made with another BLAKE2s (Python's
// hashlib, whose tree parameters build BLAKE2sp's leaves and root). The
// lengths cover an empty input, a partial block, one block per leaf and
// the edges of a full round of eight blocks.
TEST(Blake2sp, MatchesAnIndependentImplementation) {
  const struct {
    std::size_t length;
    const char* digest;
  } vectors[] = {
      {0, "dd0e891776933f43c7d032b08a917e25741f8aa9a12c12e1cac8801500f2ca4f"},
      {3, "8eb24ffc24eb938e92845060890ef88de9cea9d498d1c5fd082dc9dc60abdaf3"},
      {64, "e375bba69fb1c84c7f202f06e71090695f81786b7413da0cd0126e15a0f80181"},
      {512, "201135254f94f0cf5307da6ae28daf819258fd08df8249684ffbbded6c23e0e5"},
      {513, "4524c7cfa3a7cde180691ba1a3c0d4b9fc20ced214f27e65f5c76dbb0ff44c91"},
      {5000, "797108ac66f04cf7f19cb474888ebdc6d60b2e5d34097bee42b6993e96518839"},
  };
  for (const auto& v : vectors) {
    std::vector<std::uint8_t> data(v.length);
    for (std::size_t i = 0; i < v.length; ++i) data[i] = static_cast<std::uint8_t>(i * 7 + 3);
    rar::Blake2sp whole;
    whole.update(data.data(), data.size());
    EXPECT_EQ(hex(whole.finish()), v.digest) << v.length;
    // Fed in uneven pieces, the digest is the same.
    rar::Blake2sp pieces;
    for (std::size_t at = 0; at < data.size();) {
      const std::size_t n = std::min<std::size_t>(data.size() - at, 1 + at % 97);
      pieces.update(data.data() + at, n);
      at += n;
    }
    EXPECT_EQ(hex(pieces.finish()), v.digest) << v.length;
  }
  rar::Blake2s plain;
  plain.update(reinterpret_cast<const std::uint8_t*>("abc"), 3);
  EXPECT_EQ(hex(plain.finish()), "508c5e8c327c14e2e1a72ba34eeb452f37458b209ed63a294d999b4c86675982");
}

}  // namespace
}  // namespace rivano::arc::test
