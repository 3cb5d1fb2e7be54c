#include "engine/contour/PanelValues.h"

#include "engine/base/NumberText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tervane {

std::optional<int> wholeValue(std::string_view text)
{
    const double whole = std::floor(leadingNumber(text));
    if (!std::isfinite(whole) || whole < std::numeric_limits<int>::min() ||
        whole > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(whole);
}

double lineWidthValue(const PanelSettings& panel) { return leadingNumber(panel.lineWidthText); }

bool renderingMode(const PanelSettings& panel) { return lineWidthValue(panel) > 4; }

int smoothness(const PanelSettings& panel) { return std::clamp(panel.smoothValue, 2, 9) - 2; }

} // namespace tervane
