#pragma once
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

namespace tervane {

// Which part of the drawing area a view of some size shows, and how large.
// The map keeps its own pixels (the drawing frame's, 631 x 497); the view
// shows it scaled to fit, times a zoom of 1 or more, centred on a point of
// the map that panning moves. While the map is larger than the view it
// always covers it; where it is smaller it stays centred.
//
// A view of the map's own size at zoom 1 maps each map pixel onto itself,
// so the window can show the canvas's image untouched (isIdentity()).
class MapViewport {
public:
    static constexpr double kMaxZoom = 64;
    // 放大 and 缩小 double and halve; one notch of the wheel is a smaller step.
    static constexpr double kMenuStep = 2;
    static constexpr double kWheelStep = 1.25;

    explicit MapViewport(QSizeF mapSize);

    QSizeF mapSize() const { return map_; }
    QSizeF viewSize() const { return view_; }
    // A new view size keeps the zoom and the map point at the view's centre.
    void setViewSize(QSizeF size);

    // View pixels per map pixel when the map fits the view.
    double fitScale() const;
    // The zoom over the fit, 1 to kMaxZoom.
    double zoom() const { return zoom_; }
    // View pixels per map pixel.
    double scale() const { return fitScale() * zoom_; }
    // Where the map's top-left corner lies in the view.
    QPointF offset() const;
    // Map pixels to view pixels.
    QTransform transform() const;
    bool isIdentity() const;

    QPointF toView(QPointF mapPoint) const;
    QPointF toMap(QPointF viewPoint) const;
    // The part of the map the view shows, in map pixels.
    QRectF visibleMapRect() const;

    // Zooms by `factor` keeping the map point under `viewPoint` where it is
    // (as far as the zoom's limits and the map's edges allow).
    void zoomAbout(QPointF viewPoint, double factor);
    // The map follows the pointer by `viewDelta` view pixels.
    void panBy(QPointF viewDelta);
    // The whole map, scaled to fit and centred (全图).
    void fit();

private:
    // Keeps the zoom in its range and the centre where the map covers the view.
    void clamp();

    QSizeF map_;
    QSizeF view_;
    double zoom_ = 1;
    // The map point at the view's centre.
    QPointF centre_;
};

} // namespace tervane
