// What every reader's fuzz target does with an input: open, list, extract
// each member into memory. Small limits keep each run short; crashes,
// sanitizer reports and hangs are the findings.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "archivers/core/archive_format.h"
#include "archivers/core/reader_registry.h"

namespace rivano::arc::fuzz {

inline void exercise(OpenReader open, const std::uint8_t* data, std::size_t size) {
  Limits limits;
  limits.maxMemberSize = 4 << 20;
  limits.maxStreamSize = 16 << 20;
  limits.maxMembers = 4096;
  Result result = Result::ok;
  std::unique_ptr<ArchiveReader> reader = open(ByteSpan(data, size), limits, result);
  if (!reader) return;
  std::vector<MemberEntry> members;
  reader->list(members);
  for (const MemberEntry& m : members) {
    VectorSink sink(limits.maxMemberSize);
    if (reader->extract(m, sink) == Result::ok && !m.isFolder && sink.bytes.size() != m.size) {
      std::abort();  // a member that extracts "ok" must have its listed size
    }
  }
}

}  // namespace rivano::arc::fuzz
