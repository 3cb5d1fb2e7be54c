#include "ui/MapView.h"

#include <QApplication>
#include <QCursor>
#include <QAbstractSpinBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace tervane {

namespace {

// A run's growing record is drawn again at most this often.
constexpr int kRunRenderMilliseconds = 250;

} // namespace

MapView::MapView(double widthTwips, double heightTwips, QWidget* parent, double devicePixelRatio)
    : CanvasWidget(widthTwips, heightTwips, parent, devicePixelRatio),
      viewport_(QSizeF(canvas().pixelWidth(), canvas().pixelHeight()))
{
    // The area grows with the window, never below the size the frame was made for.
    setMinimumSize(canvas().pixelWidth(), canvas().pixelHeight());
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::CrossCursor);
    lateRender_.setSingleShot(true);
    connect(&lateRender_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    canvas().setChangedCallback([this] {
        recordChanged_ = true;
        update();
    });
}

MapView::~MapView()
{
    if (filtering_)
        qApp->removeEventFilter(this);
}

bool MapView::showsCanvasImage() const
{
    return viewport_.isIdentity() && canvas().image().devicePixelRatio() == devicePixelRatioF();
}

QPointF MapView::areaPixel(QPointF widgetPoint) const { return viewport_.toMap(widgetPoint); }

void MapView::replayOnto(QPainter& painter) const
{
    // Where the map is narrower than the view, the window's own colour shows
    // beside it, so its edge is plain to see.
    painter.fillRect(QRectF(QPointF(0, 0), viewport_.viewSize()), palette().color(QPalette::Dark));
    const DrawingRecord* record = canvas().record();
    if (!record) {
        // Nothing to draw again from: the image it is, smoothed.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(viewport_.toView(QPointF(0, 0)), viewport_.toView(QPointF(canvas().pixelWidth(), canvas().pixelHeight()))),
                          canvas().image());
        return;
    }
    replayDrawing(*record, painter, ReplayView{viewport_.transform(), viewport_.visibleMapRect(), viewport_.viewSize()},
                  index_ ? &*index_ : nullptr);
}

ReplayView MapView::shownPart() const
{
    const QRectF part = viewport_.visibleMapRect() & QRectF(QPointF(0, 0), viewport_.mapSize());
    const double s = viewport_.scale();
    return ReplayView{QTransform(s, 0, 0, s, -part.left() * s, -part.top() * s), part, part.size() * s};
}

void MapView::renderView()
{
    const double ratio = devicePixelRatioF();
    const QSize pixels(static_cast<int>(std::ceil(width() * ratio)), static_cast<int>(std::ceil(height() * ratio)));
    if (rendered_.size() != pixels)
        rendered_ = QImage(pixels, QImage::Format_RGB32);
    rendered_.setDevicePixelRatio(ratio);
    QElapsedTimer took;
    took.start();
    if (recordChanged_ || !index_) {
        index_.reset();
        if (const DrawingRecord* record = canvas().record())
            index_.emplace(*record);
    }
    {
        QPainter painter(&rendered_);
        replayOnto(painter);
    }
    renderedAt_ = viewport_.transform();
    recordChanged_ = false;
    renderMilliseconds_ = took.elapsed();
    sinceRender_.start();
}

QImage MapView::shownMap()
{
    if (showsCanvasImage())
        return canvas().image();
    const double ratio = devicePixelRatioF();
    if (recordChanged_ || renderedAt_ != viewport_.transform() || rendered_.deviceIndependentSize() != QSizeF(size()) ||
        rendered_.devicePixelRatio() != ratio)
        renderView();
    // Without the window's colour beside a map narrower than the view.
    const QRectF map(viewport_.toView(QPointF(0, 0)), viewport_.toView(QPointF(viewport_.mapSize().width(), viewport_.mapSize().height())));
    const QRectF shown = map & QRectF(rect());
    const QRect pixels = QRectF(shown.topLeft() * ratio, shown.size() * ratio).toAlignedRect() & rendered_.rect();
    QImage part = rendered_.copy(pixels);
    part.setDevicePixelRatio(ratio);
    return part;
}

void MapView::paintEvent(QPaintEvent* event)
{
    if (showsCanvasImage()) {
        CanvasWidget::paintEvent(event);
        return;
    }
    const bool moved = renderedAt_ != viewport_.transform() || rendered_.isNull() ||
                       rendered_.deviceIndependentSize() != QSizeF(size()) ||
                       rendered_.devicePixelRatio() != devicePixelRatioF();
    if (moved) {
        renderView();
    } else if (recordChanged_) {
        // A run is drawing: its view catches up every so often, and a view
        // slow to draw (the whole of a large map) less often, so that the
        // run spends most of its time on its own work.
        const qint64 every = std::max<qint64>(kRunRenderMilliseconds, 4 * renderMilliseconds_);
        const qint64 since = sinceRender_.isValid() ? sinceRender_.elapsed() : every;
        if (since >= every)
            renderView();
        else if (!lateRender_.isActive())
            lateRender_.start(static_cast<int>(every - since));
    }
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), rendered_);
}

void MapView::resizeEvent(QResizeEvent* event)
{
    CanvasWidget::resizeEvent(event);
    viewport_.setViewSize(QSizeF(size()));
    changedView();
}

void MapView::changedView()
{
    update();
    emit viewChanged();
}

void MapView::reportPointer()
{
    const QPoint at = mapFromGlobal(QCursor::pos());
    if (rect().contains(at)) {
        const QPointF p = areaPixel(QPointF(at));
        emit mouseMoved(canvas().fromPixelX(p.x()), canvas().fromPixelY(p.y()), QApplication::mouseButtons());
    }
}

void MapView::zoomIn()
{
    viewport_.zoomAbout(QPointF(width() / 2.0, height() / 2.0), MapViewport::kMenuStep);
    changedView();
    reportPointer();
}

void MapView::zoomOut()
{
    viewport_.zoomAbout(QPointF(width() / 2.0, height() / 2.0), 1 / MapViewport::kMenuStep);
    changedView();
    reportPointer();
}

void MapView::fitAll()
{
    viewport_.fit();
    changedView();
    reportPointer();
}

void MapView::wheelEvent(QWheelEvent* event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) {
        event->ignore();
        return;
    }
    viewport_.zoomAbout(event->position(), std::pow(MapViewport::kWheelStep, notches));
    changedView();
    // Zooming about the pointer keeps its point, except where a limit held
    // the view: the readout names what is under the pointer now.
    const QPointF p = areaPixel(event->position());
    emit mouseMoved(canvas().fromPixelX(p.x()), canvas().fromPixelY(p.y()), event->buttons());
    event->accept();
}

void MapView::mousePressEvent(QMouseEvent* event)
{
    const bool pan = event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && spaceDown_);
    if (!pan) {
        CanvasWidget::mousePressEvent(event);
        return;
    }
    panning_ = true;
    panFrom_ = event->position();
    showPanCursor();
    event->accept();
}

void MapView::mouseMoveEvent(QMouseEvent* event)
{
    if (panning_) {
        viewport_.panBy(event->position() - panFrom_);
        panFrom_ = event->position();
        changedView();
    }
    CanvasWidget::mouseMoveEvent(event);
}

void MapView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!panning_) {
        CanvasWidget::mouseReleaseEvent(event);
        return;
    }
    const Qt::MouseButtons panButtons = Qt::MiddleButton | Qt::LeftButton;
    if ((event->buttons() & panButtons) == 0) {
        panning_ = false;
        showPanCursor();
    }
    event->accept();
}

bool MapView::spaceKey(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Space || event->modifiers() != Qt::NoModifier)
        return false;
    if (!event->isAutoRepeat())
        setSpaceDown(event->type() == QEvent::KeyPress);
    return true;
}

void MapView::keyPressEvent(QKeyEvent* event)
{
    if (!spaceKey(event))
        CanvasWidget::keyPressEvent(event);
}

void MapView::keyReleaseEvent(QKeyEvent* event)
{
    if (!spaceKey(event))
        CanvasWidget::keyReleaseEvent(event);
}

void MapView::setSpaceDown(bool down)
{
    spaceDown_ = down;
    showPanCursor();
}

void MapView::showPanCursor()
{
    if (panning_)
        setCursor(Qt::ClosedHandCursor);
    else if (spaceDown_)
        setCursor(Qt::OpenHandCursor);
    else
        setCursor(Qt::CrossCursor);
}

void MapView::enterEvent(QEnterEvent* event)
{
    CanvasWidget::enterEvent(event);
    if (!filtering_) {
        qApp->installEventFilter(this);
        filtering_ = true;
    }
}

void MapView::leaveEvent(QEvent* event)
{
    CanvasWidget::leaveEvent(event);
    if (filtering_ && !panning_) {
        qApp->removeEventFilter(this);
        filtering_ = false;
    }
    if (!panning_)
        setSpaceDown(false);
}

namespace {

// A field the user is typing into keeps its spaces, wherever the pointer is.
bool typingInto(const QWidget* focus)
{
    if (const auto* line = qobject_cast<const QLineEdit*>(focus))
        return !line->isReadOnly();
    if (const auto* text = qobject_cast<const QPlainTextEdit*>(focus))
        return !text->isReadOnly();
    return qobject_cast<const QTextEdit*>(focus) != nullptr || qobject_cast<const QAbstractSpinBox*>(focus) != nullptr;
}

} // namespace

bool MapView::eventFilter(QObject* watched, QEvent* event)
{
    // Only while the pointer is over the area; the area's own key events
    // come through keyPressEvent.
    if (watched != this && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
        (underMouse() || panning_) && !typingInto(QApplication::focusWidget()))
        return spaceKey(static_cast<QKeyEvent*>(event));
    return CanvasWidget::eventFilter(watched, event);
}

} // namespace tervane
