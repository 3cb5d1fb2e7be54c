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
    CanvasWidget(double widthTwips, double heightTwips, QWidget* parent = nullptr);

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

private:
    std::unique_ptr<QtCanvas> canvas_;
};

} // namespace tervane
