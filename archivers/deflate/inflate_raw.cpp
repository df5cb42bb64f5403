#include "archivers/deflate/inflate_raw.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "archivers/core/crc32.h"

namespace rivano::arc {
namespace {

class ZStream {
 public:
  ZStream() { ok_ = inflateInit2(&zs_, -MAX_WBITS) == Z_OK; }
  ~ZStream() {
    if (ok_) inflateEnd(&zs_);
  }
  ZStream(const ZStream&) = delete;
  ZStream& operator=(const ZStream&) = delete;
  bool ok() const { return ok_; }
  z_stream* operator->() { return &zs_; }
  z_stream* get() { return &zs_; }

 private:
  z_stream zs_{};
  bool ok_ = false;
};

constexpr std::size_t kChunk = 64 * 1024;

}  // namespace

InflateOutcome inflateRaw(ByteSpan input, std::uint64_t outputLimit, Sink& sink) {
  InflateOutcome outcome;
  ZStream zs;
  if (!zs.ok()) {
    outcome.result = Result::ioError;
    return outcome;
  }
  std::vector<std::uint8_t> buffer(kChunk);
  Crc32 crc;
  std::size_t fed = 0;  // input handed to zlib so far
  for (;;) {
    if (zs->avail_in == 0 && fed < input.size()) {
      const std::size_t n = std::min<std::size_t>(input.size() - fed, UINT_MAX);
      zs->next_in = const_cast<Bytef*>(input.data() + fed);
      zs->avail_in = static_cast<uInt>(n);
      fed += n;
    }
    zs->next_out = buffer.data();
    zs->avail_out = static_cast<uInt>(buffer.size());
    const int rc = inflate(zs.get(), Z_NO_FLUSH);
    const std::size_t produced = buffer.size() - zs->avail_out;
    if (produced > outputLimit - outcome.produced) {
      outcome.result = Result::tooLarge;
      break;
    }
    if (produced > 0) {
      crc.update(buffer.data(), produced);
      if (!sink.write(buffer.data(), produced)) {
        outcome.result = Result::ioError;
        break;
      }
      outcome.produced += produced;
    }
    if (rc == Z_STREAM_END) break;
    const bool starved = zs->avail_in == 0 && fed == input.size();
    if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT || (starved && produced == 0) ||
        (rc == Z_BUF_ERROR && starved)) {
      outcome.result = Result::corrupt;
      break;
    }
    if (rc == Z_MEM_ERROR) {
      outcome.result = Result::ioError;
      break;
    }
  }
  outcome.consumed = fed - zs->avail_in;
  outcome.crc = crc.value();
  return outcome;
}

}  // namespace rivano::arc
