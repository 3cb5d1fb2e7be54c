#pragma once
#include "engine/base/Canvas.h"

#include <string>

namespace tervane {

// A picture box that paints nothing: for timing a run's own work, and as a
// base for test canvases that watch only one kind of operation.
class NullCanvas : public Canvas {
public:
    NullCanvas(double widthTwips, double heightTwips) : Canvas(widthTwips, heightTwips) {}
    bool loadPicture(const std::string&) override { return false; }
    void clearPicture() override {}
    bool hasPicture() const override { return false; }

protected:
    void paintLine(double, double, double, double, Colour) override {}
    void paintBox(double, double, double, double, Colour, bool) override {}
    void paintCircle(double, double, double, Colour, bool) override {}
    void paintDot(double, double, Colour) override {}
    void paintText(double, double, const std::string&, Colour) override {}
    void paintClear(Colour) override {}
};

} // namespace tervane
