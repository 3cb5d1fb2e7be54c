#pragma once
#include "engine/state/PlotFrame.h"

namespace tervane {

// A control's place in the main window's client area, in twips.
struct TwipsRect {
    double left;
    double top;
    double width;
    double height;
};

// Where the main window's controls sit, in twips (15 to a pixel). The
// drawing area's place is fixed by the plot frame; the strips, the boxes and
// the panel are placed around it: the two progress strips and the level
// display under the drawing area, the status and cursor boxes at the bottom,
// and the parameter panel down the right-hand side.
namespace layout {
inline constexpr TwipsRect kDrawingArea{kDrawingLeft, kDrawingTop, kDrawingWidth, kDrawingAreaHeight};
inline constexpr TwipsRect kProgressStrip{150, 7590, 9464, 180};   // Picture2
inline constexpr TwipsRect kLevelStrip{150, 7860, 7200, 240};      // Picture4
inline constexpr TwipsRect kLevelDisplay{7500, 7830, 2114, 300};   // Picture5
inline constexpr TwipsRect kStatusBox{150, 8250, 2400, 360};       // Text1
inline constexpr TwipsRect kCursorBox{2700, 8250, 4650, 360};      // zuobiaox
inline constexpr TwipsRect kPanelArea{9765, 100, 2085, 8510};      // parameter panel

// The progress strips: a grey face and a blue bar.
inline constexpr Colour kStripBack = rgb(212, 208, 200);
inline constexpr Colour kStripBar = rgb(0, 0, 255);
} // namespace layout

} // namespace tervane
