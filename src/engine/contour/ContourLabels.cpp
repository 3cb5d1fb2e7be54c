#include "engine/contour/ContourLabels.h"

#include "engine/base/Canvas.h"
#include "engine/base/NumberText.h"

namespace tervane {

ContourLabeller::ContourLabeller(int mode, const LabelBox& bounds, int valueScale)
    : mode_(mode), valueScale_(valueScale), placer_(bounds)
{
}

std::string ContourLabeller::valueText(double level) const
{
    return numberText(level);
}

std::vector<std::vector<SplinePoint>> ContourLabeller::place(const Canvas&, double, const std::vector<SplinePoint>& points,
                                                             double, int)
{
    pending_.clear();
    return {points};
}

void ContourLabeller::write(Canvas&, double, PlotRecording*)
{
    pending_.clear();
}

} // namespace tervane
