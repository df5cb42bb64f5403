// Where the main window's controls sit, in twips. The picture frame holds
// its controls the way a frame does: their places are measured from the
// frame's corner, and `inPictureFrame` turns them into window places.
#pragma once

#include "platform/controls.h"

namespace rivano::main_layout {

using win::TwipsRect;

// The window's outer size.
inline constexpr int kWindowWidth = 7200, kWindowHeight = 6075;

// The folder list and its button column.
inline constexpr TwipsRect kFolderList{120, 120, 5400, 1320};
inline constexpr int kButtonLeft = 5610, kButtonTop = 120, kButtonWidth = 1350, kButtonHeight = 255,
                     kButtonStep = 270;

inline constexpr TwipsRect kPictureFrame{120, 1530, 6840, 2745};

// Inside the picture frame. Widened, the list reaches over the preview
// box, its check box and its progress bar (to 4335), which are hidden then.
inline constexpr int kPictureListWidth = 2535;
inline constexpr int kPictureListWideWidth = 4215;
inline constexpr TwipsRect kPictureList{120, 240, kPictureListWidth, 2370};
inline constexpr TwipsRect kPreview{2760, 240, 1575, 1200};
inline constexpr TwipsRect kViewerCheck{2760, 1500, 1680, 255};
inline constexpr TwipsRect kProgress{2760, 1830, 1575, 180};
inline constexpr TwipsRect kWidenButton{4395, 240, 240, 240};
inline constexpr TwipsRect kChangeButton{4755, 240, 1965, 375};
inline constexpr TwipsRect kDeleteButton{4755, 705, 1965, 600};
// The close button grows upward in the Shift mode, its bottom edge staying
// at 2655, to hold its three-line caption.
inline constexpr TwipsRect kCloseButton{4755, 2280, 1965, 375};
inline constexpr TwipsRect kCloseButtonShifted{4755, 1800, 1965, 855};

inline constexpr TwipsRect inPictureFrame(TwipsRect r) {
  return {kPictureFrame.left + r.left, kPictureFrame.top + r.top, r.width, r.height};
}

// The tile panel: the three modes in a column, the thresholds beside them
// and the sentence they complete.
inline constexpr TwipsRect kTileFrame{120, 4335, 6840, 960};
inline constexpr int kTileOptionLeft = 240, kTileOptionTop = 4545, kTileOptionStep = 240;
inline constexpr TwipsRect kTileOption{kTileOptionLeft, kTileOptionTop, 2160, 240};
inline constexpr TwipsRect kLabelTate{2400, 4620, 720, 240};
inline constexpr TwipsRect kDownCountBox{3150, 4590, 450, 285};
inline constexpr TwipsRect kLabelTateAfter{3660, 4620, 660, 240};
inline constexpr int kAcrossBelowDown = 345;
inline constexpr TwipsRect kSentence{4440, 4620, 2400, 480};

}  // namespace rivano::main_layout
