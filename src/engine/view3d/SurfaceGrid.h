#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tervane {

// The 3D view's fixed grid: 21 x 21 nodes, display rows and columns 0..20.
inline constexpr int kSurfaceSide = 21;
inline constexpr int kSurfaceNodes = kSurfaceSide * kSurfaceSide;
// Level counts the list offers, largest first; 9 gives the ten levels 0..9.
inline constexpr int kDefaultLevelCount = 9;

// True when text is the canonical form of its own number: the number
// printed back (with its leading blank for a value that is not negative)
// equals a blank followed by the text. "45" and ".5" pass; "045", "+45",
// "45.0", "0.5", "4a" and "" do not.
bool isCanonicalNumber(const std::string& text);

// The node values of the view and their levels. Node k = a x 21 + b, with
// a the node's index along X and b along Y (the order of D3d.dzx); the
// nodes with a or b equal to 0 or 20 form the border.
class SurfaceGrid {
public:
    SurfaceGrid();

    // Reads D3d.dzx from dir (empty: the current folder). The view works
    // only in the 21 x 21 layout: a missing or short file, or a first
    // record that does not read 21, 21, 441, leaves an empty grid (all
    // values 0) and returns the reason to show.
    std::optional<std::string> load(const std::string& dir = {});
    // Values set directly (tests, the benchmark); 441 of them.
    void setValues(const std::vector<double>& values);
    bool loaded() const { return loaded_; }

    static bool isBorder(int k);

    // The opening classification: the range spans every node, border
    // included, and border values stay as they are.
    void classifyInitial(int levelCount);
    // ClassifyLevels: border values become 0 for good, the range spans the
    // interior only, and every interior node gets floor((z - min) / step).
    // When the interior is flat every level is 0.
    void classifyLevels(int levelCount);

    // A level typed into the box of node k (already trimmed). Accepted when
    // canonical and within 0..9: the node's value moves to
    // viewZMin + levelStep x level, with levelStep from the range of the
    // last classification and the level count given. Returns the level, or
    // nothing when refused (nothing changes then).
    std::optional<double> enterLevel(int k, const std::string& text, int levelCount);

    double nodeZ(int k) const { return nodeZ_.at(static_cast<std::size_t>(k)); }
    int level(int k) const { return levels_.at(static_cast<std::size_t>(k)); }
    double viewZMin() const { return viewZMin_; }
    double viewZMax() const { return viewZMax_; }
    double levelStep() const { return levelStep_; }

    // The levels turned for the viewing angle: element p x 21 + q is display
    // row p (0 at the back) and column q. Below 180 degrees the low-Y side is
    // in front and X grows to the right; from 180 on the view is turned half
    // round.
    std::array<int, kSurfaceNodes> displayGrid(double viewAngle) const;

private:
    void assignLevels(int levelCount);

    std::array<double, kSurfaceNodes> nodeZ_{};
    std::array<int, kSurfaceNodes> levels_{};
    double viewZMin_ = 0;
    double viewZMax_ = 0;
    double levelStep_ = 0;
    bool loaded_ = false;
};

} // namespace tervane
