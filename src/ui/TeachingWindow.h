#pragma once
#include "engine/teaching/TeachingCurve.h"

#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;

namespace tervane {

class QtCanvas;

// The teaching window Form3: six black squares the learner drags about,
// the closed-curve box and the order list, and the figure of the control
// polygon and its B-spline, drawn in an 800 x 600 frame that stretches
// with the window. It stands beside the main window and outlives it when
// the record editor or the 3D view takes the main window's place.
class TeachingWindow final : public QWidget {
    Q_OBJECT
public:
    explicit TeachingWindow(QWidget* parent = nullptr);
    ~TeachingWindow() override;

    // Shows the one teaching window beside `beside`; a window already open
    // is raised as it is, a new one starts from the start state.
    static TeachingWindow* showBeside(QWidget* beside);

    const TeachingCurve& curve() const { return curve_; }
    // The figure's surface and the widget it fills.
    const QtCanvas& figure() const { return *canvas_; }
    QWidget* drawingArea() const { return area_; }
    QFrame* square(int index) const { return squares_.at(static_cast<std::size_t>(index)); }

    // Square `index` dropped with its top-left corner at `pixel` of the
    // drawing area: the point moves there (kept inside the frame) and the
    // figure is drawn again.
    void dropSquare(int index, QPointF pixel);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* createOptions();
    QWidget* createExplanations();
    void createSquares();
    void onAreaResized();
    void onClosedToggled(bool closed);
    void onOrderChosen(int index);
    void placeSquares();
    void redraw();
    QPointF toPixel(const SplinePoint& p) const;
    QPointF toFrame(QPointF pixel) const;

    TeachingCurve curve_;
    std::unique_ptr<QtCanvas> canvas_;
    QWidget* area_ = nullptr;
    QCheckBox* chkClosed_ = nullptr;
    QComboBox* cmbK_ = nullptr;
    std::array<QFrame*, TeachingCurve::kPointCount> squares_{};
    int dragging_ = -1;  // the square under the held button, or -1
};

} // namespace tervane
