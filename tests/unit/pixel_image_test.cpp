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

}  // namespace
}  // namespace rivano
