#include "engine/jpeg/jpeg_stream.h"

#include <algorithm>
#include <cstring>

namespace rivano::jpeg::detail {

const std::array<std::uint8_t, 64> kZigzag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

namespace {

// A checked view of one marker segment's payload.
class SegmentReader {
 public:
  explicit SegmentReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool has(std::size_t n) const { return bytes_.size() - pos_ >= n; }
  int byte() { return bytes_[pos_++]; }
  int word() {
    const int v = (bytes_[pos_] << 8) | bytes_[pos_ + 1];
    pos_ += 2;
    return v;
  }
  std::size_t left() const { return bytes_.size() - pos_; }
  const std::uint8_t* here() const { return bytes_.data() + pos_; }
  void skip(std::size_t n) { pos_ += n; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

JpegStatus readQuant(Stream& s, SegmentReader r) {
  while (r.left() > 0) {
    const int pq = r.byte();
    const int index = pq & 15;
    const int precision = pq >> 4;
    if (index > 3 || precision > 1 || !r.has(precision ? 128 : 64)) return JpegStatus::corrupt;
    for (int i = 0; i < 64; ++i) {
      s.quant[index][kZigzag[i]] = static_cast<std::uint16_t>(precision ? r.word() : r.byte());
    }
    s.quantDefined[index] = true;
  }
  return JpegStatus::ok;
}

JpegStatus readHuffman(Stream& s, SegmentReader r) {
  while (r.left() > 0) {
    if (!r.has(17)) return JpegStatus::corrupt;
    const int tc = r.byte();
    const int index = tc & 15;
    const int kind = tc >> 4;
    if (index > 3 || kind > 1) return JpegStatus::corrupt;
    const std::uint8_t* counts = r.here();
    r.skip(16);
    int total = 0;
    for (int i = 0; i < 16; ++i) total += counts[i];
    if (total > 256 || !r.has(static_cast<std::size_t>(total))) return JpegStatus::corrupt;
    HuffmanTable& table = kind ? s.ac[index] : s.dc[index];
    if (!buildHuffmanTable(counts, r.here(), table)) return JpegStatus::corrupt;
    r.skip(static_cast<std::size_t>(total));
  }
  return JpegStatus::ok;
}

std::int32_t ceilDiv(std::int64_t a, std::int64_t b) { return static_cast<std::int32_t>((a + b - 1) / b); }

JpegStatus readFrame(Stream& s, SegmentReader r, bool progressive) {
  if (s.frameSeen) return JpegStatus::corrupt;
  if (!r.has(6)) return JpegStatus::corrupt;
  Frame& f = s.frame;
  f.progressive = progressive;
  const int precision = r.byte();
  f.height = r.word();
  f.width = r.word();
  const int count = r.byte();
  if (precision != 8) return JpegStatus::unsupported;
  if (f.height == 0) return JpegStatus::unsupported;  // the height would follow the scan (DNL)
  if (f.width == 0) return JpegStatus::corrupt;
  if (f.width > kMaxSide || f.height > kMaxSide || std::int64_t{f.width} * f.height > kMaxPixels) {
    return JpegStatus::tooLarge;
  }
  if (count != 1 && count != 3 && count != 4) return JpegStatus::unsupported;
  if (!r.has(static_cast<std::size_t>(count) * 3)) return JpegStatus::corrupt;
  f.components.assign(static_cast<std::size_t>(count), Component{});
  for (Component& c : f.components) {
    c.id = r.byte();
    const int hv = r.byte();
    c.h = hv >> 4;
    c.v = hv & 15;
    c.quantIndex = r.byte();
    if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4 || c.quantIndex > 3) return JpegStatus::corrupt;
    f.maxH = std::max(f.maxH, c.h);
    f.maxV = std::max(f.maxV, c.v);
  }
  for (const Component& c : f.components) {
    if (f.maxH % c.h != 0 || f.maxV % c.v != 0) return JpegStatus::unsupported;  // fractional sampling
  }
  f.mcusWide = ceilDiv(f.width, 8 * f.maxH);
  f.mcusHigh = ceilDiv(f.height, 8 * f.maxV);
  for (Component& c : f.components) {
    c.blocksWide = f.mcusWide * c.h;
    c.blocksHigh = f.mcusHigh * c.v;
    c.usedBlocksWide = ceilDiv(ceilDiv(std::int64_t{f.width} * c.h, f.maxH), 8);
    c.usedBlocksHigh = ceilDiv(ceilDiv(std::int64_t{f.height} * c.v, f.maxV), 8);
  }
  s.frameSeen = true;
  return JpegStatus::ok;
}

JpegStatus readScanHeader(Stream& s, SegmentReader r, ScanHeader& scan) {
  if (!s.frameSeen) return JpegStatus::corrupt;
  if (!r.has(1)) return JpegStatus::corrupt;
  scan.count = r.byte();
  if (scan.count < 1 || scan.count > 4 || !r.has(static_cast<std::size_t>(scan.count) * 2 + 3)) {
    return JpegStatus::corrupt;
  }
  const Frame& f = s.frame;
  int blocksPerMcu = 0;
  for (int i = 0; i < scan.count; ++i) {
    const int id = r.byte();
    const int tables = r.byte();
    const auto found = std::find_if(f.components.begin(), f.components.end(),
                                    [id](const Component& c) { return c.id == id; });
    if (found == f.components.end()) return JpegStatus::corrupt;
    scan.component[i] = static_cast<int>(found - f.components.begin());
    for (int j = 0; j < i; ++j) {
      if (scan.component[j] == scan.component[i]) return JpegStatus::corrupt;
    }
    scan.dcTable[i] = tables >> 4;
    scan.acTable[i] = tables & 15;
    if (scan.dcTable[i] > 3 || scan.acTable[i] > 3) return JpegStatus::corrupt;
    blocksPerMcu += found->h * found->v;
  }
  if (scan.count > 1 && blocksPerMcu > 10) return JpegStatus::corrupt;
  scan.ss = r.byte();
  scan.se = r.byte();
  const int a = r.byte();
  scan.ah = a >> 4;
  scan.al = a & 15;
  if (f.progressive) {
    if (scan.ss > 63 || scan.se > 63 || scan.se < scan.ss || scan.al > 13 || scan.ah > 13) return JpegStatus::corrupt;
    if (scan.ss == 0 && scan.se != 0) return JpegStatus::corrupt;
    if (scan.ss > 0 && scan.count != 1) return JpegStatus::corrupt;
  } else {
    // Sequential scans always carry the whole block, whatever they declare.
    scan.ss = 0;
    scan.se = 63;
    scan.ah = 0;
    scan.al = 0;
  }
  return JpegStatus::ok;
}

void readAdobe(Stream& s, SegmentReader r) {
  // "Adobe", version, flags0, flags1, transform
  if (r.left() >= 12 && std::equal(r.here(), r.here() + 5, "Adobe")) s.adobeTransform = r.here()[11];
}

void readJfif(Stream& s, SegmentReader r) {
  if (r.left() >= 5 && std::equal(r.here(), r.here() + 5, "JFIF\0")) s.jfif = true;
}

}  // namespace

JpegStatus startStream(Stream& s) {
  if (s.file.size() < 2 || s.file[0] != 0xFF || s.file[1] != 0xD8) return JpegStatus::notJpeg;
  s.pos = 2;
  return JpegStatus::ok;
}

void skipToMarker(Stream& s) {
  // Whole scans are passed over this way, so the bytes that cannot start a
  // marker go by at memchr's pace.
  const std::size_t size = s.file.size();
  const std::uint8_t* data = s.file.data();
  while (s.pos + 1 < size) {
    const void* found = std::memchr(data + s.pos, 0xFF, size - 1 - s.pos);
    if (!found) break;
    s.pos = static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - data);
    const int next = data[s.pos + 1];
    if (next != 0 && next != 0xFF && (next < 0xD0 || next > 0xD7)) return;
    ++s.pos;
  }
  s.pos = size;
}

JpegStatus readSegments(Stream& s, ScanHeader& scan, Segment& what) {
  const std::size_t size = s.file.size();
  for (;;) {
    if (s.pos >= size) {
      what = Segment::endOfData;
      return JpegStatus::ok;
    }
    if (s.file[s.pos] != 0xFF) return JpegStatus::corrupt;
    while (s.pos < size && s.file[s.pos] == 0xFF) ++s.pos;  // fill bytes
    if (s.pos >= size) return JpegStatus::corrupt;
    const int marker = s.file[s.pos++];
    if (marker == 0xD9) {
      what = Segment::endMarker;
      return JpegStatus::ok;
    }
    if (marker == 0xD8 || marker == 0x01 || marker == 0) return JpegStatus::corrupt;
    if (marker >= 0xD0 && marker <= 0xD7) continue;  // a stray restart marker carries nothing
    if (s.pos + 2 > size) return JpegStatus::corrupt;
    const std::size_t length = (std::size_t{s.file[s.pos]} << 8) | s.file[s.pos + 1];
    if (length < 2 || s.pos + length > size) return JpegStatus::corrupt;
    const SegmentReader r(s.file.subspan(s.pos + 2, length - 2));
    s.pos += length;
    JpegStatus status = JpegStatus::ok;
    switch (marker) {
      case 0xC0:
      case 0xC1: status = readFrame(s, r, false); break;
      case 0xC2: status = readFrame(s, r, true); break;
      case 0xC3: case 0xC5: case 0xC6: case 0xC7:  // lossless, hierarchical
      case 0xC9: case 0xCA: case 0xCB: case 0xCD: case 0xCE: case 0xCF:  // arithmetic coding
      case 0xDC:  // the height after the first scan
        return JpegStatus::unsupported;
      case 0xC4: status = readHuffman(s, r); break;
      case 0xDB: status = readQuant(s, r); break;
      case 0xDD: {
        SegmentReader dri = r;
        if (!dri.has(2)) return JpegStatus::corrupt;
        s.restartInterval = dri.word();
        break;
      }
      case 0xE0: readJfif(s, r); break;
      case 0xEE: readAdobe(s, r); break;
      case 0xDA:
        status = readScanHeader(s, r, scan);
        if (status == JpegStatus::ok) {
          what = Segment::scan;
          return status;
        }
        break;
      default: break;  // application data, comments, arithmetic conditioning ...
    }
    if (status != JpegStatus::ok) return status;
  }
}

}  // namespace rivano::jpeg::detail
