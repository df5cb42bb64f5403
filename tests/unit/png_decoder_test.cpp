// Our PNG decoder against pictures written apart from it (a Python encoder
// using only zlib and struct, every colour type, bit depth, filter and
// interlacing, with and without tRNS, checked in turn against ImageMagick),
// and against damaged and hostile files.
#include "engine/png/png_decoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "engine/png/png_source.h"
#include "tests/unit/png_writer.h"

namespace rivano::png {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;

Bytes readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool run(const std::string& command) { return std::system((command + " 2>/dev/null").c_str()) == 0; }

class ScratchFolder {
 public:
  ScratchFolder()
      : path_(fs::temp_directory_path() /
              ("rivano-png-test-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()))) {
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

Bytes toRgb(const PixelImage& image) {
  Bytes out;
  for (std::uint32_t p : image.pixels)
    out.insert(out.end(), {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                           static_cast<std::uint8_t>(p)});
  return out;
}

struct Case {
  std::string name;
  std::int32_t width = 0, height = 0;
  bool opaque = false;
};

class PngCases : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "the cases are written by the host's Python";
#else
    const fs::path script = fs::path(RIVANO_SOURCE_DIR) / "tests/unit/make_png_cases.py";
    if (!run("python3 '" + script.string() + "' '" + folder_.path().string() + "'")) GTEST_SKIP() << "no python3";
    const Bytes listed = readFile(folder_.path() / "manifest.txt");
    std::istringstream manifest(std::string(listed.begin(), listed.end()));
    std::string colour;
    manifest >> colour;
    background_ = static_cast<std::uint32_t>(std::stoul(colour, nullptr, 16));
    Case c;
    int opaque = 0;
    while (manifest >> c.name >> c.width >> c.height >> opaque) {
      c.opaque = opaque != 0;
      cases_.push_back(c);
    }
    ASSERT_GE(cases_.size(), 40u);
#endif
  }

  ScratchFolder folder_;
  std::uint32_t background_ = 0;
  std::vector<Case> cases_;
};

TEST_F(PngCases, EveryColourTypeDepthFilterAndInterlaceGivesTheEncodersPixels) {
  for (const Case& c : cases_) {
    PixelImage image;
    ASSERT_EQ(decodePng(readFile(folder_.path() / (c.name + ".png")), background_, image), PngStatus::ok) << c.name;
    EXPECT_EQ(image.width, c.width) << c.name;
    EXPECT_EQ(image.height, c.height) << c.name;
    EXPECT_EQ(toRgb(image), readFile(folder_.path() / (c.name + ".rgb"))) << c.name;
  }
}

// The encoder's own idea of the format checked by a third reader: colour
// pictures (ImageMagick reads grey ones through a gamma of its own) agree
// within its rounding of 16-bit samples and of alpha.
TEST_F(PngCases, TheEncodersPixelsAgreeWithImageMagick) {
  if (!run("command -v convert >/dev/null")) GTEST_SKIP() << "no ImageMagick";
  char background[8];
  std::snprintf(background, sizeof background, "#%06X", background_);
  int compared = 0;
  for (const Case& c : cases_) {
    if (c.name.rfind("c0", 0) == 0 || c.name.rfind("c4", 0) == 0) continue;
    const fs::path png = folder_.path() / (c.name + ".png"), out = folder_.path() / (c.name + ".im");
    ASSERT_TRUE(run("convert '" + png.string() + "' -background '" + background + "' -flatten -depth 8 rgb:'" +
                    out.string() + "'"));
    const Bytes theirs = readFile(out), ours = readFile(folder_.path() / (c.name + ".rgb"));
    ASSERT_EQ(theirs.size(), ours.size()) << c.name;
    const bool exact = c.opaque && c.name.find("d16") == std::string::npos;
    for (std::size_t i = 0; i < ours.size(); ++i)
      ASSERT_LE(std::abs(theirs[i] - ours[i]), exact ? 0 : 2) << c.name << " byte " << i;
    ++compared;
  }
  EXPECT_GE(compared, 20);
}

TEST_F(PngCases, RowsComeTopFirstAndCutShortDataIsDamage) {
  for (const Case& c : cases_) {
    const Bytes file = readFile(folder_.path() / (c.name + ".png"));
    PixelImage whole;
    ASSERT_EQ(decodePng(file, background_, whole), PngStatus::ok);
    // Every cut ends before IEND: damage, whichever chunk it falls in.
    for (std::size_t keep : {file.size() - 1, file.size() - 12, file.size() / 2, std::size_t{40}, std::size_t{8}}) {
      PixelImage image;
      EXPECT_EQ(decodePng(std::span(file).first(keep), background_, image), PngStatus::corrupt)
          << c.name << " cut to " << keep;
    }
  }
}

PixelImage smallRgb() {
  PixelImage image;
  const Bytes file = testing::rgbPng(5, 4, [](std::uint32_t x, std::uint32_t y) { return x * 40 << 16 | y * 50; });
  EXPECT_EQ(decodePng(file, 0, image), PngStatus::ok);
  return image;
}

TEST(PngDamage, ABadCrcInAnyChunkIsDamage) {
  const Bytes good = testing::rgbPng(5, 4, [](std::uint32_t x, std::uint32_t y) { return x * 40 << 16 | y * 50; });
  ASSERT_EQ(smallRgb().at(4, 3), 160u << 16 | 150u);
  // A bit flipped in IHDR's data, in IDAT's data, in IEND's CRC.
  for (std::size_t at : {std::size_t{18}, std::size_t{41}, good.size() - 1}) {
    Bytes bad = good;
    bad[at] ^= 0x10;
    PixelImage image;
    EXPECT_EQ(decodePng(bad, 0, image), PngStatus::corrupt) << at;
    EXPECT_TRUE(image.pixels.empty());
  }
  // An ancillary chunk is checked too, though nothing of it is used.
  Bytes withText(good.begin(), good.begin() + 33);
  Bytes text = testing::pngChunk("tEXt", {'a', 0, 'b'});
  text.back() ^= 1;
  withText.insert(withText.end(), text.begin(), text.end());
  withText.insert(withText.end(), good.begin() + 33, good.end());
  PixelImage image;
  EXPECT_EQ(decodePng(withText, 0, image), PngStatus::corrupt);
}

TEST(PngDamage, OtherKindsAndUnknownCriticalChunksAreRefused) {
  PixelImage image;
  const Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16};
  EXPECT_EQ(decodePng(jpeg, 0, image), PngStatus::notPng);
  const Bytes good = testing::rgbPng(2, 2, [](std::uint32_t, std::uint32_t) { return 0u; });
  Bytes unknown(good.begin(), good.begin() + 33);
  const Bytes critical = testing::pngChunk("QUUX", {1, 2});
  unknown.insert(unknown.end(), critical.begin(), critical.end());
  unknown.insert(unknown.end(), good.begin() + 33, good.end());
  EXPECT_EQ(decodePng(unknown, 0, image), PngStatus::unsupported);
  // A palette picture without its palette.
  const Bytes noPalette = testing::pngFile(testing::pngHeader(2, 2, 8, 3), testing::deflatedZeros(6));
  EXPECT_EQ(decodePng(noPalette, 0, image), PngStatus::corrupt);
  // A bit depth its colour type cannot have.
  const Bytes badDepth = testing::pngFile(testing::pngHeader(2, 2, 4, 2), testing::deflatedZeros(6));
  EXPECT_EQ(decodePng(badDepth, 0, image), PngStatus::corrupt);
  // A filter type beyond the five.
  Bytes rows(2 * 7, 0);
  rows[7] = 5;
  uLongf size = compressBound(static_cast<uLong>(rows.size()));
  Bytes compressed(size);
  ASSERT_EQ(compress(compressed.data(), &size, rows.data(), static_cast<uLong>(rows.size())), Z_OK);
  compressed.resize(size);
  EXPECT_EQ(decodePng(testing::pngFile(testing::pngHeader(2, 2, 8, 2), compressed), 0, image), PngStatus::corrupt);
}

TEST(PngDamage, HugeDeclaredSizesAreRefusedFromTheHeader) {
  PixelImage image;
  for (auto [w, h] : {std::pair<std::uint32_t, std::uint32_t>{32769, 1}, {1, 32769}, {32768, 8193},
                      {0x7FFFFFFF, 0x7FFFFFFF}}) {
    const Bytes file = testing::pngFile(testing::pngHeader(w, h, 8, 6), testing::deflatedZeros(64));
    PngInfo info;
    EXPECT_EQ(readPngInfo(file, info), PngStatus::tooLarge) << w << " x " << h;
    EXPECT_EQ(decodePng(file, 0, image), PngStatus::tooLarge) << w << " x " << h;
  }
  const Bytes zero = testing::pngFile(testing::pngHeader(0, 5, 8, 2), testing::deflatedZeros(64));
  EXPECT_EQ(decodePng(zero, 0, image), PngStatus::corrupt);
}

class CountingSink final : public RowSink {
 public:
  void row(std::span<const std::uint32_t> pixels) override {
    ++rows;
    width = pixels.size();
  }
  int rows = 0;
  std::size_t width = 0;
};

// Reads through to memory, counting the bytes read and keeping the largest
// single read.
class WatchedSource final : public ByteSource {
 public:
  explicit WatchedSource(const Bytes& bytes) : memory_(bytes) {}
  std::uint64_t size() const override { return memory_.size(); }
  bool read(std::uint64_t offset, std::span<std::uint8_t> out) override {
    largest = std::max(largest, out.size());
    total += out.size();
    return memory_.read(offset, out);
  }
  std::size_t largest = 0;
  std::uint64_t total = 0;

 private:
  MemorySource memory_;
};

TEST(PngDamage, DataBeyondThePictureIsNeverInflated) {
  // 64 MiB of zeros for a picture of 8 × 8 RGB (200 bytes of rows): the
  // rows are read, the rest is left alone.
  const Bytes bomb = testing::pngFile(testing::pngHeader(8, 8, 8, 2), testing::deflatedZeros(64u << 20), 1024);
  CountingSink sink;
  WatchedSource source(bomb);
  EXPECT_EQ(decodePngRows(source, 0, sink), PngStatus::ok);
  // Every chunk is read once for its CRC; inflating the rest would read
  // them all a second time.
  EXPECT_LT(source.total, bomb.size() + 8 * 1024);
  EXPECT_EQ(sink.rows, 8);
  EXPECT_EQ(sink.width, 8u);
  // Too little data for the picture it declares is damage.
  const Bytes shortData = testing::pngFile(testing::pngHeader(8, 8, 8, 2), testing::deflatedZeros(199));
  PixelImage image;
  EXPECT_EQ(decodePng(shortData, 0, image), PngStatus::corrupt);
}

TEST(PngDamage, DataSplitIntoOneByteChunksReadsThrough) {
  // The run of chunks is walked as the stream needs it.
  const Bytes compressed = testing::deflatedZeros(3 * 300 * 301);
  const Bytes file = testing::pngFile(testing::pngHeader(300, 300, 8, 0), compressed, 1);
  CountingSink sink;
  EXPECT_EQ(decodePngRows(file, 0, sink), PngStatus::ok);
  EXPECT_EQ(sink.rows, 300);
}

TEST(PngSource, AFileIsReadInBlocksNeverWhole) {
  // Noise, which deflate cannot shrink: a file of about 3 MB in one chunk
  // and in many.
  std::uint32_t state = 7;
  auto noise = [&state](std::uint32_t, std::uint32_t) { return (state = state * 1103515245u + 12345u) >> 8; };
  const Bytes file = testing::rgbPng(1000, 1000, noise);
  ASSERT_GT(file.size(), 2'900'000u);
  WatchedSource source(file);
  PixelImage fromSource, fromMemory;
  ASSERT_EQ(decodePng(source, 0, fromSource), PngStatus::ok);
  ASSERT_EQ(decodePng(file, 0, fromMemory), PngStatus::ok);
  EXPECT_EQ(fromSource.pixels, fromMemory.pixels);
  EXPECT_LE(source.largest, 64u * 1024);
  // Once to check every CRC, once to inflate.
  EXPECT_LE(source.total, 2 * file.size() + 1024);
}

TEST(PngSource, AFileThatCanNoLongerBeReadIsDamage) {
  const Bytes file = testing::rgbPng(300, 300, [](std::uint32_t x, std::uint32_t y) { return x * y; });
  // Readable while the chunks are checked, gone by the time the data is read.
  class Vanishing final : public ByteSource {
   public:
    explicit Vanishing(const Bytes& bytes) : memory_(bytes) {}
    std::uint64_t size() const override { return memory_.size(); }
    bool read(std::uint64_t offset, std::span<std::uint8_t> out) override {
      if (offset + out.size() == memory_.size()) gone_ = true;  // IEND's CRC: the check is over
      return (!gone_ || offset + out.size() == memory_.size()) && memory_.read(offset, out);
    }

   private:
    MemorySource memory_;
    bool gone_ = false;
  } source(file);
  CountingSink sink;
  EXPECT_EQ(decodePngRows(source, 0, sink), PngStatus::corrupt);
  EXPECT_EQ(sink.rows, 0);
}

}  // namespace
}  // namespace rivano::png
