#include "ui/LegendWindow.h"

#include "engine/state/LegendLayout.h"
#include "ui/MainLayout.h"
#include "ui/QtCanvas.h"

#include <QLabel>
#include <QPixmap>
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

void LegendWindow::showLegend(const MapLegend& legend, const PanelSettings& panel, const QPoint& place)
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
    move(place);
    show();
}

} // namespace tervane
