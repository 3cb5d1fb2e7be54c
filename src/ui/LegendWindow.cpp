#include "ui/LegendWindow.h"

#include "engine/state/LegendLayout.h"
#include "ui/MainLayout.h"
#include "ui/QtCanvas.h"

#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace tervane {

LegendWindow::LegendWindow(QWidget* owner) : QWidget(owner, Qt::Tool)
{
    setObjectName(QStringLiteral("legendWindow"));
    setWindowTitle(QString::fromStdString(text::kLegendTitle));
    // Beside the main window, not in front of it: it must not take the
    // keyboard from the map or the panel when it appears after a Draw.
    setAttribute(Qt::WA_ShowWithoutActivating);
    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("legendPicture"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void LegendWindow::showLegend(const MapLegend& legend, const PanelSettings& panel, const QPoint& place,
                              int mapRight)
{
    // A canvas only to measure with: the font the legend is drawn in.
    const QtCanvas measure(layout::kDrawingArea.width, layout::kDrawingArea.height);
    const int width = legendPixelWidth(legend, measure);
    const int areaHeight = measure.pixelHeight();
    const int height = std::min(legendPixelHeight(legend, measure), areaHeight);
    QtCanvas canvas(width * kTwipsPerPixel, height * kTwipsPerPixel);
    drawLegend(canvas, legend, panel);
    picture_ = canvas.image().copy();
    label_->setPixmap(QPixmap::fromImage(picture_));
    QPoint corner = place;
    if (const QScreen* shown = screen()) {
        const int screenRight = shown->availableGeometry().right();
        if (corner.x() + width > screenRight)
            corner.setX(std::max(screenRight - width, mapRight + 8));
    }
    move(corner);
    show();
}

DrawingRecord legendStripRecord(const MapLegend& legend, const PanelSettings& panel)
{
    const QtCanvas measure(layout::kDrawingArea.width, layout::kDrawingArea.height);
    QtCanvas canvas(legendPixelWidth(legend, measure) * kTwipsPerPixel, layout::kDrawingArea.height);
    DrawingRecord record(canvas.pixelWidth(), canvas.pixelHeight());
    canvas.setRecord(&record);
    drawLegend(canvas, legend, panel);
    canvas.setRecord(nullptr);
    return record;
}

} // namespace tervane
