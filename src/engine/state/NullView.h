#pragma once
#include "engine/base/NullCanvas.h"
#include "engine/state/MainView.h"

#include <string>

namespace tervane {

// A view that shows nothing and says nothing: for a run whose drawing only
// matters for what it works out (the fill's first pass learns the points
// the real pass will draw), and for timing a run's own work.
class NullView final : public MainView {
public:
    // Every area the same size, in twips: by default the drawing area's.
    explicit NullView(double widthTwips = 9464, double heightTwips = 7410)
        : area(widthTwips, heightTwips), strip(widthTwips, heightTwips), levels(widthTwips, heightTwips),
          display(widthTwips, heightTwips)
    {
    }

    NullCanvas area;
    NullCanvas strip;
    NullCanvas levels;
    NullCanvas display;

    Canvas& drawingArea() override { return area; }
    Canvas& progressStrip() override { return strip; }
    Canvas& levelStrip() override { return levels; }
    Canvas& levelDisplay() override { return display; }
    void setCaption(const std::string&) override {}
    std::string caption() const override { return {}; }
    void setStatus(const std::string&, Colour, Colour) override {}
    std::string status() const override { return {}; }
    void showNotice(const std::string&) override {}
    void openRecordEditor() override {}
};

} // namespace tervane
