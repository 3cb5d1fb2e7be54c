#pragma once
#include "ui/QtCanvas.h"

#include <QWidget>

#include <memory>

namespace tervane {

// Shows a QtCanvas at its natural size and reports the mouse in the
// canvas's user coordinates. The canvas's changes schedule a repaint.
class CanvasWidget : public QWidget {
    Q_OBJECT
public:
    // The canvas's image has `devicePixelRatio` image pixels to a widget pixel.
    CanvasWidget(double widthTwips, double heightTwips, QWidget* parent = nullptr, double devicePixelRatio = 1.0);

    QtCanvas& canvas() { return *canvas_; }
    const QtCanvas& canvas() const { return *canvas_; }

    QSize sizeHint() const override;

signals:
    void mouseMoved(double x, double y, Qt::MouseButtons buttons);
    void mousePressed(double x, double y, Qt::MouseButton button);
    void mouseReleased(double x, double y, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The canvas pixel under a point of the widget: the same point, unless
    // a view shows the canvas at another scale.
    virtual QPointF areaPixel(QPointF widgetPoint) const { return widgetPoint; }

private:
    std::unique_ptr<QtCanvas> canvas_;
};

} // namespace tervane
