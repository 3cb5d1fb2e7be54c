#include "ui/TeachingWindow.h"

#include "ui/QtCanvas.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>

namespace tervane {

namespace {

// A square is 75 twips on a side.
constexpr int kSquarePixels = 5;
constexpr int kColumnWidth = 250;
constexpr QSize kStartArea{640, 480};

const char* const kExplanations[] = {
    "    将光标移到黑色小方块，当出现四方向箭头光标时，按住左键将其拖放到某处后，松开左键，"
    "观察曲线拟合变化与点位关系。可选择闭合曲线及曲线圆滑项目进行试验。",
    "    重点试验：数据点之间的距离，点的分布疏与密，两相连直线夹角与曲线的关系。"
    "了解这些将有助于理解Tervane程序。（注：Tervane程序主界面中的［观察］选项所显示的直线，"
    "就是该图中的直线，它的颜色由调色板的［误差］颜色确定。）",
    "   Tervane程序中的曲线拟合[误差]选项，可控制曲线在允许的误差内通过，解决了曲线精度控制问题。"
    "（注：该教学程序中没有加入有关误差控制部分。）",
    "                 结束教学时，用鼠标点击右上角的“关闭”键退出",
};

// The drawing area: shows the figure's image and reports its resizes.
class FigureArea final : public QWidget {
public:
    explicit FigureArea(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMinimumSize(kStartArea / 2);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

    QSize sizeHint() const override { return kStartArea; }

    std::function<const QImage*()> image;
    std::function<void()> resized;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (const QImage* picture = image ? image() : nullptr)
            painter.drawImage(rect(), *picture);
    }

    void resizeEvent(QResizeEvent*) override
    {
        if (resized)
            resized();
    }
};

// The one teaching window, whichever main window opened it.
QPointer<TeachingWindow>& openWindow()
{
    static QPointer<TeachingWindow> window;
    return window;
}

} // namespace

TeachingWindow::TeachingWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("点的坐标位置与 B样条贝塞尔曲线"));

    auto* area = new FigureArea(this);
    area->setObjectName(QStringLiteral("figure"));
    area->image = [this]() -> const QImage* { return canvas_ ? &canvas_->image() : nullptr; };
    area->resized = [this] { onAreaResized(); };
    area_ = area;

    auto* column = new QVBoxLayout;
    column->addWidget(createOptions());
    column->addWidget(createExplanations(), 1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(area_, 1);
    layout->addLayout(column);

    createSquares();
    resize(sizeHint());
    onAreaResized();
    // Selecting the first order draws the start figure.
    cmbK_->setCurrentIndex(0);
    onOrderChosen(0);
}

TeachingWindow::~TeachingWindow() = default;

TeachingWindow* TeachingWindow::showBeside(QWidget* beside)
{
    QPointer<TeachingWindow>& window = openWindow();
    if (!window) {
        window = new TeachingWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
        if (beside) {
            QPoint at = beside->frameGeometry().topRight() + QPoint(8, 0);
            if (const QScreen* screen = beside->screen()) {
                const QRect free = screen->availableGeometry();
                const QSize size = window->sizeHint();
                at.setX(std::max(free.left(), std::min(at.x(), free.right() - size.width())));
                at.setY(std::max(free.top(), std::min(at.y(), free.bottom() - size.height())));
            }
            window->move(at);
        }
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

QWidget* TeachingWindow::createOptions()
{
    auto* group = new QGroupBox(QStringLiteral("曲线拟合选择项"), this);
    chkClosed_ = new QCheckBox(QStringLiteral("　封闭曲线"), group);
    chkClosed_->setObjectName(QStringLiteral("chkClosed"));
    cmbK_ = new QComboBox(group);
    cmbK_->setObjectName(QStringLiteral("cmbK"));
    for (const int order : TeachingCurve::kOrders)
        cmbK_->addItem(QString::number(order));

    auto* layout = new QHBoxLayout(group);
    layout->addWidget(chkClosed_);
    layout->addStretch(1);
    layout->addWidget(new QLabel(QStringLiteral("曲线圆滑"), group));
    layout->addWidget(cmbK_);

    connect(chkClosed_, &QCheckBox::toggled, this, &TeachingWindow::onClosedToggled);
    connect(cmbK_, &QComboBox::currentIndexChanged, this, &TeachingWindow::onOrderChosen);
    return group;
}

QWidget* TeachingWindow::createExplanations()
{
    auto* box = new QWidget(this);
    box->setFixedWidth(kColumnWidth);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    for (const char* text : kExplanations) {
        auto* label = new QLabel(QString::fromUtf8(text), box);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        layout->addWidget(label);
    }
    layout->addStretch(1);
    return box;
}

void TeachingWindow::createSquares()
{
    for (int i = 0; i < TeachingCurve::kPointCount; ++i) {
        auto* square = new QFrame(area_);
        square->setObjectName(QStringLiteral("pControl%1").arg(i));
        square->setFixedSize(kSquarePixels, kSquarePixels);
        square->setAutoFillBackground(true);
        QPalette palette = square->palette();
        palette.setColor(QPalette::Window, Qt::black);
        square->setPalette(palette);
        square->setCursor(Qt::SizeAllCursor);
        square->installEventFilter(this);
        squares_[static_cast<std::size_t>(i)] = square;
    }
}

// The frame is 800 x 600 whatever the size, so the figure scales with the
// window; the surface is made anew at the new size.
void TeachingWindow::onAreaResized()
{
    const QSize size = area_->size().expandedTo(QSize(1, 1));
    canvas_ = std::make_unique<QtCanvas>(size.width() * kTwipsPerPixel, size.height() * kTwipsPerPixel,
                                         area_->devicePixelRatioF());
    canvas_->setScale(0, 0, TeachingCurve::kFrameWidth, TeachingCurve::kFrameHeight);
    canvas_->setChangedCallback([this] { area_->update(); });
    placeSquares();
    redraw();
}

void TeachingWindow::onClosedToggled(bool closed)
{
    curve_.setClosed(closed);
    redraw();
}

void TeachingWindow::onOrderChosen(int index)
{
    if (index < 0)
        return;
    curve_.setOrder(TeachingCurve::kOrders.at(static_cast<std::size_t>(index)));
    redraw();
}

void TeachingWindow::placeSquares()
{
    for (int i = 0; i < TeachingCurve::kPointCount; ++i) {
        const QPointF at = toPixel(curve_.points()[static_cast<std::size_t>(i)]);
        squares_[static_cast<std::size_t>(i)]->move(static_cast<int>(std::lround(at.x())),
                                                    static_cast<int>(std::lround(at.y())));
    }
}

void TeachingWindow::redraw()
{
    if (canvas_)
        curve_.draw(*canvas_);
}

void TeachingWindow::dropSquare(int index, QPointF pixel)
{
    const QPointF at = toFrame(pixel);
    const QPointF square = toFrame(QPointF(kSquarePixels, kSquarePixels));
    curve_.dropPoint(index, at.x(), at.y(), square.x(), square.y());
    placeSquares();
    redraw();
}

QPointF TeachingWindow::toPixel(const SplinePoint& p) const
{
    return {p.x * area_->width() / TeachingCurve::kFrameWidth, p.y * area_->height() / TeachingCurve::kFrameHeight};
}

QPointF TeachingWindow::toFrame(QPointF pixel) const
{
    return {pixel.x() * TeachingCurve::kFrameWidth / std::max(1, area_->width()),
            pixel.y() * TeachingCurve::kFrameHeight / std::max(1, area_->height())};
}

// A square follows the held button and is dropped where the button is
// let go, with its top-left corner at the pointer.
bool TeachingWindow::eventFilter(QObject* watched, QEvent* event)
{
    int index = -1;
    for (int i = 0; i < TeachingCurve::kPointCount; ++i) {
        if (watched == squares_[static_cast<std::size_t>(i)])
            index = i;
    }
    if (index < 0)
        return QWidget::eventFilter(watched, event);
    QFrame* square = squares_[static_cast<std::size_t>(index)];
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        dragging_ = index;
        square->raise();
        return true;
    case QEvent::MouseMove:
        if (dragging_ != index)
            return false;
        square->move(square->mapToParent(static_cast<QMouseEvent*>(event)->position()).toPoint());
        return true;
    case QEvent::MouseButtonRelease:
        if (dragging_ != index || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        dragging_ = -1;
        dropSquare(index, square->mapToParent(static_cast<QMouseEvent*>(event)->position()));
        return true;
    default:
        return false;
    }
}

} // namespace tervane
