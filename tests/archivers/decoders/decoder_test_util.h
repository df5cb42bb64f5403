// Shared helpers of the LZH, ARJ and bzip2 reader tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "archivers/core/archive_format.h"

namespace rivano::arc::test {

using Bytes = std::vector<std::uint8_t>;

// Test programs of the Windows build run under Wine, which sees the build
// machine's root as drive Z:.
inline std::string hostPath(const std::string& unixPath) {
#ifdef _WIN32
  return "Z:" + unixPath;
#else
  return unixPath;
#endif
}

inline std::string fixture(const std::string& name) { return hostPath(std::string(RIVANO_DECODER_FIXTURES) + "/" + name); }
inline std::string original(const std::string& name) { return fixture("originals/" + name); }
inline std::string sharedArchive(const std::string& name) {
  return hostPath(std::string(RIVANO_SHARED_ARCHIVES) + "/" + name);
}

inline bool exists(const std::string& path) { return std::ifstream(path, std::ios::binary).good(); }

inline Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot read " << path;
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Skips the calling test when the shared corpus is not beside the repository.
#define RIVANO_REQUIRE_SHARED()                                                                   \
  do {                                                                                            \
    if (!::rivano::arc::test::exists(::rivano::arc::test::sharedArchive("MANIFEST.md")))          \
      GTEST_SKIP() << "shared archive corpus not found at " RIVANO_SHARED_ARCHIVES;              \
  } while (0)

inline const MemberEntry* findMember(const std::vector<MemberEntry>& members, const std::string& name) {
  for (const auto& m : members) {
    if (m.name == name) return &m;
  }
  return nullptr;
}

inline Result extractTo(ArchiveReader& reader, const MemberEntry& m, Bytes& out) {
  VectorSink sink;
  Result r = reader.extract(m, sink);
  out = std::move(sink.bytes);
  return r;
}

// Opens, lists and extracts every file member; returns the first failure.
template <class Open>
Result extractAll(const Bytes& archive, Open open, std::vector<MemberEntry>& members, std::vector<Bytes>& contents,
                  const Limits& limits = Limits{}) {
  Result r = Result::ok;
  auto reader = open(ByteSpan(archive), limits, r);
  if (!reader) return r;
  r = reader->list(members);
  if (r != Result::ok) return r;
  contents.clear();
  for (const auto& m : members) {
    Bytes data;
    Result e = extractTo(*reader, m, data);
    if (e != Result::ok) return e;
    contents.push_back(std::move(data));
  }
  return Result::ok;
}

// A sink that refuses everything, as a full disk would.
class RefusingSink final : public Sink {
 public:
  bool write(const std::uint8_t*, std::size_t) override { return false; }
};

}  // namespace rivano::arc::test
