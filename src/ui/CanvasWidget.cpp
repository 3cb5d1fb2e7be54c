#include "ui/CanvasWidget.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace tervane {

CanvasWidget::CanvasWidget(double widthTwips, double heightTwips, QWidget* parent, double devicePixelRatio)
    : QWidget(parent), canvas_(std::make_unique<QtCanvas>(widthTwips, heightTwips, devicePixelRatio))
{
    setFixedSize(canvas_->pixelWidth(), canvas_->pixelHeight());
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    canvas_->setChangedCallback([this] { update(); });
}

QSize CanvasWidget::sizeHint() const
{
    return {canvas_->pixelWidth(), canvas_->pixelHeight()};
}

void CanvasWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), canvas_->image(),
                      QRectF(event->rect().topLeft() * canvas_->image().devicePixelRatio(),
                             event->rect().size() * canvas_->image().devicePixelRatio()));
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF p = areaPixel(event->position());
    emit mouseMoved(canvas_->fromPixelX(p.x()), canvas_->fromPixelY(p.y()), event->buttons());
}

void CanvasWidget::mousePressEvent(QMouseEvent* event)
{
    const QPointF p = areaPixel(event->position());
    emit mousePressed(canvas_->fromPixelX(p.x()), canvas_->fromPixelY(p.y()), event->button());
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF p = areaPixel(event->position());
    emit mouseReleased(canvas_->fromPixelX(p.x()), canvas_->fromPixelY(p.y()), event->button());
}

} // namespace tervane
