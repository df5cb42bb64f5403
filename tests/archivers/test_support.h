// Helpers shared by the archiver tests: where the made archives and the
// shared corpus are, reading files, and small in-memory archive writers
// for cases Debian's tools refuse to make (hostile names, bad CRCs).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archivers/core/archive_format.h"

namespace rivano::arc::test {

// Folders given at configure time as host paths; under Wine they are read
// through the Z: drive.
std::string fixturePath(const std::string& name);   // archives made by make_fixtures.sh
std::string sharedPath(const std::string& name);    // the shared corpus, testdata/archives/<name>
bool sharedCorpusPresent();
// The input file a fixture member was made from (Shift_JIS names map to
// ASCII copies, which Wine can open too).
std::string fixtureInput(const std::string& member);

std::vector<std::uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

struct TestMember {
  std::string name;
  std::string data;
  std::uint16_t dosDate = (44 << 9) | (5 << 5) | 1;  // 2024-05-01
  std::uint16_t dosTime = 12 << 11;
  bool utf8Flag = false;      // ZIP: mark the name as UTF-8
  bool wrongCrc = false;      // ZIP: store a CRC that does not match
  bool symlink = false;       // TAR: a symbolic link (its data is not stored)
  std::uint16_t madeBy = 20;  // ZIP: "version made by" (high byte: the host)
  std::uint32_t externalAttributes = 0x20;  // ZIP: as the host wrote them
};

std::vector<std::uint8_t> storedZip(const std::vector<TestMember>& members);
// ustar headers; names of 100 bytes or more get a GNU long-name entry.
std::vector<std::uint8_t> ustarTar(const std::vector<TestMember>& members);

// Opens with `open`, lists, and extracts every file member into memory.
struct Opened {
  Result openResult = Result::ok;
  Result listResult = Result::ok;
  std::vector<MemberEntry> members;
  std::unique_ptr<ArchiveReader> reader;
};
using Opener = std::unique_ptr<ArchiveReader> (*)(ByteSpan, const Limits&, Result&);
Opened openAndList(Opener open, ByteSpan data, const Limits& limits = {});
const MemberEntry* findMember(const std::vector<MemberEntry>& members, const std::string& name);
std::string extractText(ArchiveReader& reader, const MemberEntry& member, Result& result);

}  // namespace rivano::arc::test
