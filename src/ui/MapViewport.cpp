#include "ui/MapViewport.h"

#include <algorithm>
#include <cmath>

namespace tervane {

namespace {

// The centre's range along one axis: anywhere that keeps the map over the
// whole view, or the map's middle when the map is the narrower.
double clampCentre(double centre, double mapLength, double viewLength, double scale)
{
    const double halfView = viewLength / (2 * scale);
    if (2 * halfView >= mapLength)
        return mapLength / 2;
    return std::clamp(centre, halfView, mapLength - halfView);
}

} // namespace

MapViewport::MapViewport(QSizeF mapSize)
    : map_(mapSize), view_(mapSize), centre_(mapSize.width() / 2, mapSize.height() / 2)
{
}

void MapViewport::setViewSize(QSizeF size)
{
    view_ = size;
    clamp();
}

double MapViewport::fitScale() const
{
    if (map_.isEmpty() || view_.isEmpty())
        return 1;
    return std::min(view_.width() / map_.width(), view_.height() / map_.height());
}

QPointF MapViewport::offset() const
{
    const double s = scale();
    return {view_.width() / 2 - centre_.x() * s, view_.height() / 2 - centre_.y() * s};
}

QTransform MapViewport::transform() const
{
    const double s = scale();
    const QPointF t = offset();
    return QTransform(s, 0, 0, s, t.x(), t.y());
}

bool MapViewport::isIdentity() const { return transform().isIdentity(); }

QPointF MapViewport::toView(QPointF mapPoint) const { return mapPoint * scale() + offset(); }

QPointF MapViewport::toMap(QPointF viewPoint) const { return (viewPoint - offset()) / scale(); }

QRectF MapViewport::visibleMapRect() const
{
    return QRectF(toMap(QPointF(0, 0)), toMap(QPointF(view_.width(), view_.height())));
}

void MapViewport::zoomAbout(QPointF viewPoint, double factor)
{
    if (!(std::isfinite(factor) && factor > 0))
        return;
    const QPointF held = toMap(viewPoint);
    zoom_ = std::clamp(zoom_ * factor, 1.0, kMaxZoom);
    // The held point goes back under viewPoint: the centre moves with it.
    const QPointF fromCentre = (viewPoint - QPointF(view_.width() / 2, view_.height() / 2)) / scale();
    centre_ = held - fromCentre;
    clamp();
}

void MapViewport::panBy(QPointF viewDelta)
{
    centre_ -= viewDelta / scale();
    clamp();
}

void MapViewport::fit()
{
    zoom_ = 1;
    centre_ = QPointF(map_.width() / 2, map_.height() / 2);
    clamp();
}

void MapViewport::clamp()
{
    zoom_ = std::clamp(zoom_, 1.0, kMaxZoom);
    const double s = scale();
    centre_ = QPointF(clampCentre(centre_.x(), map_.width(), view_.width(), s),
                      clampCentre(centre_.y(), map_.height(), view_.height(), s));
}

} // namespace tervane
