#include "engine/jpeg/jpeg_decoder.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "engine/jpeg/jpeg_color.h"
#include "engine/jpeg/jpeg_idct.h"
#include "engine/jpeg/jpeg_scan.h"
#include "engine/jpeg/jpeg_stream.h"

namespace rivano::jpeg {
namespace {

using detail::ColorTransform;
using detail::Component;
using detail::Plane;
using detail::ScanHeader;
using detail::Segment;
using detail::Stream;

// Real progressive pictures have about ten scans; a damaged or hostile one
// could otherwise make each of thousands of scans walk the whole picture.
constexpr int kMaxScans = 256;

std::int32_t ceilDiv(std::int64_t a, std::int64_t b) { return static_cast<std::int32_t>((a + b - 1) / b); }

// Which colours the components hold, decided as the common decoders decide.
ColorTransform transformOf(const Stream& s) {
  const auto& c = s.frame.components;
  if (c.size() == 1) return ColorTransform::grey;
  if (c.size() == 4) return s.adobeTransform == -1 || s.adobeTransform == 0 ? ColorTransform::cmyk : ColorTransform::ycck;
  if (s.jfif) return ColorTransform::ycbcr;
  if (s.adobeTransform != -1) return s.adobeTransform == 0 ? ColorTransform::rgb : ColorTransform::ycbcr;
  if (c[0].id == 'R' && c[1].id == 'G' && c[2].id == 'B') return ColorTransform::rgb;
  return ColorTransform::ycbcr;
}

class Decoder final : public detail::BlockSink {
 public:
  // Without `rows` the whole image is made; with them, rows go there.
  Decoder(std::span<const std::uint8_t> file, int scale, RowSink* rows) : scale_(scale), rows_(rows) {
    s_.file = file;
  }

  JpegStatus run(PixelImage& image);

  void block(int component, std::int32_t bx, std::int32_t by, const std::int16_t* coefficients, bool dcOnly) override {
    const auto c = static_cast<std::size_t>(component);
    if (direct_) {
      idctInto(c, bx, by, coefficients, dcOnly);
    } else {
      coefficients_[c].store(bx, by, coefficients);
    }
  }

  void rowDone(std::int32_t row) override {
    if (direct_) writeRows(row);
  }

  // Writes out the pixels that rows of MCUs up to `row` complete.
  void writeRows(std::int32_t row) {
    std::int32_t available[4] = {};
    for (std::size_t c = 0; c < planes_.size(); ++c) {
      available[c] = static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{row + 1} * stepRows_[c], planes_[c].height));
    }
    writer_->writeReady(available);
    if (rows_) handOnRows();
  }

 private:
  JpegStatus prepare(const ScanHeader& scan);
  JpegStatus takeQuant(const ScanHeader& scan);
  JpegStatus decodeScan(const ScanHeader& scan);
  void idctInto(std::size_t c, std::int32_t bx, std::int32_t by, const std::int16_t* coefficients, bool dcOnly) {
    Plane& p = planes_[c];
    const int size = blockSize_[c];
    std::uint8_t* out = p.row(by * size) + static_cast<std::size_t>(bx) * static_cast<std::size_t>(size);
    if (dcOnly) {
      detail::inverseDctFlat(size, coefficients[0], s_.frame.components[c].quant.data(), out, p.stride);
    } else {
      detail::inverseDct(size, coefficients, s_.frame.components[c].quant.data(), out, p.stride);
    }
  }
  void transformBuffered();
  void handOnRows();

  Stream s_;
  int scale_;
  RowSink* rows_;
  // Rows for rows_: a ring of bandRows_ rows, of which the writer has
  // filled those up to its rowsWritten() and handedOn_ have gone.
  std::vector<std::uint32_t> band_;
  std::int32_t bandRows_ = 0;
  std::int32_t handedOn_ = 0;
  bool bandOverrun_ = false;
  bool prepared_ = false;
  bool direct_ = false;
  std::array<int, 4> blockSize_{};
  std::array<std::int32_t, 4> stepRows_{};  // plane rows per row of MCUs
  std::array<bool, 4> dcOnly_{};
  std::vector<Plane> planes_;
  std::vector<detail::CoefficientStore> coefficients_;
  PixelImage image_;
  std::unique_ptr<detail::PixelWriter> writer_;
};

// Sizes every component's samples at the chosen scale: like the common
// decoders, a subsampled component is decoded with a larger inverse DCT
// where that spares upsampling it, up to the full 8×8.
JpegStatus Decoder::prepare(const ScanHeader& scan) {
  const detail::Frame& f = s_.frame;
  const int least = 8 / scale_;
  // Every block of every component takes at least one bit (two in a
  // sequential scan), so data too short for the declared size is refused
  // before anything of that size is allocated.
  std::int64_t blocks = 0;
  for (const Component& c : f.components) blocks += std::int64_t{c.usedBlocksWide} * c.usedBlocksHigh;
  const auto dataBits = static_cast<std::int64_t>(s_.file.size() - s_.pos) * 8;
  if (dataBits < blocks * (f.progressive ? 1 : 2)) return JpegStatus::corrupt;

  direct_ = !f.progressive && scan.count == static_cast<int>(f.components.size());
  planes_.resize(f.components.size());
  if (!direct_) coefficients_.resize(f.components.size());
  for (std::size_t i = 0; i < f.components.size(); ++i) {
    const Component& c = f.components[i];
    int size = least;
    while (size < 8 && (f.maxH * least) % (c.h * size * 2) == 0 && (f.maxV * least) % (c.v * size * 2) == 0) size *= 2;
    blockSize_[i] = size;
    dcOnly_[i] = size == 1;
    Plane& p = planes_[i];
    p.width = ceilDiv(std::int64_t{f.width} * c.h * size, f.maxH * 8);
    p.height = ceilDiv(std::int64_t{f.height} * c.v * size, f.maxV * 8);
    p.stride = c.blocksWide * size;
    p.expandX = f.maxH * least / (c.h * size);
    p.expandY = f.maxV * least / (c.v * size);
    // Rows go out as soon as their samples are in, so three rows of MCUs
    // are all a plane holds: the one decoded and those the smoothing of
    // chroma still reads.
    stepRows_[i] = (f.components.size() == 1 ? 1 : c.v) * size;
    p.ringRows = 3 * stepRows_[i];
    p.samples.assign(static_cast<std::size_t>(p.stride) * static_cast<std::size_t>(p.ringRows), 0);
    if (!direct_) coefficients_[i].reset(c.blocksWide, c.blocksHigh, size);
  }
  image_.width = ceilDiv(f.width, scale_);
  image_.height = ceilDiv(f.height, scale_);
  std::uint32_t* out = nullptr;
  if (rows_) {
    // One row of MCUs completes at most its own rows and the two before
    // it that waited for the smoothing of chroma below them; handOnRows
    // checks that no more came.
    const std::int32_t mcuRows = (f.components.size() == 1 ? 1 : f.maxV) * least;
    bandRows_ = std::min(mcuRows + 2, image_.height);
    band_.assign(static_cast<std::size_t>(image_.width) * static_cast<std::size_t>(bandRows_), 0);
    out = band_.data();
  } else {
    image_.pixels.assign(static_cast<std::size_t>(image_.width) * static_cast<std::size_t>(image_.height), 0);
    out = image_.pixels.data();
  }
  writer_ = std::make_unique<detail::PixelWriter>(planes_, transformOf(s_), scale_ != 8, image_.width, image_.height,
                                                  out, bandRows_);
  prepared_ = true;
  return JpegStatus::ok;
}

JpegStatus Decoder::takeQuant(const ScanHeader& scan) {
  for (int i = 0; i < scan.count; ++i) {
    Component& c = s_.frame.components[static_cast<std::size_t>(scan.component[i])];
    c.seenInScan = true;
    if (c.quantTaken) continue;
    const auto q = static_cast<std::size_t>(c.quantIndex);
    if (!s_.quantDefined[q]) return JpegStatus::corrupt;
    c.quant = s_.quant[q];
    c.quantTaken = true;
  }
  return JpegStatus::ok;
}

JpegStatus Decoder::decodeScan(const ScanHeader& scan) {
  if (s_.frame.progressive) return detail::decodeProgressiveScan(s_, scan, coefficients_);
  return detail::decodeSequentialScan(s_, scan, dcOnly_, *this);
}

void Decoder::transformBuffered() {
  const detail::Frame& f = s_.frame;
  const bool single = f.components.size() == 1;
  const std::int32_t steps = single ? f.components[0].usedBlocksHigh : f.mcusHigh;
  alignas(16) std::int16_t block[64];
  for (std::int32_t step = 0; step < steps; ++step) {
    for (std::size_t i = 0; i < planes_.size(); ++i) {
      const Component& c = f.components[i];
      const int rows = single ? 1 : c.v;
      for (std::int32_t by = step * rows; by < std::min(step * rows + rows, c.usedBlocksHigh); ++by) {
        for (std::int32_t bx = 0; bx < c.usedBlocksWide; ++bx) {
          const bool dcOnly = coefficients_[i].expand(bx, by, block);
          idctInto(i, bx, by, block, dcOnly);
        }
      }
    }
    writeRows(step);
  }
  for (detail::CoefficientStore& store : coefficients_) store.release();
}

void Decoder::handOnRows() {
  const std::int32_t written = writer_->rowsWritten();
  // Rows the ring has already lost would go on as other rows' pixels.
  if (written - handedOn_ > bandRows_) bandOverrun_ = true;
  if (bandOverrun_) return;
  const auto width = static_cast<std::size_t>(image_.width);
  for (; handedOn_ < written; ++handedOn_)
    rows_->row({band_.data() + static_cast<std::size_t>(handedOn_ % bandRows_) * width, width});
}

JpegStatus Decoder::run(PixelImage& image) {
  JpegStatus status = detail::startStream(s_);
  if (status != JpegStatus::ok) return status;
  ScanHeader scan;
  Segment what = Segment::scan;
  int scans = 0;
  for (;;) {
    status = detail::readSegments(s_, scan, what);
    if (status != JpegStatus::ok) return status;
    if (what != Segment::scan) break;
    if (++scans > kMaxScans) return JpegStatus::corrupt;
    if (!prepared_) {
      status = prepare(scan);
      if (status != JpegStatus::ok) return status;
    } else if (direct_) {
      return JpegStatus::corrupt;  // a component coded twice
    }
    status = takeQuant(scan);
    if (status == JpegStatus::ok) status = decodeScan(scan);
    if (status != JpegStatus::ok) return status;
    if (direct_) break;  // the whole picture is there; what follows is not needed
  }
  if (!prepared_) return JpegStatus::corrupt;
  // A progressive picture cut short after a scan boundary would look whole.
  if (s_.frame.progressive && what != Segment::endMarker) return JpegStatus::corrupt;
  for (const Component& c : s_.frame.components) {
    if (!c.seenInScan) return JpegStatus::corrupt;
  }
  if (!direct_) transformBuffered();
  if (writer_->rowsWritten() != image_.height || bandOverrun_) return JpegStatus::corrupt;
  if (!rows_) image = std::move(image_);
  return JpegStatus::ok;
}

}  // namespace

JpegStatus readJpegInfo(std::span<const std::uint8_t> file, JpegInfo& info) {
  // On the heap: the Huffman tables' look-ups make a stream too large for
  // a small stack.
  const auto stream = std::make_unique<Stream>();
  Stream& s = *stream;
  s.file = file;
  JpegStatus status = detail::startStream(s);
  if (status != JpegStatus::ok) return status;
  ScanHeader scan;
  Segment what = Segment::scan;
  status = detail::readSegments(s, scan, what);
  if (status != JpegStatus::ok) return status;
  if (!s.frameSeen || what != Segment::scan) return JpegStatus::corrupt;
  info.width = s.frame.width;
  info.height = s.frame.height;
  info.components = static_cast<int>(s.frame.components.size());
  info.progressive = s.frame.progressive;
  return JpegStatus::ok;
}

int jpegScaleFor(const JpegInfo& info, std::int32_t width, std::int32_t height) {
  if (width <= 0 || height <= 0) return 1;
  for (int scale = 8; scale > 1; scale /= 2) {
    if (ceilDiv(info.width, scale) >= width && ceilDiv(info.height, scale) >= height) return scale;
  }
  return 1;
}

namespace {

int supportedScale(int scale) { return scale == 2 || scale == 4 || scale == 8 ? scale : 1; }

}  // namespace

JpegStatus decodeJpeg(std::span<const std::uint8_t> file, int scale, PixelImage& image) {
  // On the heap: its stream is large; see readJpegInfo.
  const auto decoder = std::make_unique<Decoder>(file, supportedScale(scale), nullptr);
  return decoder->run(image);
}

JpegStatus decodeJpegRows(std::span<const std::uint8_t> file, int scale, RowSink& rows) {
  const auto decoder = std::make_unique<Decoder>(file, supportedScale(scale), &rows);
  PixelImage none;
  return decoder->run(none);
}

}  // namespace rivano::jpeg
