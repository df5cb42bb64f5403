#include "tests/unit/picture_quality.h"

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace rivano::testing {
namespace {

constexpr std::uint32_t rgb(int r, int g, int b) {
  return static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 | static_cast<std::uint32_t>(b);
}

int clamp255(double v) { return v < 0 ? 0 : v > 255 ? 255 : static_cast<int>(std::lround(v)); }

struct Canvas {
  PixelImage& image;
  void dot(int x, int y) {
    if (x >= 0 && y >= 0 && x < image.width && y < image.height)
      image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                   static_cast<std::size_t>(x)] = 0;
  }
  void line(int x0, int y0, int x1, int y1) {  // Bresenham
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    for (int err = dx + dy;;) {
      dot(x0, y0);
      if (x0 == x1 && y0 == y1) return;
      const int e2 = 2 * err;
      if (e2 >= dy) err += dy, x0 += sx;
      if (e2 <= dx) err += dx, y0 += sy;
    }
  }
  void circle(int cx, int cy, int r) {
    for (int i = 0; i < 8 * r; ++i) {
      const double a = 2 * 3.14159265358979 * i / (8 * r);
      dot(cx + static_cast<int>(std::lround(r * std::cos(a))), cy + static_cast<int>(std::lround(r * std::sin(a))));
    }
  }
};

// Digits of a 5 × 7 font, one byte per row, the top row first.
constexpr std::array<std::array<std::uint8_t, 7>, 10> kDigits{{
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
}};

void text(Canvas& c, int x, int y, int scale, int digits, unsigned seed) {
  for (int d = 0; d < digits; ++d) {
    const auto& glyph = kDigits[(seed + static_cast<unsigned>(d) * 7u) % 10u];
    for (int row = 0; row < 7; ++row)
      for (int col = 0; col < 5; ++col)
        if (glyph[static_cast<std::size_t>(row)] & (0x10 >> col))
          for (int i = 0; i < scale * scale; ++i)
            c.dot(x + d * 6 * scale + col * scale + i % scale, y + row * scale + i / scale);
  }
}

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool writePpm(const PixelImage& image, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << image.width << ' ' << image.height << "\n255\n";
  for (std::uint32_t p : image.pixels) {
    const char bytes[3] = {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p)};
    out.write(bytes, 3);
  }
  return static_cast<bool>(out);
}

std::optional<PixelImage> readPpm(const std::vector<std::uint8_t>& file, std::int32_t width, std::int32_t height) {
  const std::string header = "P6\n" + std::to_string(width) + ' ' + std::to_string(height) + "\n255\n";
  const std::size_t size = header.size() + 3 * static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (file.size() != size || !std::equal(header.begin(), header.end(), file.begin())) return std::nullopt;
  PixelImage image{width, height, {}};
  image.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::size_t at = header.size(); at < size; at += 3) image.pixels.push_back(rgb(file[at], file[at + 1], file[at + 2]));
  return image;
}

// A path as the host's programs see it: under Wine the Unix one.
std::string hostPath(const std::string& path) {
#ifdef _WIN32
  using UnixName = char*(CDECL*)(const wchar_t*);
  const auto toUnix = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return path;
  const std::wstring wide(path.begin(), path.end());
  char* name = toUnix(wide.c_str());
  std::string result = name ? name : "";
  HeapFree(GetProcessHeap(), 0, name);
  return result;
#else
  return path;
#endif
}

// Runs one of the host's programs (ImageMagick, cjpeg). Under Wine it is
// started as a Unix program, which Wine does not let us wait for, so the
// callers wait for the finished output instead.
bool runHost(std::string command) {
#ifdef _WIN32
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  if (process.hProcess) CloseHandle(process.hProcess);
  if (process.hThread) CloseHandle(process.hThread);
  return true;
#else
  return std::system((command + " 2>/dev/null").c_str()) == 0;
#endif
}

std::optional<std::vector<std::uint8_t>> hostJpeg(const PixelImage& picture, const std::string& command,
                                                  const std::string& folder) {
  const std::string in = folder + "/source.ppm", out = folder + "/picture.jpg";
  std::filesystem::remove(out);
  std::string line = command;
  line.replace(line.find("{in}"), 4, hostPath(in));
  line.replace(line.find("{out}"), 5, hostPath(out));
  if (!writePpm(picture, in) || !runHost(line)) return std::nullopt;
  // Complete once it ends in the end-of-image marker and stops growing.
  std::optional<std::vector<std::uint8_t>> jpeg;
  std::size_t last = 0;
  for (int i = 0; i < 600 && !jpeg; ++i) {
    std::vector<std::uint8_t> bytes = readFile(out);
    if (bytes.size() > 4 && bytes.size() == last && bytes[bytes.size() - 2] == 0xFF && bytes.back() == 0xD9)
      jpeg = std::move(bytes);
    else
      last = bytes.size(), std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  std::filesystem::remove(in);
  std::filesystem::remove(out);
  return jpeg;
}

}  // namespace

PixelImage smoothPicture(std::int32_t width, std::int32_t height) {
  PixelImage image{width, height, {}};
  image.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x)
      image.pixels.push_back(rgb(clamp255(128 + 100 * std::sin(x / 97.0 + y / 151.0)),
                                 clamp255(128 + 90 * std::cos(x / 213.0 - y / 77.0)),
                                 clamp255(255.0 * (x + y) / (width + height))));
  return image;
}

PixelImage linesAndTextPicture(std::int32_t width, std::int32_t height) {
  PixelImage image{width, height, std::vector<std::uint32_t>(
                                      static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xFFFFFF)};
  Canvas c{image};
  // A ruled band across the top: lines 1 pixel wide, then 2, ever further apart.
  for (int i = 0, y = 10; y < height / 4; ++i, y += 9 + i % 7) {
    c.line(0, y, width / 2, y);
    if (i % 3 == 0) c.line(0, y + 1, width / 2, y + 1);
  }
  for (int i = 0, x = width / 2 + 20; x < width; ++i, x += 11 + i % 5) c.line(x, 0, x, height / 3);
  // A fan of slanted lines and rings.
  for (int a = 0; a < 24; ++a) {
    const double t = a * 3.14159265358979 / 48;
    c.line(width / 4, height / 2, width / 4 + static_cast<int>(std::lround(height / 3.0 * std::cos(t))),
           height / 2 + static_cast<int>(std::lround(height / 3.0 * std::sin(t))));
  }
  for (int r = 20; r < height / 4; r += 13) c.circle(3 * width / 4, height / 2, r);
  // Text: rows of digits at three sizes.
  std::mt19937 random(7);
  for (int y = 3 * height / 4, row = 0; y + 30 < height; ++row) {
    const int scale = 1 + row % 3;
    text(c, 20, y, scale, (width - 40) / (6 * scale), random() % 10);
    y += 10 * scale;
  }
  return image;
}

double psnr(const PixelImage& a, const PixelImage& b) {
  if (a.width != b.width || a.height != b.height || a.pixels.empty()) return 0;
  double sum = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i)
    for (int shift : {0, 8, 16}) {
      const double d = static_cast<double>(a.pixels[i] >> shift & 0xFF) - static_cast<double>(b.pixels[i] >> shift & 0xFF);
      sum += d * d;
    }
  const double mse = sum / (3.0 * static_cast<double>(a.pixels.size()));
  return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

namespace {

using Plane = std::vector<double>;

Plane luma(const PixelImage& image) {
  Plane y(image.pixels.size());
  for (std::size_t i = 0; i < y.size(); ++i) {
    const std::uint32_t p = image.pixels[i];
    y[i] = 0.299 * (p >> 16 & 0xFF) + 0.587 * (p >> 8 & 0xFF) + 0.114 * (p & 0xFF);
  }
  return y;
}

// Gaussian-weighted local means over the window, the borders left out.
Plane blur(const Plane& in, int w, int h) {
  constexpr int r = 5;
  std::array<double, 2 * r + 1> k{};
  double total = 0;
  for (int i = -r; i <= r; ++i) total += k[static_cast<std::size_t>(i + r)] = std::exp(-i * i / (2 * 1.5 * 1.5));
  for (double& v : k) v /= total;
  Plane across(in.size()), out(in.size());
  for (int y = 0; y < h; ++y)
    for (int x = r; x < w - r; ++x) {
      double s = 0;
      for (int i = -r; i <= r; ++i) s += k[static_cast<std::size_t>(i + r)] * in[static_cast<std::size_t>(y * w + x + i)];
      across[static_cast<std::size_t>(y * w + x)] = s;
    }
  for (int y = r; y < h - r; ++y)
    for (int x = r; x < w - r; ++x) {
      double s = 0;
      for (int i = -r; i <= r; ++i)
        s += k[static_cast<std::size_t>(i + r)] * across[static_cast<std::size_t>((y + i) * w + x)];
      out[static_cast<std::size_t>(y * w + x)] = s;
    }
  return out;
}

}  // namespace

double ssim(const PixelImage& a, const PixelImage& b) {
  const int w = a.width, h = a.height;
  if (w != b.width || h != b.height || w <= 10 || h <= 10) return 0;
  const Plane x = luma(a), y = luma(b);
  Plane xx(x.size()), yy(x.size()), xy(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) xx[i] = x[i] * x[i], yy[i] = y[i] * y[i], xy[i] = x[i] * y[i];
  const Plane mx = blur(x, w, h), my = blur(y, w, h), sxx = blur(xx, w, h), syy = blur(yy, w, h),
              sxy = blur(xy, w, h);
  constexpr double c1 = (0.01 * 255) * (0.01 * 255), c2 = (0.03 * 255) * (0.03 * 255);
  double sum = 0;
  int n = 0;
  for (int row = 5; row < h - 5; ++row)
    for (int col = 5; col < w - 5; ++col) {
      const auto i = static_cast<std::size_t>(row * w + col);
      const double vx = sxx[i] - mx[i] * mx[i], vy = syy[i] - my[i] * my[i], cov = sxy[i] - mx[i] * my[i];
      sum += (2 * mx[i] * my[i] + c1) * (2 * cov + c2) / ((mx[i] * mx[i] + my[i] * my[i] + c1) * (vx + vy + c2));
      ++n;
    }
  return sum / n;
}

std::optional<PixelImage> lanczosReference(const PixelImage& picture, std::int32_t width, std::int32_t height,
                                           const std::string& folder) {
  const std::string in = folder + "/source.ppm", out = folder + "/reference.ppm";
  std::filesystem::remove(out);
  const std::string geometry = std::to_string(width) + 'x' + std::to_string(height) + '!';
  if (!writePpm(picture, in) ||
      !runHost("/usr/bin/convert " + hostPath(in) + " -filter Lanczos -resize " + geometry + " ppm:" + hostPath(out)))
    return std::nullopt;
  // The output is complete once it has the size its header promises.
  std::optional<PixelImage> reference;
  for (int i = 0; i < 600 && !reference; ++i) {
    reference = readPpm(readFile(out), width, height);
    if (!reference) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  std::filesystem::remove(in);
  std::filesystem::remove(out);
  return reference;
}

std::optional<std::vector<std::uint8_t>> convertToJpeg(const PixelImage& picture, const std::string& options,
                                                      const std::string& folder) {
  return hostJpeg(picture, "/usr/bin/convert {in} " + options + " jpg:{out}", folder);
}

std::optional<std::vector<std::uint8_t>> cjpegToJpeg(const PixelImage& picture, const std::string& options,
                                                    const std::string& folder) {
  return hostJpeg(picture, "/usr/bin/cjpeg " + options + " -outfile {out} {in}", folder);
}

std::string scratchFolder() {
  const auto base = std::filesystem::temp_directory_path();
  for (unsigned i = std::random_device{}();; ++i) {
    const auto folder = base / ("rivano-quality-" + std::to_string(i));
    if (std::filesystem::create_directory(folder)) return folder.string();
  }
}

}  // namespace rivano::testing
