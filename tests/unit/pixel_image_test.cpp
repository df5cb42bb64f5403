#include "engine/pixel_image.h"

#include <gtest/gtest.h>

namespace rivano {
namespace {

PixelImage gradient(std::int32_t w, std::int32_t h) {
  PixelImage img{w, h, {}};
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x)
      img.pixels.push_back(static_cast<std::uint32_t>((x * 40) << 16 | (y * 30) << 8 | (x + y)));
  return img;
}

TEST(Bitmap, RoundTripKeepsEveryPixelForRowsThatNeedPadding) {
  for (std::int32_t w : {1, 2, 3, 5}) {
    const PixelImage img = gradient(w, 3);
    const std::vector<std::uint8_t> file = encodeBmp24(img);
    const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t{3};
    EXPECT_EQ(file.size(), 54 + stride * 3);
    const auto back = decodeBmp(file);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->width, w);
    EXPECT_EQ(back->height, 3);
    EXPECT_EQ(back->pixels, img.pixels);
  }
}

TEST(Bitmap, BottomRowComesFirstInTheFile) {
  PixelImage img{1, 2, {0x00FF0000, 0x000000FF}};  // red above blue
  const std::vector<std::uint8_t> file = encodeBmp24(img);
  EXPECT_EQ(file[54], 0xFF);  // blue, stored first
  EXPECT_EQ(file[54 + 4 + 2], 0xFF);  // red's red byte in the second row
}

TEST(Bitmap, DecodeRefusesTruncatedAndForeignFiles) {
  std::vector<std::uint8_t> file = encodeBmp24(gradient(4, 4));
  file.resize(file.size() - 1);
  EXPECT_FALSE(decodeBmp(file).has_value());
  EXPECT_FALSE(decodeBmp(std::vector<std::uint8_t>{'G', 'I', 'F'}).has_value());
  std::vector<std::uint8_t> hostile = encodeBmp24(gradient(2, 2));
  hostile[18] = 0xFF;  // width 0x7FFFFFFF..., rows far beyond the data
  hostile[19] = 0xFF;
  hostile[20] = 0xFF;
  hostile[21] = 0x7F;
  EXPECT_FALSE(decodeBmp(hostile).has_value());
}

TEST(Bitmap, WrittenInPiecesOfWholeRowsItIsTheSameFileAndAStopEndsIt) {
  const PixelImage img = gradient(5, 7);  // 16 bytes a row
  std::vector<std::uint8_t> joined;
  std::vector<std::size_t> sizes;
  ASSERT_TRUE(encodeBmp24Pieces(img, 40, [&](std::span<const std::uint8_t> piece) {
    sizes.push_back(piece.size());
    joined.insert(joined.end(), piece.begin(), piece.end());
    return true;
  }));
  EXPECT_EQ(joined, encodeBmp24(img));
  EXPECT_EQ(joined.size(), bmp24Size(img));
  // The header alone, then two rows a piece, the last piece what is left.
  EXPECT_EQ(sizes, (std::vector<std::size_t>{54, 32, 32, 32, 16}));
  int calls = 0;
  EXPECT_FALSE(encodeBmp24Pieces(img, 40, [&](std::span<const std::uint8_t>) { return ++calls < 2; }));
  EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace rivano
