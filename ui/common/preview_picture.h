// Drawing a picture into a preview box: shrunk to fit and centred, a large
// one revealed in five strips while a progress bar counts them. The main
// window's preview and the history preview of the options dialog share it.
#pragma once

#include <windows.h>

#include "engine/wallpaper.h"
#include "platform/picture_box.h"

namespace rivano {

// `factor` is the shrink factor against the box's inner size (0: it fits).
void drawPreview(const Picture& picture, win::PictureBox& box, float factor, HWND progress,
                 const ScreenMetrics& screen);
// The box's inner size in twips, which the factor is computed against.
TwipsBox previewBoxTwips(const win::PictureBox& box, const ScreenMetrics& screen);
// What a picture loaded for this box will be drawn at: the box, and the
// wallpaper a change makes of the same picture afterwards.
DrawTargets previewAndWallpaperTargets(const win::PictureBox& box, const ScreenMetrics& screen, bool shrink,
                                       std::int16_t marginPercent);
// The same, with the factor computed for the box.
void drawPreview(const Picture& picture, win::PictureBox& box, HWND progress, const ScreenMetrics& screen);

}  // namespace rivano
