// What every reader's fuzz target does with an input: open, list, extract
// each member into memory. Small limits keep each run short; crashes,
// sanitizer reports and hangs are the findings.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "archivers/core/archive_format.h"
#include "archivers/core/reader_registry.h"

namespace rivano::arc::fuzz {

inline Limits limits() {
  Limits l;
  l.maxMemberSize = 4 << 20;
  l.maxStreamSize = 16 << 20;
  l.maxMembers = 4096;
  return l;
}

// Lists and extracts every member of an opened reader.
inline void exerciseReader(ArchiveReader& reader, const Limits& l) {
  std::vector<MemberEntry> members;
  reader.list(members);
  for (const MemberEntry& m : members) {
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
