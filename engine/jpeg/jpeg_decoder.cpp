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

// What a progressive picture's coefficients may take at once: beyond it they
// are decoded a band of rows of MCUs at a time. Small enough that the store
// of a 24-megapixel picture at full size is a fraction of its pixels, large
// enough that a band is many rows of MCUs.
constexpr std::size_t kBandBytes = std::size_t{4} << 20;

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
  Decoder(std::span<const std::uint8_t> file, int scale, RowSink* rows, std::size_t bandBytes)
      : scale_(scale), rows_(rows), bandBytes_(bandBytes) {
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
  JpegStatus passProgressiveScan(const ScanHeader& scan);
  JpegStatus decodeProgressiveBands();
  std::int32_t stepCount() const;
  std::int32_t blockRowsPerStep(std::size_t c) const;
  void transformSteps(std::int32_t first, std::int32_t end);
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
  void handOnRows();

  // A progressive scan as the first walk through the file found it.
  struct ProgressiveScan {
    detail::ScanProgress progress;
    std::size_t end;  // the marker after its data
    bool skipped;     // nothing of it reaches the pixels
  };

  Stream s_;
  int scale_;
  RowSink* rows_;
  std::size_t bandBytes_;
  std::vector<ProgressiveScan> scans_;
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
    // A progressive picture's stores are sized for a band once all its
    // scans are known.
    if (!direct_ && !f.progressive) coefficients_[i].reset(c.blocksWide, c.blocksHigh, size, false);
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
  if (s_.frame.progressive) return passProgressiveScan(scan);
  return detail::decodeSequentialScan(s_, scan, dcOnly_, *this);
}

// The first walk through a progressive picture only notes where each scan
// starts and ends; decodeProgressiveBands decodes them.
JpegStatus Decoder::passProgressiveScan(const ScanHeader& scan) {
  const JpegStatus status = detail::checkProgressiveScan(s_, scan);
  if (status != JpegStatus::ok) return status;
  // The inverse DCT of one pixel per block reads the DC coefficient alone,
  // so a scan of AC coefficients of such a component cannot change a
  // pixel, nor can its nonzero bits, which only later AC scans read. Its
  // data is passed over undecoded: damage inside it goes unnoticed, as the
  // pixels do not depend on it. (Under the larger inverse DCTs a scan of
  // coefficients none of them reads is still decoded: a later refinement
  // of a band that also holds some it reads depends on the nonzero bits of
  // all of that band.)
  const bool skipped = scan.ss > 0 && blockSize_[static_cast<std::size_t>(scan.component[0])] == 1;
  detail::ScanProgress progress(s_, s_.pos);
  detail::skipToMarker(s_);
  scans_.push_back({progress, s_.pos, skipped});
  return JpegStatus::ok;
}

// Steps of the transform: rows of MCUs, or of blocks in a picture of one
// component, whose MCU is one block.
std::int32_t Decoder::stepCount() const {
  const detail::Frame& f = s_.frame;
  return f.components.size() == 1 ? f.components[0].usedBlocksHigh : f.mcusHigh;
}

std::int32_t Decoder::blockRowsPerStep(std::size_t c) const {
  return s_.frame.components.size() == 1 ? 1 : s_.frame.components[c].v;
}

// Every scan is decoded a band of rows at a time, each scan going on from
// where the band before left it, so that only a band's coefficients (and
// the nonzero bits refinements read) are held. Each block's coefficients
// depend on that block's earlier codes alone, so nothing else of the
// picture is needed.
JpegStatus Decoder::decodeProgressiveBands() {
  const detail::Frame& f = s_.frame;
  const std::int32_t steps = stepCount();
  std::size_t stepBytes = 0;
  for (std::size_t c = 0; c < planes_.size(); ++c) {
    stepBytes += static_cast<std::size_t>(blockRowsPerStep(c)) *
                 detail::CoefficientStore::rowBytes(f.components[c].blocksWide, blockSize_[c], blockSize_[c] > 1);
  }
  const auto bandSteps = static_cast<std::int32_t>(
      std::clamp<std::size_t>(bandBytes_ / stepBytes, 1, static_cast<std::size_t>(steps)));
  for (std::size_t c = 0; c < planes_.size(); ++c) {
    coefficients_[c].reset(f.components[c].blocksWide, bandSteps * blockRowsPerStep(c), blockSize_[c],
                           blockSize_[c] > 1);
  }
  for (std::int32_t first = 0; first < steps; first += bandSteps) {
    const std::int32_t end = std::min(first + bandSteps, steps);
    for (std::size_t c = 0; c < planes_.size(); ++c) coefficients_[c].startBand(first * blockRowsPerStep(c));
    // The tables in force at each scan, which may change between scans,
    // come from walking the markers again for every band. (On the heap: a
    // stream is large.)
    const auto tables = std::make_unique<Stream>();
    tables->file = s_.file;
    JpegStatus status = detail::startStream(*tables);
    for (ProgressiveScan& scan : scans_) {
      ScanHeader header;
      Segment what = Segment::scan;
      if (status == JpegStatus::ok) status = detail::readSegments(*tables, header, what);
      if (status != JpegStatus::ok || what != Segment::scan) return JpegStatus::corrupt;
      if (!scan.skipped) {
        // Rows of the band in this scan's rows: of MCUs, or of the blocks of
        // its one component.
        const std::int32_t endRow =
            header.count == 1 ? end * blockRowsPerStep(static_cast<std::size_t>(header.component[0])) : end;
        status = detail::decodeProgressiveRows(*tables, header, scan.progress, endRow, coefficients_);
        if (status != JpegStatus::ok) return status;
      }
      tables->pos = scan.end;
    }
    transformSteps(first, end);
  }
  for (detail::CoefficientStore& store : coefficients_) store.release();
  return JpegStatus::ok;
}

void Decoder::transformSteps(std::int32_t first, std::int32_t end) {
  const detail::Frame& f = s_.frame;
  alignas(16) std::int16_t block[64];
  for (std::int32_t step = first; step < end; ++step) {
    for (std::size_t i = 0; i < planes_.size(); ++i) {
      const Component& c = f.components[i];
      const std::int32_t rows = blockRowsPerStep(i);
      for (std::int32_t by = step * rows; by < std::min(step * rows + rows, c.usedBlocksHigh); ++by) {
        for (std::int32_t bx = 0; bx < c.usedBlocksWide; ++bx) {
          const bool dcOnly = coefficients_[i].expand(bx, by, block);
          idctInto(i, bx, by, block, dcOnly);
        }
      }
    }
    writeRows(step);
  }
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
  if (s_.frame.progressive) {
    status = decodeProgressiveBands();
    if (status != JpegStatus::ok) return status;
  } else if (!direct_) {
    transformSteps(0, stepCount());
    for (detail::CoefficientStore& store : coefficients_) store.release();
  }
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
  const auto decoder = std::make_unique<Decoder>(file, supportedScale(scale), nullptr, kBandBytes);
  return decoder->run(image);
}

JpegStatus decodeJpegRows(std::span<const std::uint8_t> file, int scale, RowSink& rows) {
  const auto decoder = std::make_unique<Decoder>(file, supportedScale(scale), &rows, kBandBytes);
  PixelImage none;
  return decoder->run(none);
}

namespace detail {

JpegStatus decodeJpegInBands(std::span<const std::uint8_t> file, int scale, std::size_t bandBytes, PixelImage& image) {
  const auto decoder = std::make_unique<Decoder>(file, supportedScale(scale), nullptr, bandBytes);
  return decoder->run(image);
}

}  // namespace detail

}  // namespace rivano::jpeg
