// Photographs shown the way they were taken: the EXIF orientation read
// from the file, and the picture turned and fitted as shown.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/jpeg/exif_orientation.h"
#include "engine/jpeg/jpeg_decoder.h"
#include "engine/jpeg_picture.h"
#include "engine/orientation.h"
#include "tests/unit/jpeg_reference_pictures.h"

namespace rivano {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A TIFF structure with one image directory of the given entries
// (tag, type, count, value), in either byte order.
struct Entry {
  std::uint16_t tag, type;
  std::uint32_t count, value;
};
Bytes tiff(bool bigEndian, const std::vector<Entry>& entries) {
  Bytes b;
  auto u16 = [&](std::uint32_t v) {
    if (bigEndian) b.insert(b.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
    else b.insert(b.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
  };
  auto u32 = [&](std::uint32_t v) {
    if (bigEndian) { u16(v >> 16); u16(v & 0xFFFF); }
    else { u16(v & 0xFFFF); u16(v >> 16); }
  };
  b.push_back(bigEndian ? 'M' : 'I');
  b.push_back(bigEndian ? 'M' : 'I');
  u16(42);
  u32(8);
  u16(static_cast<std::uint32_t>(entries.size()));
  for (const Entry& e : entries) {
    u16(e.tag);
    u16(e.type);
    u32(e.count);
    // A SHORT sits in the first two bytes of the value field.
    if (e.type == 3) { u16(e.value); u16(0); }
    else u32(e.value);
  }
  u32(0);  // no next directory
  return b;
}

Bytes orientationTiff(bool bigEndian, std::uint32_t value) {
  return tiff(bigEndian, {{0x010F, 2, 4, 0}, {0x0112, 3, 1, value}, {0x0131, 2, 4, 0}});
}

// The JPEG with an EXIF segment put right after its start marker.
Bytes withExif(std::span<const std::uint8_t> jpeg, const Bytes& tiffBytes) {
  Bytes payload = {'E', 'x', 'i', 'f', 0, 0};
  payload.insert(payload.end(), tiffBytes.begin(), tiffBytes.end());
  const std::size_t length = payload.size() + 2;
  Bytes out(jpeg.begin(), jpeg.begin() + 2);
  out.insert(out.end(), {0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length)});
  out.insert(out.end(), payload.begin(), payload.end());
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

TEST(ExifOrientation, EveryValueIsReadInBothByteOrdersWhereverTheSegmentStands) {
  const std::span<const std::uint8_t> jpeg(jpeg::testdata::kProgressive);  // starts with a JFIF segment
  for (bool bigEndian : {false, true}) {
    for (std::uint32_t v = 1; v <= 8; ++v) {
      EXPECT_EQ(jpeg::exifOrientation(orientationTiff(bigEndian, v)), static_cast<int>(v));
      EXPECT_EQ(jpeg::jpegOrientation(withExif(jpeg, orientationTiff(bigEndian, v))), static_cast<int>(v));
    }
  }
  // After the JFIF segment rather than before it.
  Bytes later = withExif(jpeg, orientationTiff(false, 6));
  const std::size_t exifLength = 4 + 6 + orientationTiff(false, 6).size();
  Bytes jfif(jpeg.begin() + 2, jpeg.begin() + 2 + 4 + ((jpeg[4] << 8) | jpeg[5]) - 2);
  later.erase(later.begin() + 2 + static_cast<std::ptrdiff_t>(exifLength),
              later.begin() + 2 + static_cast<std::ptrdiff_t>(exifLength + jfif.size()));
  later.insert(later.begin() + 2, jfif.begin(), jfif.end());
  EXPECT_EQ(jpeg::jpegOrientation(later), 6);
}

TEST(ExifOrientation, AnythingMissingDamagedOrUnknownMeansAsStored) {
  const std::span<const std::uint8_t> jpeg(jpeg::testdata::kProgressive);
  EXPECT_EQ(jpeg::jpegOrientation(jpeg), 1);  // no EXIF at all
  const std::vector<Bytes> tiffs = {
      tiff(false, {{0x010F, 2, 4, 0}}),    // no orientation tag
      orientationTiff(false, 0),           // values outside 1 to 8
      orientationTiff(true, 9),
      tiff(false, {{0x0112, 4, 1, 6}}),    // a LONG, not a SHORT
      tiff(false, {{0x0112, 3, 2, 6}}),    // two values
      {},                                  // nothing
      {'I', 'I', 42, 0},                   // cut inside the header
      {'I', 'M', 42, 0, 8, 0, 0, 0},       // no byte order
      {'I', 'I', 43, 0, 8, 0, 0, 0},       // not TIFF
      {'I', 'I', 42, 0, 0xF0, 0xFF, 0xFF, 0xFF},  // directory far beyond the end
  };
  for (std::size_t i = 0; i < tiffs.size(); ++i) {
    EXPECT_EQ(jpeg::exifOrientation(tiffs[i]), 1) << "case " << i;
    EXPECT_EQ(jpeg::jpegOrientation(withExif(jpeg, tiffs[i])), 1) << "case " << i;
  }
  // A directory that claims more entries than it holds, the tag beyond the end.
  Bytes cut = orientationTiff(false, 6);
  cut.resize(8 + 2 + 12 + 4);
  EXPECT_EQ(jpeg::exifOrientation(cut), 1);
  // A segment whose length runs past the file; an APP1 that is not EXIF.
  Bytes overlong = withExif(jpeg, orientationTiff(false, 6));
  overlong.resize(20);
  EXPECT_EQ(jpeg::jpegOrientation(overlong), 1);
  Bytes other = withExif(jpeg, orientationTiff(false, 6));
  other[6] = 'X';
  EXPECT_EQ(jpeg::jpegOrientation(other), 1);
}

// a b c          The picture as stored, and as each orientation shows it,
// d e f          written out from what the EXIF values mean.
TEST(ShownAsTaken, EachOrientationPutsTheStoredPixelsWhereTheCameraSawThem) {
  const PixelImage stored{3, 2, {'a', 'b', 'c', 'd', 'e', 'f'}};
  const std::vector<std::pair<std::string, int>> shown = {
      {"abc|def", 3}, {"cba|fed", 3}, {"fed|cba", 3}, {"def|abc", 3},
      {"ad|be|cf", 2}, {"da|eb|fc", 2}, {"fc|eb|da", 2}, {"cf|be|ad", 2},
  };
  for (int orientation = 1; orientation <= 8; ++orientation) {
    const PixelImage out = shownAsTaken(stored, orientation);
    std::string text;
    for (std::int32_t y = 0; y < out.height; ++y) {
      if (y) text += '|';
      for (std::int32_t x = 0; x < out.width; ++x) text += static_cast<char>(out.at(x, y));
    }
    EXPECT_EQ(text, shown[orientation - 1].first) << "orientation " << orientation;
    EXPECT_EQ(out.width, shown[orientation - 1].second) << "orientation " << orientation;
    EXPECT_EQ(swapsSides(orientation), orientation >= 5);
  }
  EXPECT_EQ(shownAsTaken(stored, 0).pixels, stored.pixels);
  EXPECT_EQ(shownAsTaken(stored, 9).pixels, stored.pixels);
}

TEST(ShownAsTaken, AJpegIsMeasuredAndDrawnTurnedAtEveryOrientation) {
  const std::span<const std::uint8_t> plain(jpeg::testdata::kProgressive);  // 33 × 21
  const ScreenMetrics screen{{15360, 11520}, 15, 15};
  const auto asStored = decodeJpegPicture(plain, DrawTargets{}, screen);
  ASSERT_NE(asStored, nullptr);
  const PixelImage storedPixels = asStored->asLoaded();
  for (int orientation = 1; orientation <= 8; ++orientation) {
    const auto picture = decodeJpegPicture(withExif(plain, orientationTiff(orientation % 2 == 0, orientation)),
                                           DrawTargets{}, screen);
    ASSERT_NE(picture, nullptr);
    const bool turned = orientation >= 5;
    EXPECT_FLOAT_EQ(picture->sizeTwips().width, (turned ? 21 : 33) * 15.0f);
    EXPECT_FLOAT_EQ(picture->sizeTwips().height, (turned ? 33 : 21) * 15.0f);
    EXPECT_EQ(picture->asLoaded().pixels, shownAsTaken(storedPixels, orientation).pixels);
    // Stretched to the size it is shown at and to a smaller one of that shape.
    EXPECT_EQ(picture->stretched(turned ? 21 : 33, turned ? 33 : 21).pixels,
              shownAsTaken(storedPixels, orientation).pixels);
    const PixelImage small = picture->stretched(turned ? 7 : 11, turned ? 11 : 7);
    EXPECT_EQ(small.width, turned ? 7 : 11);
    EXPECT_EQ(small.pixels, shownAsTaken(asStored->stretched(11, 7), orientation).pixels);
  }
}

}  // namespace
}  // namespace rivano
