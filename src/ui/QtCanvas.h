#pragma once
#include "engine/base/Canvas.h"

#include <QFont>
#include <QImage>
#include <QPointF>
#include <QString>

#include <functional>
#include <string>

namespace tervane {

// A Canvas that paints into a QImage at 15 twips per pixel times a device
// pixel ratio. Lines are drawn without antialiasing so that plot lines stay
// crisp and one pixel wide lines are exactly one pixel wide.
class QtCanvas final : public Canvas {
public:
    QtCanvas(double widthTwips, double heightTwips, double devicePixelRatio = 1.0);

    const QImage& image() const { return image_; }
    // Saves the image; the format is "PNG" or "BMP". False when it cannot be written.
    bool save(const QString& path, const char* format) const;

    bool loadPicture(const std::string& path) override;
    void clearPicture() override;
    bool hasPicture() const override { return !picture_.isNull(); }

    // Called after every change of the image, so a widget can repaint.
    void setChangedCallback(std::function<void()> callback) { changed_ = std::move(callback); }

    // The font of printed text.
    static QFont textFont();

protected:
    void paintLine(double x1, double y1, double x2, double y2, Colour c) override;
    void paintBox(double x1, double y1, double x2, double y2, Colour c, bool filled) override;
    void paintCircle(double x, double y, double radius, Colour c, bool filled) override;
    void paintDot(double x, double y, Colour c) override;
    void paintText(double x, double y, const std::string& utf8, Colour c) override;
    void paintClear(Colour back) override;
    void paintFilledBoxes(std::span<const FilledBox> boxes) override;
    double textPixelWidth(const std::string& utf8) const override;
    double textPixelHeight() const override;

private:
    int pixelColumn(double x) const;
    int pixelRow(double y) const;
    void changed() const;

    QImage image_;
    QImage picture_;
    QFont font_;
    // Where the last dashed line ended and how far into its pattern.
    QPointF dashEnd_{-1.0e9, -1.0e9};
    qreal dashOffset_ = 0;
    std::function<void()> changed_;
};

// A Canvas colour as a Qt colour.
QColor toQColor(Colour c);
// A Qt colour as a Canvas colour.
Colour fromQColor(const QColor& c);

} // namespace tervane
