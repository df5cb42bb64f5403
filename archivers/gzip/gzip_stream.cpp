#include "archivers/gzip/gzip_stream.h"

#include <algorithm>

#include "archivers/core/byte_reader.h"
#include "archivers/deflate/inflate_raw.h"

namespace rivano::arc {
namespace {

constexpr std::uint8_t kFlagHeaderCrc = 0x02, kFlagExtra = 0x04, kFlagName = 0x08, kFlagComment = 0x10;

bool skipZeroTerminated(ByteReader& r) {
  std::uint8_t b = 1;
  while (b != 0) {
    if (!r.u8(b)) return false;
  }
  return true;
}

Result skipHeader(ByteReader& r) {
  std::uint8_t id1 = 0, id2 = 0, method = 0, flags = 0;
  if (!r.u8(id1) || !r.u8(id2) || id1 != 0x1F || id2 != 0x8B) return Result::corrupt;
  if (!r.u8(method) || !r.u8(flags) || !r.skip(6)) return Result::corrupt;
  if (method != 8) return Result::unsupportedMethod;
  if (flags & 0xE0) return Result::corrupt;
  std::uint16_t extraLength = 0;
  if ((flags & kFlagExtra) && (!r.u16(extraLength) || !r.skip(extraLength))) return Result::corrupt;
  if ((flags & kFlagName) && !skipZeroTerminated(r)) return Result::corrupt;
  if ((flags & kFlagComment) && !skipZeroTerminated(r)) return Result::corrupt;
  if ((flags & kFlagHeaderCrc) && !r.skip(2)) return Result::corrupt;
  return Result::ok;
}

Result gunzipInto(ByteSpan data, const Limits& limits, VectorSink& sink) {
  ByteReader r(data);
  do {
    if (const Result h = skipHeader(r); h != Result::ok) return h;
    const std::uint64_t room = limits.maxStreamSize - std::min<std::uint64_t>(limits.maxStreamSize, sink.bytes.size());
    const std::size_t start = sink.bytes.size();
    const InflateOutcome inflated = inflateRaw(data.subspan(r.position()), room, sink);
    if (inflated.result != Result::ok) return inflated.result;
    std::uint32_t crc = 0, length = 0;
    if (!r.skip(inflated.consumed) || !r.u32(crc) || !r.u32(length)) return Result::corrupt;
    if (crc != inflated.crc || length != static_cast<std::uint32_t>(sink.bytes.size() - start)) return Result::corrupt;
  } while (looksLikeGzip(data.subspan(r.position())));
  return Result::ok;
}

}  // namespace

bool looksLikeGzip(ByteSpan data) noexcept {
  return data.size() >= 2 && data[0] == 0x1F && data[1] == 0x8B;
}

Result gunzip(ByteSpan data, const Limits& limits, std::vector<std::uint8_t>& out) {
  VectorSink sink(limits.maxStreamSize);
  const Result result = gunzipInto(data, limits, sink);
  out = std::move(sink.bytes);
  return result;
}

}  // namespace rivano::arc
