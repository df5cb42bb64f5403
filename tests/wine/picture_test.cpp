// Loading pictures through the platform's loader, and writing the one
// wallpaper bitmap file.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "engine/pixel_image.h"
#include "platform/file_system.h"
#include "platform/ole_picture.h"
#include "platform/screen.h"
#include "common/run_error.h"
#include "tests/unit/crafted_jpeg.h"
#include "tests/wine/test_support.h"

namespace rivano {
namespace {

using testing::pictureDir;
using testing::TempFolder;

const ScreenMetrics kScreen{{15360, 11520}, 15, 15};

int loadError(const std::wstring& path) {
  win::OlePictureLoader loader(kScreen);
  try {
    loader.load(path);
  } catch (const RunError& e) {
    return e.number();
  }
  return 0;
}

bool closeTo(std::uint32_t pixel, std::uint32_t expected, int tolerance) {
  for (int shift : {0, 8, 16}) {
    const int a = static_cast<int>((pixel >> shift) & 0xFF);
    const int b = static_cast<int>((expected >> shift) & 0xFF);
    if (std::abs(a - b) > tolerance) return false;
  }
  return true;
}

PixelImage checkerboard(std::int32_t w, std::int32_t h) {
  PixelImage img{w, h, {}};
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x)
      img.pixels.push_back(((x / 4 + y / 4) % 2) ? 0x00FF8000u : 0x000040C0u);
  return img;
}

// A placeable metafile (the form picture loaders accept) drawn with GDI:
// a filled rectangle over a 2 × 1 inch frame.
void writePlaceableMetafile(const std::wstring& path) {
  HDC dc = CreateMetaFileW(nullptr);
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
  SelectObject(dc, brush);
  Rectangle(dc, 0, 0, 2000, 1000);
  HMETAFILE mf = CloseMetaFile(dc);
  DeleteObject(brush);
  const UINT size = GetMetaFileBitsEx(mf, 0, nullptr);
  std::vector<std::uint8_t> bits(size);
  GetMetaFileBitsEx(mf, size, bits.data());
  DeleteMetaFile(mf);
  std::vector<std::uint8_t> file(22 + bits.size());
  auto put16 = [&](std::size_t at, std::uint16_t v) {
    file[at] = static_cast<std::uint8_t>(v);
    file[at + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  put16(0, 0xCDD7);
  put16(2, 0x9AC6);
  put16(10, 2000);  // right
  put16(12, 1000);  // bottom
  put16(14, 1000);  // units per inch
  std::uint16_t checksum = 0;
  for (std::size_t i = 0; i < 20; i += 2) checksum ^= static_cast<std::uint16_t>(file[i] | file[i + 1] << 8);
  put16(20, checksum);
  std::copy(bits.begin(), bits.end(), file.begin() + 22);
  testing::writeFileBytes(path, file);
}

TEST(PictureLoader, BitmapKeepsEveryPixelAndMeasuresPixelsTimesTwips) {
  TempFolder folder(L"pictures");
  const PixelImage source = checkerboard(37, 21);
  testing::writeFileBytes(folder.path() + L"board.bmp", encodeBmp24(source));
  win::OlePictureLoader loader(kScreen);
  const auto picture = loader.load(folder.path() + L"board.bmp");
  EXPECT_FLOAT_EQ(picture->sizeTwips().width, 37 * 15);
  EXPECT_FLOAT_EQ(picture->sizeTwips().height, 21 * 15);
  const PixelImage loaded = picture->asLoaded();
  EXPECT_EQ(loaded.width, 37);
  EXPECT_EQ(loaded.height, 21);
  EXPECT_EQ(loaded.pixels, source.pixels);
}

struct Made {
  const wchar_t* name;
  std::int32_t width, height;
  std::uint32_t colour;
  int tolerance;
};

class MadePictures : public ::testing::TestWithParam<Made> {};

TEST_P(MadePictures, LoadWithTheirSizeAndColour) {
  const Made& m = GetParam();
  win::OlePictureLoader loader(kScreen);
  const auto picture = loader.load(pictureDir() + m.name);
  EXPECT_FLOAT_EQ(picture->sizeTwips().width, static_cast<float>(m.width * 15));
  EXPECT_FLOAT_EQ(picture->sizeTwips().height, static_cast<float>(m.height * 15));
  const PixelImage img = picture->asLoaded();
  ASSERT_EQ(img.width, m.width);
  ASSERT_EQ(img.height, m.height);
  EXPECT_TRUE(closeTo(img.at(m.width / 2, m.height / 2), m.colour, m.tolerance))
      << std::hex << img.at(m.width / 2, m.height / 2);
}

INSTANTIATE_TEST_SUITE_P(GifJpegIcon, MadePictures,
                         ::testing::Values(Made{L"red_64x48.gif", 64, 48, 0xFF0000, 0},
                                           Made{L"green_320x240.jpg", 320, 240, 0x00A000, 8},
                                           Made{L"yellow_200x100.JPEG", 200, 100, 0xFFFF00, 8},
                                           Made{L"blue_32.ico", 32, 32, 0x0000FF, 0},
                                           Made{L"teal_50x40.png", 50, 40, 0x20C0A0, 0},
                                           Made{L"red_palette_30x20.PNG", 30, 20, 0xC02020, 0},
                                           Made{L"grey_36x28_16bit.png", 36, 28, 0x404040, 0}));

TEST(PictureLoader, MetafileMeasuresItsPhysicalSize) {
  TempFolder folder(L"pictures");
  writePlaceableMetafile(folder.path() + L"frame.wmf");
  win::OlePictureLoader loader(kScreen);
  const auto picture = loader.load(folder.path() + L"frame.wmf");
  // 2 × 1 inches are 2880 × 1440 twips, within HIMETRIC rounding.
  EXPECT_NEAR(picture->sizeTwips().width, 2880.0, 2.0);
  EXPECT_NEAR(picture->sizeTwips().height, 1440.0, 2.0);
  const PixelImage img = picture->asLoaded();
  EXPECT_EQ(img.width, 192);
  EXPECT_EQ(img.height, 96);
  EXPECT_TRUE(closeTo(img.at(96, 48), 0x0000FF, 0)) << std::hex << img.at(96, 48);
}

TEST(PictureLoader, ErrorsTellMissingFileMissingFolderAndNoPictureApart) {
  EXPECT_EQ(loadError(pictureDir() + L"no_such.jpg"), err::fileNotFound);
  EXPECT_EQ(loadError(pictureDir() + L"no_such_folder\\a.jpg"), err::pathNotFound);
  EXPECT_EQ(loadError(pictureDir() + L"not_a_picture.jpg"), err::invalidPicture);
  EXPECT_EQ(loadError(pictureDir() + L"empty.gif"), err::invalidPicture);
}

constexpr std::uint8_t kFrameMarker[] = {0xFF, 0xC0};  // a baseline JPEG's frame header

TEST(PictureLoader, APictureWithASideOfNothingIsNoPicture) {
  // Headers declaring 0 × 240 and 320 × 0, a GIF image and a GIF screen
  // 0 × 10, and a metafile frame less than a pixel high.
  for (const wchar_t* name : {L"zero_width.bmp", L"zero_height.bmp", L"zero_width_image.gif",
                              L"zero_width_screen.gif", L"sub_pixel.wmf"})
    EXPECT_EQ(loadError(pictureDir() + name), err::invalidPicture) << testing::narrow(name);
  // A JPEG frame of no width.
  TempFolder folder(L"pictures");
  std::vector<std::uint8_t> jpeg = testing::readFileBytes(pictureDir() + L"green_320x240.jpg");
  const auto frame = std::search(jpeg.begin(), jpeg.end(), std::begin(kFrameMarker), std::end(kFrameMarker));
  ASSERT_LT(frame + 9, jpeg.end());
  frame[7] = 0;
  frame[8] = 0;
  testing::writeFileBytes(folder.path() + L"no_width.jpg", jpeg);
  EXPECT_EQ(loadError(folder.path() + L"no_width.jpg"), err::invalidPicture);
  // The same headers with real sides are pictures.
  for (const wchar_t* name : {L"gray_8x8.bmp", L"small.wmf"})
    EXPECT_EQ(loadError(pictureDir() + name), 0) << testing::narrow(name);
}

TEST(PictureLoader, TruncatedAndCorruptPicturesFailCleanly) {
  TempFolder folder(L"pictures");
  std::vector<std::uint8_t> bmp = encodeBmp24(checkerboard(64, 64));
  bmp.resize(200);
  testing::writeFileBytes(folder.path() + L"cut.bmp", bmp);
  std::vector<std::uint8_t> noise(4096);
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<std::uint8_t>(i * 131 + 7);
  noise[0] = 0xFF;
  noise[1] = 0xD8;  // a JPEG start, then nonsense
  testing::writeFileBytes(folder.path() + L"noise.jpg", noise);
  // Far more pixels declared than the file holds.
  std::vector<std::uint8_t> tall = encodeBmp24(checkerboard(8, 8));
  tall[22] = 0x10;
  tall[23] = 0x27;  // 8 × 10000
  testing::writeFileBytes(folder.path() + L"tall.bmp", tall);
  for (const wchar_t* name : {L"cut.bmp", L"noise.jpg", L"tall.bmp"}) {
    const int error = loadError(folder.path() + name);
    // Either refused as no picture, or decoded to something; never a crash.
    EXPECT_TRUE(error == 0 || error == err::invalidPicture) << error;
  }
}

// The loader the program uses, with the system's decoder behind ours: a
// header claiming a size beyond ours never reaches the system's, which
// would fault on it or reserve the claimed size first.
TEST(PictureLoader, AJpegClaimingAHugeSizeIsNoPicture) {
  TempFolder folder(L"pictures");
  testing::writeFileBytes(folder.path() + L"huge.jpg", testing::craftedJpeg(32768, 32768, 4));
  testing::writeFileBytes(folder.path() + L"huge12.jpg", testing::craftedJpeg(60000, 60000, 3, 0xC1, 12));
  EXPECT_EQ(loadError(folder.path() + L"huge.jpg"), err::invalidPicture);
  EXPECT_EQ(loadError(folder.path() + L"huge12.jpg"), err::invalidPicture);
}

TEST(BitmapFile, ReplacesTheOldFileWholeAndLeavesNoPartialFile) {
  TempFolder folder(L"bitmap");
  const std::wstring path = folder.path() + L"Rivano.bmp";
  win::BitmapFile file;
  file.write(path, checkerboard(8, 8));
  file.write(path, checkerboard(16, 4));
  const auto back = decodeBmp(testing::readFileBytes(path));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->width, 16);
  EXPECT_EQ(back->height, 4);
  EXPECT_FALSE(win::fileExists(path + L".partial"));
}


int writeError(win::BitmapFile& file, const std::wstring& path, const PixelImage& image) {
  try {
    file.write(path, image);
  } catch (const RunError& e) {
    return e.number();
  }
  return 0;
}

TEST(BitmapFile, AFailedWriteKeepsTheOldWallpaper) {
  TempFolder folder(L"bitmap");
  const std::wstring path = folder.path() + L"Rivano.bmp";
  win::BitmapFile file;
  file.write(path, checkerboard(8, 8));
  const std::vector<std::uint8_t> before = testing::readFileBytes(path);
  {
    // A holder that shares nothing: the file can be neither replaced nor
    // written, and must be left as it was.
    testing::FileHolder holder(path, 0);
    ASSERT_TRUE(holder.open());
    EXPECT_EQ(writeError(file, path, checkerboard(32, 32)), err::permissionDenied);
    EXPECT_EQ(holder.content(), before);
  }
  EXPECT_EQ(testing::readFileBytes(path), before);
  EXPECT_FALSE(win::fileExists(path + L".partial"));
  EXPECT_EQ(writeError(file, folder.path() + L"missing\\Rivano.bmp", checkerboard(2, 2)), err::pathNotFound);
}

TEST(BitmapFile, AStaleCompanionFromAnEarlierRunNeverBlocksTheWrite) {
  TempFolder folder(L"bitmap");
  const std::wstring path = folder.path() + L"Rivano.bmp";
  const std::wstring partial = path + L".partial";
  win::BitmapFile file;
  file.write(path, checkerboard(8, 8));
  // Half a file left by a run that was ended mid-write, made read-only.
  testing::writeFileBytes(partial, {'B', 'M', 1, 2, 3});
  ASSERT_TRUE(SetFileAttributesW(partial.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(writeError(file, path, checkerboard(16, 4)), 0);
  EXPECT_EQ(decodeBmp(testing::readFileBytes(path))->width, 16);
  EXPECT_FALSE(win::fileExists(partial));
  // A folder of that name: an empty one is cleared away, a full one is
  // kept and worked around.
  ASSERT_TRUE(CreateDirectoryW(partial.c_str(), nullptr));
  EXPECT_EQ(writeError(file, path, checkerboard(12, 4)), 0);
  EXPECT_EQ(decodeBmp(testing::readFileBytes(path))->width, 12);
  EXPECT_FALSE(win::directoryExists(partial));
  ASSERT_TRUE(CreateDirectoryW(partial.c_str(), nullptr));
  testing::writeFileBytes(partial + L"\\keep.txt", {'k'});
  EXPECT_EQ(writeError(file, path, checkerboard(6, 4)), 0);
  EXPECT_EQ(decodeBmp(testing::readFileBytes(path))->width, 6);
  EXPECT_TRUE(win::fileExists(partial + L"\\keep.txt"));
  // Nothing but the bitmap and that folder is left behind.
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder.path() + L"*").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  std::vector<std::wstring> names;
  do {
    if (data.cFileName[0] != L'.') names.push_back(data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Rivano.bmp", L"Rivano.bmp.partial"}));
}

TEST(BitmapFile, AReaderThatSharesWritingGetsTheNewPictureInPlace) {
  TempFolder folder(L"bitmap");
  const std::wstring path = folder.path() + L"Rivano.bmp";
  win::BitmapFile file;
  file.write(path, checkerboard(32, 32));
  for (DWORD share : {DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE},
                      DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
    // Smaller than the old one, so a file that is not cut short shows.
    const PixelImage next = checkerboard(8 + static_cast<std::int32_t>(share), 3);
    testing::FileHolder holder(path, share);
    ASSERT_TRUE(holder.open());
    EXPECT_EQ(writeError(file, path, next), 0) << share;
    const auto seen = decodeBmp(holder.content());
    ASSERT_TRUE(seen.has_value()) << share;
    EXPECT_EQ(seen->pixels, next.pixels);
    EXPECT_EQ(holder.content(), encodeBmp24(next));
    EXPECT_FALSE(win::fileExists(path + L".partial"));
  }
  {
    // A viewer that maps the file: it cannot be made shorter under the
    // mapping, so either the new picture lands whole or nothing changes.
    HANDLE mapped = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(mapped, INVALID_HANDLE_VALUE);
    HANDLE mapping = CreateFileMappingW(mapped, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    ASSERT_NE(view, nullptr);
    const std::vector<std::uint8_t> old = testing::readFileBytes(path);
    const int error = writeError(file, path, checkerboard(2, 2));
    if (error == 0) {
      EXPECT_EQ(decodeBmp(testing::readFileBytes(path))->width, 2);
    } else {
      EXPECT_EQ(error, err::permissionDenied);
      EXPECT_EQ(testing::readFileBytes(path), old);
    }
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    CloseHandle(mapped);
  }
  // A reader that shares reading only keeps the file from any writer.
  const std::vector<std::uint8_t> before = testing::readFileBytes(path);
  testing::FileHolder reader(path, FILE_SHARE_READ);
  ASSERT_TRUE(reader.open());
  EXPECT_EQ(writeError(file, path, checkerboard(4, 4)), err::permissionDenied);
  EXPECT_EQ(testing::readFileBytes(path), before);
}

TEST(FitPicture, LargePictureIsShrunkIntoTheBoxWithItsColoursKept) {
  TempFolder folder(L"fit");
  PixelImage big{2048, 1536, {}};
  // Left half red, right half blue: the halves must survive the shrink.
  for (std::int32_t y = 0; y < big.height; ++y)
    for (std::int32_t x = 0; x < big.width; ++x) big.pixels.push_back(x < 1024 ? 0xFF0000u : 0x0000FFu);
  testing::writeFileBytes(folder.path() + L"big.bmp", encodeBmp24(big));
  win::OlePictureLoader loader(kScreen);
  const auto picture = loader.load(folder.path() + L"big.bmp");
  win::BitmapFile file;
  writeFittedPicture(*picture, kScreen, 5, file, folder.path() + L"Rivano.bmp");
  const auto out = decodeBmp(testing::readFileBytes(folder.path() + L"Rivano.bmp"));
  ASSERT_TRUE(out.has_value());
  // 30720 × 23040 twips into 14592 × 10944: factor 2.1052632, canvas
  // 14592 × 10944 twips = 972.8 × 729.6 pixels, each side to the nearest.
  EXPECT_EQ(out->width, 973);
  EXPECT_EQ(out->height, 730);
  EXPECT_TRUE(closeTo(out->at(100, 300), 0xFF0000, 4));
  EXPECT_TRUE(closeTo(out->at(870, 300), 0x0000FF, 4));
}

TEST(Screen, MeasuresTheVirtualScreenInTwips) {
  const ScreenMetrics m = win::measureScreen();
  EXPECT_EQ(m.twipsPerPixelX, 15);
  EXPECT_EQ(m.twips.width, GetSystemMetrics(SM_CXSCREEN) * 15);
  EXPECT_EQ(m.twips.height, GetSystemMetrics(SM_CYSCREEN) * 15);
}

}  // namespace
}  // namespace rivano
