#pragma once
#include "engine/base/DrawingRecord.h"
#include "engine/state/MapLegend.h"
#include "engine/state/PanelSettings.h"

#include <QImage>
#include <QWidget>

class QLabel;

namespace tervane {

// The legend of the last Draw run in a small window of its own beside the
// main window, so that it never covers the map. It is as tall as its rows
// need, up to the drawing area's height, and thins the levels beyond that.
class LegendWindow final : public QWidget {
public:
    explicit LegendWindow(QWidget* owner);

    // Draws the legend afresh and shows the window with its top-left corner
    // at `place` (screen coordinates), or further left where the screen ends
    // there, but never left of `mapRight`, the map's right edge on screen.
    void showLegend(const MapLegend& legend, const PanelSettings& panel, const QPoint& place, int mapRight);
    // What the window shows.
    const QImage& picture() const { return picture_; }

private:
    QLabel* label_ = nullptr;
    QImage picture_;
};

// The legend drawn into a record of its own, as tall as the drawing area,
// to stand beside the map in an SVG or PDF export.
DrawingRecord legendStripRecord(const MapLegend& legend, const PanelSettings& panel);

} // namespace tervane
