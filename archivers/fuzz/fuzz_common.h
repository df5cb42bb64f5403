// What every reader's fuzz target does with an input: open, list, extract
// each member into memory. Small limits keep each run short; crashes,
// sanitizer reports and hangs are the findings.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "archivers/core/archive_format.h"
#include "archivers/core/member_path.h"
#include "archivers/core/member_record.h"
#include "archivers/core/reader_registry.h"

namespace rivano::arc::fuzz {

inline Limits limits() {
  Limits l;
  l.maxMemberSize = 4 << 20;
  l.maxStreamSize = 16 << 20;
  l.maxMembers = 4096;
  return l;
}

// What the libraries do with a listed name: the member record, and a place
// under the destination, which must never be anywhere else.
inline void exerciseName(const MemberEntry& m) {
  const std::string name = toBackslashes(m.name, &isCp932LeadByte);
  MemberInfo info;
  fillMemberInfo(m, name, info);
  static constexpr std::string_view kDestination = "C:\\out\\";
  PlacedPath placed;
  if (placeUnder(kDestination, name, &isCp932LeadByte, placed)) {
    const std::string_view file = placed.file;
    if (file.substr(0, kDestination.size()) != kDestination || file.size() >= 260 ||
        file.find(':', kDestination.size()) != std::string_view::npos ||
        placed.parent.substr(0, kDestination.size()) != kDestination) {
      std::abort();
    }
  }
}

// Lists and extracts every member of an opened reader.
inline void exerciseReader(ArchiveReader& reader, const Limits& l) {
  std::vector<MemberEntry> members;
  reader.list(members);
  for (const MemberEntry& m : members) {
    exerciseName(m);
    VectorSink sink(l.maxMemberSize);
    if (reader.extract(m, sink) == Result::ok && !m.isFolder && sink.bytes.size() != m.size) {
      std::abort();  // a member that extracts "ok" must have its listed size
    }
  }
}

inline void exercise(OpenReader open, const std::uint8_t* data, std::size_t size) {
  const Limits l = limits();
  Result result = Result::ok;
  std::unique_ptr<ArchiveReader> reader = open(ByteSpan(data, size), l, result);
  if (reader) exerciseReader(*reader, l);
}

}  // namespace rivano::arc::fuzz
