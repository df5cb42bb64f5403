// Our JPEG decoder against libjpeg's djpeg on pictures made at run time with
// cjpeg (and ImageMagick for CMYK): odd sizes, qualities, subsamplings,
// progressive, restart intervals. Skipped where the tools are missing.
#include "engine/jpeg/jpeg_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "engine/pixel_image.h"
#include "tests/unit/jpeg_reference_pictures.h"
#include "tests/unit/png_memory_probe.h"

namespace rivano::jpeg {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

bool haveTool(const char* name) {
#ifdef _WIN32
  (void)name;
  return false;  // the reference tools are Linux programs
#else
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
#endif
}

bool run(const std::string& command) { return std::system((command + " 2>/dev/null").c_str()) == 0; }

Bytes readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ScratchFolder {
 public:
  ScratchFolder()
      : path_(fs::temp_directory_path() /
              ("rivano-jpeg-test-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()))) {
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// Smooth gradients with sharp lines and a patch of text-like strokes: the
// mixture photographs and screenshots give the DCT.
void writeSourcePpm(const fs::path& path, std::int32_t w, std::int32_t h) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << w << ' ' << h << "\n255\n";
  for (std::int32_t y = 0; y < h; ++y) {
    for (std::int32_t x = 0; x < w; ++x) {
      int r = w > 1 ? x * 255 / (w - 1) : 128;
      int g = h > 1 ? y * 255 / (h - 1) : 64;
      int b = (x + y) * 255 / (w + h);
      if ((x + 2 * y) % 23 == 0) r = g = b = 255;                     // diagonal lines
      if (x > w / 3 && x < 2 * w / 3 && y > h / 3 && y < h / 2 &&   // "text"
          ((x / 2 + y / 3) % 5 == 0 || x % 7 == 0)) {
        r = g = b = 10;
      }
      const char rgb[3] = {static_cast<char>(r), static_cast<char>(g), static_cast<char>(b)};
      out.write(rgb, 3);
    }
  }
}

// PPM (P6) or PGM (P5), as djpeg writes them.
PixelImage readPnm(const fs::path& path) {
  const Bytes file = readFile(path);
  std::string header(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(file.size(), 64)));
  std::istringstream in(header);
  std::string magic;
  int w = 0, h = 0, max = 0;
  in >> magic >> w >> h >> max;
  PixelImage image{w, h, {}};
  const auto start = static_cast<std::size_t>(in.tellg()) + 1;
  const std::size_t channels = magic == "P6" ? 3 : 1;
  if ((magic != "P6" && magic != "P5") || file.size() < start + channels * static_cast<std::size_t>(w) * h) {
    return PixelImage{};
  }
  for (std::size_t i = 0; i < static_cast<std::size_t>(w) * static_cast<std::size_t>(h); ++i) {
    const std::uint8_t* p = file.data() + start + i * channels;
    image.pixels.push_back(channels == 3 ? (p[0] << 16u) | (p[1] << 8u) | p[2] : p[0] * 0x010101u);
  }
  return image;
}

// Over the three channels; 99 dB stands for identical.
double psnr(const PixelImage& a, const PixelImage& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) {
    for (int shift : {0, 8, 16}) {
      const double d = static_cast<double>((a.pixels[i] >> shift) & 0xFF) - ((b.pixels[i] >> shift) & 0xFF);
      sum += d * d;
    }
  }
  if (sum == 0) return 99.0;
  const double mse = sum / (3.0 * static_cast<double>(a.pixels.size()));
  return 10.0 * std::log10(255.0 * 255.0 / mse);
}

struct Case {
  std::int32_t width;
  std::int32_t height;
  std::string options;  // for cjpeg, or "cmyk" / "ycck" for ImageMagick
  double fullSizePsnr;
};

std::string caseName(const Case& c) { return std::to_string(c.width) + "x" + std::to_string(c.height) + " " + c.options; }

class JpegAgainstDjpeg : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveTool("cjpeg") || !haveTool("djpeg")) GTEST_SKIP() << "cjpeg/djpeg (libjpeg-turbo-progs) not installed";
  }

  // Encodes the source picture of the case; empty when the tool refused.
  fs::path encode(const Case& c, const std::string& name) {
    const fs::path source = scratch_ / (name + ".ppm");
    const fs::path jpeg = scratch_ / (name + ".jpg");
    writeSourcePpm(source, c.width, c.height);
    const bool inks = c.options == "cmyk" || c.options == "ycck";
    const std::string command = inks ? "convert " + source.string() + " -quality 95 -colorspace CMYK " + jpeg.string()
                                     : "cjpeg " + c.options + " -outfile " + jpeg.string() + " " + source.string();
    if (!run(command)) return {};
    // ImageMagick writes YCCK (Adobe transform 2); transform 0 makes the
    // same four components plain CMYK to any decoder.
    return inks ? withAdobeTransform(jpeg, c.options == "ycck" ? 2 : 0) : jpeg;
  }

  static fs::path withAdobeTransform(const fs::path& jpeg, std::uint8_t transform) {
    Bytes file = readFile(jpeg);
    const std::string adobe = "Adobe";
    const auto at = std::search(file.begin(), file.end(), adobe.begin(), adobe.end());
    if (file.end() - at < 12) return {};
    at[11] = transform;
    std::ofstream out(jpeg, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return jpeg;
  }

  PixelImage djpeg(const fs::path& jpeg, int scale) {
    const fs::path out = scratch_ / "reference.pnm";
    if (!run("djpeg -scale 1/" + std::to_string(scale) + " -outfile " + out.string() + " " + jpeg.string())) return {};
    return readPnm(out);
  }

  ScratchFolder scratch_;
};

const std::vector<Case> kCases = {
    {1, 1, "-quality 90", 40},
    {17, 9, "-quality 90 -sample 1x1", 45},
    {17, 9, "-quality 75", 40},
    {333, 257, "-quality 50 -sample 1x1", 45},
    {333, 257, "-quality 90 -sample 1x1", 45},
    {333, 257, "-quality 100 -sample 1x1", 45},
    {333, 257, "-quality 50", 40},
    {333, 257, "-quality 90", 40},
    {333, 257, "-quality 100 -sample 2x1", 40},
    {333, 257, "-quality 85 -sample 1x2,1x1,1x1", 40},
    {333, 257, "-quality 85 -sample 4x1,2x1,1x1", 40},
    {333, 257, "-grayscale -quality 90", 45},
    {333, 257, "-grayscale -progressive -restart 3B", 45},
    {333, 257, "-progressive -quality 90", 40},
    {333, 257, "-progressive -quality 100 -sample 1x1", 45},
    {333, 257, "-progressive -restart 1B -sample 2x1 -optimize", 40},
    {333, 257, "-restart 1 -quality 90", 40},
    {333, 257, "-restart 3B -quality 80 -sample 2x1", 40},
    {256, 128, "-optimize -quality 95", 40},
    {33, 21, "-progressive -restart 1B -quality 60", 40},
    {333, 257, "-rgb -quality 90", 45},
    {333, 257, "cmyk", 45},
    {64, 40, "cmyk", 45},
    {333, 257, "ycck", 45},
    {17, 9, "ycck", 45},
};

TEST_F(JpegAgainstDjpeg, FullSizeAgreesAcrossQualitiesSamplingsAndScanKinds) {
  const bool haveConvert = haveTool("convert");
  int index = 0;
  for (const Case& c : kCases) {
    SCOPED_TRACE(caseName(c));
    const bool inks = c.options == "cmyk" || c.options == "ycck";
    if (inks && !haveConvert) {
      std::printf("%-55s skipped: no ImageMagick convert\n", caseName(c).c_str());
      continue;
    }
    const fs::path jpeg = encode(c, "case" + std::to_string(index++));
    ASSERT_FALSE(jpeg.empty()) << "the encoder refused the case";
    const PixelImage reference = djpeg(jpeg, 1);
    ASSERT_EQ(reference.width, c.width);
    PixelImage ours;
    ASSERT_EQ(decodeJpeg(readFile(jpeg), 1, ours), JpegStatus::ok);
    ASSERT_EQ(ours.width, c.width);
    ASSERT_EQ(ours.height, c.height);
    const double db = psnr(ours, reference);
    std::printf("%-55s 1/1 PSNR %5.1f dB (at least %.0f)\n", caseName(c).c_str(), db, c.fullSizePsnr);
    EXPECT_GE(db, c.fullSizePsnr);
  }
}

// The reduced inverse DCTs against djpeg's own at the same scales. 35 dB
// lets small rounding differences pass but not a misplaced block, a wrong
// chroma phase or a skipped coefficient.
TEST_F(JpegAgainstDjpeg, ScaledDecodesAgreeAtHalfQuarterAndEighth) {
  const bool haveConvert = haveTool("convert");
  int index = 0;
  for (const Case& c : kCases) {
    if ((c.options == "cmyk" || c.options == "ycck") && !haveConvert) continue;
    const fs::path jpeg = encode(c, "scaled" + std::to_string(index++));
    ASSERT_FALSE(jpeg.empty());
    const Bytes file = readFile(jpeg);
    for (int scale : {2, 4, 8}) {
      SCOPED_TRACE(caseName(c) + " at 1/" + std::to_string(scale));
      const PixelImage reference = djpeg(jpeg, scale);
      PixelImage ours;
      ASSERT_EQ(decodeJpeg(file, scale, ours), JpegStatus::ok);
      ASSERT_EQ(ours.width, (c.width + scale - 1) / scale);
      ASSERT_EQ(ours.height, (c.height + scale - 1) / scale);
      ASSERT_EQ(ours.width, reference.width);
      ASSERT_EQ(ours.height, reference.height);
      const double db = psnr(ours, reference);
      if (c.width == 333) std::printf("%-55s 1/%d PSNR %5.1f dB\n", caseName(c).c_str(), scale, db);
      EXPECT_GE(db, 35.0);
    }
  }
}

// Pictures of more rows of MCUs than the decoder's rings hold, with restart
// intervals: every row must come out in place and whole, at every scale.
TEST_F(JpegAgainstDjpeg, LargePicturesAgreeAsTheSmallOnesDo) {
  const std::vector<Case> large = {{1601, 1103, "-quality 90", 40},
                                   {1601, 1103, "-quality 95 -sample 1x1 -restart 2", 45},
                                   {1601, 1103, "-quality 80 -sample 2x1", 40},
                                   {1601, 1103, "-grayscale -quality 90 -restart 1B", 45},
                                   // Coefficients of more than one band at full size.
                                   {1601, 1103, "-progressive -quality 90 -sample 1x1", 45}};
  int index = 0;
  for (const Case& c : large) {
    const fs::path jpeg = encode(c, "large" + std::to_string(index++));
    ASSERT_FALSE(jpeg.empty());
    const Bytes file = readFile(jpeg);
    for (int scale : {1, 2, 4, 8}) {
      SCOPED_TRACE(caseName(c) + " at 1/" + std::to_string(scale));
      const PixelImage reference = djpeg(jpeg, scale);
      PixelImage ours;
      ASSERT_EQ(decodeJpeg(file, scale, ours), JpegStatus::ok);
      ASSERT_EQ(ours.width, reference.width);
      ASSERT_EQ(ours.height, reference.height);
      EXPECT_GE(psnr(ours, reference), scale == 1 ? c.fullSizePsnr : 35.0);
    }
  }
}

class RowCollector final : public RowSink {
 public:
  void row(std::span<const std::uint32_t> pixels) override {
    if (width_ == 0) width_ = static_cast<std::int32_t>(pixels.size());
    if (pixels.size() != static_cast<std::size_t>(width_)) ++oddRows_;
    image_.pixels.insert(image_.pixels.end(), pixels.begin(), pixels.end());
    ++image_.height;
  }
  // The rows as an image; empty when a row came with another width.
  PixelImage image() const {
    if (oddRows_ != 0) return {};
    PixelImage whole = image_;
    whole.width = width_;
    return whole;
  }

 private:
  PixelImage image_;
  std::int32_t width_ = 0;
  int oddRows_ = 0;
};

// The rows handed on as they are decoded are the whole decode's, in order,
// for every way of coding and subsampling the rows of MCUs and every scale;
// sizes of many rows of MCUs, so that the rows go round the decoder's ring.
TEST_F(JpegAgainstDjpeg, RowsHandedOnAreTheWholeDecodesRows) {
  {
    std::ofstream script(scratch_ / "separate.scans");
    script << "0: 0 63 0 0;\n2: 0 63 0 0;\n1: 0 63 0 0;\n";  // one component a scan, sequential
  }
  const std::string separate = "-scans " + (scratch_ / "separate.scans").string();
  // 256 rows end with a whole row of MCUs, whose rows all come out at the
  // end with those that waited for the smoothing below them.
  const std::vector<Case> cases = {{333, 257, "-quality 90", 0},
                                   {333, 256, "-quality 90", 0},
                                   {333, 256, "-quality 90 -sample 1x2,1x1,1x1", 0},
                                   {333, 256, "-progressive -quality 90", 0},
                                   {333, 257, "-quality 90 -sample 1x1 -restart 2", 0},
                                   {333, 257, "-quality 90 -sample 2x1", 0},
                                   {333, 257, "-quality 90 -sample 1x2,1x1,1x1", 0},
                                   {333, 257, "-quality 90 -sample 4x1,2x1,1x1", 0},
                                   {333, 257, "-grayscale -quality 90", 0},
                                   {333, 257, "-progressive -quality 90", 0},
                                   {333, 257, "-progressive -grayscale", 0},
                                   {333, 257, "-quality 90 " + separate, 0},
                                   {333, 257, "-quality 90 -sample 1x1 " + separate, 0},
                                   {333, 257, "cmyk", 0}};
  const bool haveConvert = haveTool("convert");
  int index = 0;
  for (const Case& c : cases) {
    if (c.options == "cmyk" && !haveConvert) continue;
    const fs::path jpeg = encode(c, "rows" + std::to_string(index++));
    ASSERT_FALSE(jpeg.empty()) << caseName(c);
    const Bytes file = readFile(jpeg);
    for (int scale : {1, 2, 4, 8}) {
      SCOPED_TRACE(caseName(c) + " at 1/" + std::to_string(scale));
      PixelImage whole;
      ASSERT_EQ(decodeJpeg(file, scale, whole), JpegStatus::ok);
      RowCollector rows;
      ASSERT_EQ(decodeJpegRows(file, scale, rows), JpegStatus::ok);
      const PixelImage banded = rows.image();
      EXPECT_EQ(banded.width, whole.width);
      EXPECT_EQ(banded.height, whole.height);
      EXPECT_TRUE(banded.pixels == whole.pixels);
    }
  }
}

// A progressive picture's scans are decoded a band of rows of MCUs at a
// time, each going on where the band above left it: EOB runs, restart
// intervals and refinements of successive approximation that cross a band
// edge, and a last band shorter than the others, must give the pixels of
// one band over the whole picture and djpeg's.
TEST_F(JpegAgainstDjpeg, ProgressivePicturesDecodedInBandsAgreeWithTheWholeAndWithDjpeg) {
  {
    // Spectral selection alone, then successive approximation on luma with
    // bands of the AC coefficients that split where the reduced inverse
    // DCTs stop reading.
    std::ofstream script(scratch_ / "bands.scans");
    script << "0 1 2: 0 0 0 1;\n0: 1 2 0 2;\n0: 3 63 0 2;\n0: 1 63 2 1;\n0: 1 63 1 0;\n"
              "1: 1 63 0 0;\n2: 1 9 0 0;\n2: 10 63 0 0;\n0 1 2: 0 0 1 0;\n";
  }
  const std::string scripted = "-scans " + (scratch_ / "bands.scans").string();
  const std::vector<Case> cases = {{333, 257, "-progressive -quality 90", 0},
                                   {333, 257, "-progressive -quality 90 -sample 1x1 -restart 1", 0},
                                   {333, 250, "-progressive -quality 95 -sample 2x1 -restart 3B", 0},
                                   {333, 257, "-progressive -grayscale -restart 2", 0},
                                   {333, 257, "-quality 90 -sample 1x1 " + scripted, 0},
                                   {301, 203, "-quality 75 -restart 1B " + scripted, 0}};
  int index = 0;
  for (const Case& c : cases) {
    const fs::path jpeg = encode(c, "bands" + std::to_string(index++));
    ASSERT_FALSE(jpeg.empty()) << caseName(c);
    const Bytes file = readFile(jpeg);
    for (int scale : {1, 2, 4, 8}) {
      SCOPED_TRACE(caseName(c) + " at 1/" + std::to_string(scale));
      PixelImage whole;
      ASSERT_EQ(detail::decodeJpegInBands(file, scale, std::size_t{1} << 30, whole), JpegStatus::ok);
      const PixelImage reference = djpeg(jpeg, scale);
      ASSERT_EQ(whole.width, reference.width);
      ASSERT_EQ(whole.height, reference.height);
      EXPECT_GE(psnr(whole, reference), scale == 1 ? 45.0 : 35.0);
      // One row of MCUs a band, and bands of a few rows that leave a
      // shorter one at the bottom.
      for (const std::size_t bandBytes : {std::size_t{1}, std::size_t{50000}}) {
        PixelImage banded;
        ASSERT_EQ(detail::decodeJpegInBands(file, scale, bandBytes, banded), JpegStatus::ok) << bandBytes;
        EXPECT_TRUE(banded.pixels == whole.pixels) << "bands of at most " << bandBytes << " bytes";
      }
    }
  }
}

// An APP1 segment with EXIF orientation 6 ("rotate 90° clockwise to view").
Bytes withOrientationSix(const Bytes& jpeg) {
  const Bytes app1 = {0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0,              // marker, length, id
                      'M', 'M', 0x00, 0x2A, 0x00, 0x00, 0x00, 0x08,                  // TIFF header
                      0x00, 0x01,                                                    // one entry
                      0x01, 0x12, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x00, 0x06, 0x00, 0x00,  // orientation
                      0x00, 0x00, 0x00, 0x00};                                       // no next IFD
  Bytes out(jpeg.begin(), jpeg.begin() + 2);
  out.insert(out.end(), app1.begin(), app1.end());
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

// The platform loader shows the pixels in the order they are stored,
// whatever the EXIF orientation says; so do we, as djpeg does.
TEST_F(JpegAgainstDjpeg, ExifOrientationIsIgnored) {
  const fs::path plain = encode({48, 20, "-quality 90", 0}, "upright");
  ASSERT_FALSE(plain.empty());
  const Bytes upright = readFile(plain);
  const Bytes rotated = withOrientationSix(upright);
  {
    std::ofstream out(scratch_ / "rotated.jpg", std::ios::binary);
    out.write(reinterpret_cast<const char*>(rotated.data()), static_cast<std::streamsize>(rotated.size()));
  }
  PixelImage ours;
  PixelImage plainOurs;
  ASSERT_EQ(decodeJpeg(rotated, 1, ours), JpegStatus::ok);
  ASSERT_EQ(decodeJpeg(upright, 1, plainOurs), JpegStatus::ok);
  EXPECT_EQ(ours.width, 48);
  EXPECT_EQ(ours.height, 20);
  EXPECT_EQ(ours.pixels, plainOurs.pixels);
  const PixelImage reference = djpeg(scratch_ / "rotated.jpg", 1);
  ASSERT_EQ(reference.width, 48);
  EXPECT_GE(psnr(ours, reference), 40.0);
}

std::size_t markerAt(const Bytes& file, std::uint8_t marker) {
  for (std::size_t i = 0; i + 1 < file.size(); ++i) {
    if (file[i] == 0xFF && file[i + 1] == marker) return i;
  }
  return file.size();
}

TEST_F(JpegAgainstDjpeg, ArithmeticCodingIsRefused) {
  const fs::path arithmetic = encode({40, 24, "-arithmetic", 0}, "arithmetic");
  if (arithmetic.empty()) GTEST_SKIP() << "cjpeg cannot write arithmetic coding; JpegRefusals patches SOF9 in";
  PixelImage image;
  EXPECT_EQ(decodeJpeg(readFile(arithmetic), 1, image), JpegStatus::unsupported);
}

// What the platform loader must decode instead: kinds we do not decode,
// sizes beyond the limit, files that are not JPEG at all.
TEST(JpegRefusals, OtherKindsHugeSizesAndOtherFormats) {
  const Bytes baseline(testdata::kRestarts, testdata::kRestarts + sizeof testdata::kRestarts);
  const std::size_t sof = markerAt(baseline, 0xC0);
  ASSERT_LT(sof + 9, baseline.size());
  PixelImage image;
  JpegInfo info;
  for (std::uint8_t kind : {0xC3, 0xC5, 0xC9, 0xCA}) {  // lossless, hierarchical, arithmetic
    Bytes other = baseline;
    other[sof + 1] = kind;
    EXPECT_EQ(decodeJpeg(other, 1, image), JpegStatus::unsupported) << std::hex << int{kind};
  }
  Bytes twelveBit = baseline;
  twelveBit[sof + 1] = 0xC1;
  twelveBit[sof + 4] = 12;
  EXPECT_EQ(decodeJpeg(twelveBit, 1, image), JpegStatus::unsupported);
  EXPECT_EQ(readJpegInfo(twelveBit, info), JpegStatus::unsupported);

  // 65535 × 65535 is refused from the header alone, at once.
  Bytes huge = baseline;
  for (std::size_t i : {sof + 5, sof + 6, sof + 7, sof + 8}) huge[i] = 0xFF;
  testing::resetPeakHeldBytes();
  EXPECT_EQ(readJpegInfo(huge, info), JpegStatus::tooLarge);
  EXPECT_EQ(decodeJpeg(huge, 1, image), JpegStatus::tooLarge);
  // Within the limit but with data for a few blocks only: refused before
  // the 32768 × 8192 picture is allocated or walked.
  Bytes tall = baseline;
  tall[sof + 5] = 0x20;  // height 8192
  tall[sof + 6] = 0x00;
  tall[sof + 7] = 0x80;  // width 32768
  tall[sof + 8] = 0x00;
  EXPECT_EQ(readJpegInfo(tall, info), JpegStatus::ok);
  EXPECT_EQ(info.width, 32768);
  EXPECT_EQ(decodeJpeg(tall, 1, image), JpegStatus::corrupt);
  // The picture alone would be 1 GiB; a few rows of blocks are all it may take.
  EXPECT_LT(testing::peakHeldBytes(), std::size_t{16} << 20);

  PixelImage bmpPicture{2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}};
  EXPECT_EQ(decodeJpeg(encodeBmp24(bmpPicture), 1, image), JpegStatus::notJpeg);
  EXPECT_EQ(readJpegInfo(encodeBmp24(bmpPicture), info), JpegStatus::notJpeg);
  EXPECT_EQ(decodeJpeg(Bytes{}, 1, image), JpegStatus::notJpeg);
}

// A damaged picture is the platform loader's to judge, so ours says corrupt
// rather than showing grey where data is missing; and it never crashes.
TEST(JpegDamage, DamagedPicturesAreCorruptNeverACrash) {
  const std::span<const std::uint8_t> kept[] = {testdata::kProgressive, testdata::kRestarts};
  for (const std::span<const std::uint8_t> picture : kept) {
    const Bytes whole(picture.begin(), picture.end());
    PixelImage image;
    ASSERT_EQ(decodeJpeg(whole, 1, image), JpegStatus::ok);
    const std::size_t firstScan = markerAt(whole, 0xDA);
    // Cut anywhere inside the coded data: missing data is never "ok".
    for (std::size_t length = firstScan + 20; length + 2 < whole.size(); length += 3) {
      const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
      EXPECT_EQ(decodeJpeg(cut, 1, image), JpegStatus::corrupt) << "cut at " << length;
      RowCollector rows;
      EXPECT_EQ(decodeJpegRows(cut, 1, rows), JpegStatus::corrupt) << "row by row, cut at " << length;
    }
    // Random damage: any outcome but a crash; "ok" keeps its promised size.
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
      Bytes damaged = whole;
      for (int n = 0; n < 4; ++n) damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
      for (int scale : {1, 8}) {
        if (decodeJpeg(damaged, scale, image) == JpegStatus::ok) {
          EXPECT_EQ(image.pixels.size(), static_cast<std::size_t>(image.width) * image.height);
        }
      }
    }
  }
  // A restart marker that is not where the interval ends.
  Bytes file(testdata::kRestarts, testdata::kRestarts + sizeof testdata::kRestarts);
  const std::size_t rst = markerAt(file, 0xD0);
  ASSERT_LT(rst, file.size());
  file.erase(file.begin() + static_cast<std::ptrdiff_t>(rst), file.begin() + static_cast<std::ptrdiff_t>(rst) + 2);
  PixelImage image;
  EXPECT_EQ(decodeJpeg(file, 1, image), JpegStatus::corrupt);
}

// Where the scan of the luma AC coefficients from 1 on starts and ends.
struct ScanData {
  std::size_t start = 0;
  std::size_t end = 0;
};
ScanData firstLumaAcScan(const Bytes& file) {
  const std::size_t sof = markerAt(file, 0xC2);
  if (sof + 11 >= file.size()) return {};
  const std::uint8_t luma = file[sof + 10];
  for (std::size_t i = markerAt(file, 0xDA); i + 9 < file.size(); ++i) {
    if (file[i] != 0xFF || file[i + 1] != 0xDA) continue;
    const std::size_t length = (std::size_t{file[i + 2]} << 8) | file[i + 3];
    const std::size_t start = i + 2 + length;
    const int count = file[i + 4];
    const int ss = file[i + 5 + 2 * count];
    if (count != 1 || file[i + 5] != luma || ss == 0) continue;
    std::size_t end = start;
    while (end + 1 < file.size() && !(file[end] == 0xFF && file[end + 1] != 0 && (file[end + 1] & 0xF8) != 0xD0)) ++end;
    return {start, end};
  }
  return {};
}

// At 1/8 luma goes through the inverse DCT of one pixel, which reads the
// DC coefficient alone: the data of its AC scans is passed over, not
// decoded, so that a preview costs little more than the DC scans. Damage
// there (here, codes of all ones, which no table has) changes nothing it
// shows; where those coefficients are read, it is found.
TEST(JpegDamage, AtAnEighthTheLumaAcScansArePassedOverUndecoded) {
  const Bytes whole(std::begin(testdata::kProgressive), std::end(testdata::kProgressive));
  const ScanData scan = firstLumaAcScan(whole);
  ASSERT_LT(scan.start + 8, scan.end);
  Bytes damaged = whole;
  // Stuffed 0xFF bytes only, so the restart markers go but no other marker comes.
  for (std::size_t i = scan.start; i + 1 < scan.end; i += 2) {
    damaged[i] = 0xFF;
    damaged[i + 1] = 0x00;
  }
  PixelImage clean;
  PixelImage passedOver;
  ASSERT_EQ(decodeJpeg(whole, 8, clean), JpegStatus::ok);
  ASSERT_EQ(decodeJpeg(damaged, 8, passedOver), JpegStatus::ok);
  EXPECT_TRUE(passedOver.pixels == clean.pixels);
  for (int scale : {1, 2, 4}) {
    PixelImage image;
    EXPECT_EQ(decodeJpeg(damaged, scale, image), JpegStatus::corrupt) << "at 1/" << scale;
    EXPECT_EQ(detail::decodeJpegInBands(damaged, scale, 1, image), JpegStatus::corrupt) << "in bands at 1/" << scale;
  }
}

std::uint64_t rgbHash(const PixelImage& image) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const std::uint32_t pixel : image.pixels) {
    for (int shift : {16, 8, 0}) {
      hash ^= (pixel >> shift) & 0xFF;
      hash *= 0x100000001b3ull;
    }
  }
  return hash;
}

// Kept pictures with djpeg's pixels: the same decode in every build.
TEST(JpegReference, EveryBuildDecodesKeptPicturesAsDjpegDoes) {
  for (const testdata::ReferenceDecode& r : testdata::kReferenceDecodes) {
    SCOPED_TRACE(std::string(r.name) + " at 1/" + std::to_string(r.scale));
    PixelImage image;
    ASSERT_EQ(decodeJpeg(r.file, r.scale, image), JpegStatus::ok);
    EXPECT_EQ(image.width, r.width);
    EXPECT_EQ(image.height, r.height);
    EXPECT_EQ(rgbHash(image), r.rgbHash);
    RowCollector rows;
    ASSERT_EQ(decodeJpegRows(r.file, r.scale, rows), JpegStatus::ok);
    EXPECT_EQ(rgbHash(rows.image()), r.rgbHash) << "row by row";
    // A band of coefficients for each row of MCUs, restarts between them.
    PixelImage banded;
    ASSERT_EQ(detail::decodeJpegInBands(r.file, r.scale, 1, banded), JpegStatus::ok);
    EXPECT_EQ(rgbHash(banded), r.rgbHash) << "in bands";
  }
  JpegInfo info;
  ASSERT_EQ(readJpegInfo(testdata::kProgressive, info), JpegStatus::ok);
  EXPECT_EQ(info.width, 33);
  EXPECT_EQ(info.height, 21);
  EXPECT_EQ(info.components, 3);
  EXPECT_TRUE(info.progressive);
}

TEST(JpegScale, LargestReductionThatStillCoversTheTarget) {
  const JpegInfo photo{6000, 4000, 3, false};
  EXPECT_EQ(jpegScaleFor(photo, 1920, 1080), 2);   // 3000 × 2000; 1/4 is 1500 wide
  EXPECT_EQ(jpegScaleFor(photo, 1500, 1000), 4);   // exactly a quarter
  EXPECT_EQ(jpegScaleFor(photo, 1501, 1000), 2);
  EXPECT_EQ(jpegScaleFor(photo, 100, 67), 8);      // a preview
  EXPECT_EQ(jpegScaleFor(photo, 750, 501), 4);
  EXPECT_EQ(jpegScaleFor(photo, 6000, 4000), 1);
  EXPECT_EQ(jpegScaleFor(photo, 0, 100), 1);
  EXPECT_EQ(jpegScaleFor(JpegInfo{9, 9, 1, false}, 3, 3), 4);  // sides round up: 3 × 3 at 1/4
  EXPECT_EQ(jpegScaleFor(JpegInfo{9, 9, 1, false}, 2, 2), 8);  // 2 × 2 at 1/8
}

}  // namespace
}  // namespace rivano::jpeg
