#include "ui/SurfaceArea.h"

#include <cmath>

#include <QPaintEvent>
#include <QPainter>

namespace tervane {

SurfaceArea::SurfaceArea(double widthTwips, double heightTwips, QWidget* parent)
    : QWidget(parent),
      shown_(std::make_unique<QtCanvas>(widthTwips, heightTwips)),
      hidden_(std::make_unique<QtCanvas>(widthTwips, heightTwips))
{
    setFixedSize(shown_->pixelWidth(), shown_->pixelHeight());
    setAttribute(Qt::WA_OpaquePaintEvent);
    watch(*shown_, true);
    watch(*hidden_, false);
}

void SurfaceArea::watch(QtCanvas& canvas, bool onScreen)
{
    if (onScreen)
        canvas.setChangedCallback([this] { update(); });
    else
        canvas.setChangedCallback({});
}

void SurfaceArea::showHidden()
{
    std::swap(shown_, hidden_);
    watch(*shown_, true);
    watch(*hidden_, false);
    update();
}

void SurfaceArea::setBackground(Colour c)
{
    picture_ = QImage();
    hidden_->setBackColour(c);
    shown_->setBackColour(c);
    update();
}

void SurfaceArea::clearPicture()
{
    picture_ = QImage();
    update();
}

QImage SurfaceArea::picture() const
{
    return picture_.isNull() ? shown_->image() : picture_;
}

void SurfaceArea::setPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

QSize SurfaceArea::sizeHint() const { return {shown_->pixelWidth(), shown_->pixelHeight()}; }

void SurfaceArea::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (picture_.isNull()) {
        const QImage& image = shown_->image();
        const qreal ratio = image.devicePixelRatio();
        painter.drawImage(event->rect(), image,
                          QRectF(event->rect().topLeft() * ratio, event->rect().size() * ratio));
        return;
    }
    // A picture smaller than the area sits at its top left on the background.
    painter.fillRect(event->rect(), toQColor(shown_->backColour()));
    painter.drawImage(QPointF(0, 0), picture_);
}

QImage surfaceCutOut(const QImage& area)
{
    // In the area's own pixels: an area drawn at a larger scale gives a
    // larger picture of the same part.
    const double ratio = area.devicePixelRatio();
    const auto px = [ratio](int n) { return static_cast<int>(std::lround(n * ratio)); };
    QImage part = area.copy(0, 0, px(506), px(487));
    part.setDevicePixelRatio(1);
    return part.scaled(px(511), px(487), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

} // namespace tervane
