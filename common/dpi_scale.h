// Lengths of a window at its own dots per inch: twips to pixels, and which
// of the pictures drawn at several sizes suits a given DPI.
#pragma once

namespace rivano {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kBaseDpi = 96;

// Pixels for a length in twips, cut toward zero as the twips-per-pixel
// division always did at 96, 120 and 144 DPI, where 1440 / DPI is whole;
// at other DPIs (192: 7.5 twips a pixel) it stays exact instead of
// rounding the twips per pixel first.
constexpr int twipsToPixels(int twips, int dpi) {
  return static_cast<int>(static_cast<long long>(twips) * dpi / kTwipsPerInch);
}

// The pictures are drawn at 100, 125, 150 and 200 %; this is the index of
// the drawing nearest the DPI, the larger of two at equal distance (a
// picture shrunk a little reads better than one grown).
inline constexpr int kPictureScaleCount = 4;
int nearestPictureScale(int dpi);
// The percentage of that drawing (100, 125, 150 or 200).
int pictureScalePercent(int index);
// A picture `basePixels` wide at 100 %, at the drawing chosen for `dpi`.
int picturePixels(int basePixels, int dpi);

}  // namespace rivano
