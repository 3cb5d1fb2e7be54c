#pragma once
#include "engine/base/Colour.h"

#include <string>
#include <vector>

namespace tervane {

// A snapshot of the drawing parameter panel. The panel fills it when a run
// starts; the engine reads only this struct and never touches a widget.
// Where a run changes a setting (an empty box filled, the HPGL box
// unticked), it changes it here and the window shows it afterwards.
struct PanelSettings {
    std::string intervalText = "1";     // Combo1: contour interval
    std::string errorText = "0.1";      // Combo2: fitting error
    std::string lineWidthText = "1";    // Combo3: line width (above 4: rendered map)
    std::string lineTypeText = "0";     // Combo4: line type 0..6
    bool check1 = true;                 // values shown: all
    bool check2 = false;                // every second
    bool check3 = false;                // every third
    bool check4 = false;                // notes only
    bool check9 = true;                 // 3 decimals
    bool check10 = false;               // 2 decimals
    bool check11 = false;               // 1 decimal
    bool check12 = false;               // integer
    bool check13 = false;               // no network lines
    bool check14 = false;               // observe the control polygon
    bool check15 = false;               // record HPGL
    bool check15Enabled = true;         // the HPGL box can be ticked
    bool check16 = false;               // fitting-error control

    int pointLabelMode = 1;             // 1 all, 2 every 2nd, 3 every 3rd, 4 notes, 5 none
    // The map as it was always drawn: labels printed where they fall, over
    // each other and past the edge. Off, a label that would overprint
    // another or run past the area's edge moves to a free side of its point
    // or is left out. The command line turns it off unless --classic is
    // given, the window unless 选项 > 原样式 is ticked.
    bool classic = true;
    // Contour values along the lines: 0 none, 1 index contours, 2 every
    // contour. Classic maps carry none.
    int contourLabels = 1;
    // A legend of the levels beside exported pictures and in the window.
    bool legend = true;
    // Tick labels in the data's own units in the ruler margins.
    bool coordinates = true;
    // Smoothed curves are kept inside their level's band so that no two
    // contours cross; off only for comparison (--allow-crossings).
    bool mendCrossings = true;
    // After a Draw run, check the drawn curves for crossings and stretches
    // outside their band, into SharedState::crossings (render
    // --report-crossings).
    bool reportCrossings = false;
    // Keep the curves of a Draw run as drawn, whole, in SharedState::keptCurves
    // (for writing them out to CAD and GIS files).
    bool keepCurves = false;
    // Fill the region between each two successive levels in a colour of its
    // own, under the curves (选项 > 填充色带, render --fill).
    bool fillBands = false;
    // Where the fill's colours come from: empty for the transition colours
    // of a rendered map, else a 3D colour table "0".."9" or "A"
    // (--fill-table). The caller loads the table into fillTableColours,
    // since the Draw run cannot read the 3D view's tables itself; left
    // empty, the transition colours serve.
    std::string fillTable;
    std::vector<Colour> fillTableColours;
    int valueScale = 1000;              // 1000, 100, 10, 1: decimals as a multiplier
    int errorControl = 0;               // 1 on
    std::string observeFlag;            // "Y" when observation is on
    int smoothValue = 4;                // HScroll1, 2..9
    int hScroll3 = 255;                 // transition colour scroll bars, 16..255
    int hScroll4 = 255;

    // Palette blocks.
    Colour beijing = rgb(0, 0, 0);        // background
    Colour wangxian = rgb(0, 0, 255);     // network lines
    Colour quxian = rgb(0, 192, 0);       // curves
    Colour jiange = rgb(192, 0, 0);       // every fifth contour
    Colour zhuji = rgb(255, 0, 0);        // values and notes
    Colour dian = rgb(255, 255, 128);     // data points
    Colour wucha = rgb(192, 0, 192);      // observation polygon
    Colour chadian = rgb(192, 192, 255);  // ruler
};

} // namespace tervane
