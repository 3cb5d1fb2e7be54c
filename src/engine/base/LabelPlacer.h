#pragma once
#include "engine/base/Colour.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tervane {

// A label's box in the drawing area's pixels, Y down.
struct LabelBox {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;

    bool overlaps(const LabelBox& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

// Keeps labels apart: each label is put on the first side of its point
// where it overlaps no label placed before it and stays inside the area,
// or is left out. The sides are tried in the order right (the text starting
// at the point and running right and down, where a label has always been
// printed), left, above and below, so a label with room keeps its old place.
class LabelPlacer {
public:
    // Labels stay inside `bounds` (pixels of the area, Y down). The grid's
    // cells are `cell` units square: a few labels' height suits it.
    explicit LabelPlacer(const LabelBox& bounds, double cell = 32);

    // Labels placed from now on keep at least `pixels` from every other
    // label, so that a dense survey shows fewer values, each readable,
    // instead of a carpet of them.
    void setAir(double pixels) { air_ = pixels > 0 ? pixels : 0; }

    enum class Side { Right, Left, Above, Below };

    // The box of a label of w x h pixels on one side of a point.
    static LabelBox boxAt(double pointX, double pointY, double w, double h, Side side);

    // The first free box for a label of w x h pixels at the point, which is
    // then taken; nothing when no side is free.
    std::optional<LabelBox> place(double pointX, double pointY, double w, double h);

    // The first of the candidate boxes that is free, which is then taken;
    // nothing when none is.
    std::optional<std::size_t> placeFirst(const std::vector<LabelBox>& candidates);

    // Whether place() could find room for a label w x h pixels or wider at
    // the point, without taking any. A wider label's box on each side holds
    // the narrower one's, so when a label of no width has no room, no label
    // has: a dense map skips most labels without making their texts.
    bool hasRoom(double pointX, double pointY, double w, double h) const;

    // Takes a box whatever it overlaps (a label placed by other means).
    void take(const LabelBox& box);
    bool isFree(const LabelBox& box) const;
    // The room a box claims: itself and half the air all round.
    LabelBox claimed(const LabelBox& box) const
    {
        const double half = air_ / 2;
        return {box.left - half, box.top - half, box.right + half, box.bottom + half};
    }
    const std::vector<LabelBox>& placed() const { return boxes_; }

private:
    // Boxes are found through a grid of square cells, so that a map of
    // thirty thousand labels checks each against its neighbours only.
    double cell_;
    int cellX(double x) const;
    int cellY(double y) const;

    LabelBox bounds_;
    double air_ = 0;
    int columns_;
    int rows_;
    std::vector<LabelBox> boxes_;
    std::vector<LabelBox> rooms_;  // each box with the air it claimed
    std::vector<std::vector<int>> cells_;
};

class Canvas;

// Places a label printed at a point of a canvas (user units): where it goes,
// in user units, for the canvas's print to start at; nothing when it is left
// out. The box is measured as the canvas prints the text.
std::optional<std::pair<double, double>> placeLabel(LabelPlacer& placer, const Canvas& area, double x, double y,
                                                    const std::string& text);

// False when no label, of any text, printed at the point could be placed:
// placeLabel would leave it out whatever its width.
bool labelMayFit(const LabelPlacer& placer, const Canvas& area, double x, double y);

// Text on a rim of the halo colour, one pixel wide, so that it reads over
// the lines beneath it: at the current position as print() puts it, and
// turned as printTurned() does. The fore colour is left as `colour`, the
// current position where print() leaves it.
void printOnHalo(Canvas& area, const std::string& text, Colour colour, Colour halo);
void printTurnedOnHalo(Canvas& area, double x, double y, double angle, const std::string& text, Colour colour,
                       Colour halo);

// The air that point labels of a canvas keep between them: one line of text.
double pointLabelAir(const Canvas& area);

} // namespace tervane
