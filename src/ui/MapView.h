#pragma once
#include "ui/CanvasWidget.h"
#include "ui/MapViewport.h"
#include "ui/VectorExport.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>

#include <optional>

namespace tervane {

// The main window's drawing area: the canvas, shown at any size and zoom.
// The wheel zooms about the pointer; a drag with the middle button, or
// with the left one while Space is held, pans. Whenever the view is not
// the canvas's own pixels one to one, it is drawn again from the canvas's
// record at the view's scale, as vectors: lines keep their pixel width and
// text is drawn at its new size, never enlarged from a bitmap. At zoom 1
// in a view of the area's own size it shows the canvas's image, so nothing
// changes for a user who never zooms.
//
// The mouse signals name the point under the pointer in the canvas's user
// coordinates at every zoom.
class MapView final : public CanvasWidget {
    Q_OBJECT
public:
    MapView(double widthTwips, double heightTwips, QWidget* parent = nullptr, double devicePixelRatio = 1.0);
    ~MapView() override;

    const MapViewport& viewport() const { return viewport_; }
    // The view draws its canvas's image as it is.
    bool showsCanvasImage() const;
    // What the view shows of the map now, at the view's scale and pixel
    // ratio: the canvas's image as it is at zoom 1 in the area's own size.
    QImage shownMap();
    // The part of the map the view shows, as a page of its own: the view's
    // scale, the page's top-left corner at the shown part's.
    ReplayView shownPart() const;

    void zoomIn();   // 放大, about the view's centre
    void zoomOut();  // 缩小
    void fitAll();   // 全图

    // Draws the record at the view's transform onto `painter`: what
    // paintEvent shows when the canvas's image will not do.
    void replayOnto(QPainter& painter) const;

signals:
    void viewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QPointF areaPixel(QPointF widgetPoint) const override;

private:
    // Space held over the area readies a pan; it is caught wherever the
    // focus is, so that it does not press a button of the panel.
    bool spaceKey(QKeyEvent* event);
    void setSpaceDown(bool down);
    void showPanCursor();
    void changedView();
    // The pointer's place names a new map point after the view moved under it.
    void reportPointer();
    void renderView();

    MapViewport viewport_;
    // The view as last drawn from the record, and at which transform.
    QImage rendered_;
    QTransform renderedAt_;
    bool recordChanged_ = true;
    // Where the record's items lie, made again after the record changed.
    std::optional<ReplayIndex> index_;
    // How long the last drawing from the record took.
    qint64 renderMilliseconds_ = 0;
    // The record grows while a run draws; the view is drawn again from it
    // no more often than this, so the run is not slowed by its own view.
    QElapsedTimer sinceRender_;
    QTimer lateRender_;
    bool panning_ = false;
    QPointF panFrom_;
    bool spaceDown_ = false;
    bool filtering_ = false;
};

} // namespace tervane
