#pragma once
#include "ui/QtCanvas.h"

#include <QImage>
#include <QWidget>

#include <memory>

namespace tervane {

// The 3D view's drawing area MAINMAP. It holds two canvases of its size:
// the one on screen, and one off screen that a drawing fills unseen and
// that then takes the other's place. A picture put in the area (the cut-out
// a save leaves) shows over both until the next drawing or clearing.
class SurfaceArea final : public QWidget {
    Q_OBJECT
public:
    SurfaceArea(double widthTwips, double heightTwips, QWidget* parent = nullptr);

    // The canvas on screen; its changes repaint the widget.
    QtCanvas& shown() { return *shown_; }
    // The canvas off screen.
    QtCanvas& hidden() { return *hidden_; }
    // The off-screen canvas comes on screen.
    void showHidden();

    // Both canvases take the back colour, which clears them; any picture goes.
    void setBackground(Colour c);
    Colour background() const { return shown_->backColour(); }
    // Empties the area's picture before a drawing.
    void clearPicture();

    // The picture of the area: the put picture, else the shown canvas.
    QImage picture() const;
    void setPicture(const QImage& picture);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void watch(QtCanvas& canvas, bool onScreen);

    std::unique_ptr<QtCanvas> shown_;
    std::unique_ptr<QtCanvas> hidden_;
    QImage picture_;
};

// The save's cut-out: 506 x 487 pixels from the area's top-left corner
// (where the drawing area lies on the screen capture), stretched to
// 511 x 487.
QImage surfaceCutOut(const QImage& area);

} // namespace tervane
