#pragma once
#include "engine/state/MapLegend.h"

#include <array>
#include <utility>
#include <string>
#include <vector>

namespace tervane {

// The network of the last complete raw or optimized build, as that build
// drew it, so that Draw can show it again instead of building it anew
// while it still fits the data: same file, unchanged on disk, same kind,
// same picture state. `file` is empty when nothing is held.
struct HeldNetwork {
    std::string file;
    long long fileSize = -1;
    long long fileTime = 0;
    int kind = 0;
    int pictureInserted = 0;
    std::vector<std::array<int, 3>> drawn;  // corners of each triangle, in drawing order
    // The working files as the build left them on disk (device, inode, size
    // and time of each): while they stand so, writing them again from the
    // same tables would give the same bytes.
    std::string workingFiles;
};

// The state all windows share. It lives outside the main window so that it
// survives the window's unload and reload; everything starts at 0 or empty.
//
// Point and triangle tables are indexed from 1; slot 0 is unused, so a table
// of n entries has size n + 1.
struct SharedState {
    int fileOpen = 0;          // 1 while a data file is loaded
    int newFileMode = 0;       // 1 from New file until the editor opened
    int networkKind = 0;       // 0 plan only, 1 raw, 2 optimized, 3 3D
    int pictureInserted = 0;   // 1 while a background picture is in use
    int picturePersisted = 0;  // 1 when the editor loaded the remembered picture
    int dataEdited = 0;        // 1 after the editor ran: Draw rebuilds first
    float editorUsesMainFile = 0.0f;  // 1.0: the editor takes dataFileName
    long recordCount = 0;      // points (or grid nodes) in the point arrays
    long fileRecordCount = 0;  // records of the data file at the last build
    std::string dataFileName;  // path of the open data file
    std::string pictureFileName;

    // Points; notes are UTF-8 (GBK only on disk), 20 bytes wide there.
    std::vector<double> pointX{0.0}, pointY{0.0}, pointZ{0.0};
    std::vector<std::string> pointNote{std::string()};

    // Extents of the raw file values and the drawing scale.
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0, zMin = 0, zMax = 0;
    double plotScale = 1;

    // Triangulation. triNeighbour[t][e], e = 1..3, is the triangle across
    // edge e of t, 0 on the hull; column 0 is unused.
    std::vector<int> triVertexA{0}, triVertexB{0}, triVertexC{0};
    std::vector<std::array<int, 4>> triNeighbour{{0, 0, 0, 0}};
    std::vector<double> triCentreX{0.0}, triCentreY{0.0}, triCentreZ{0.0};
    int triangleCount = 0;
    int triangleCursor = 0;  // number of triangle rows complete (dzx.NDX field 1)
    HeldNetwork heldNetwork;

    // Regular grid of the optimized and 3D networks.
    int gridColumns = 0;
    int gridRows = 0;

    // Drawing units taken off the right of a played-back plot file for its
    // value labels: 126 x the longest label of the last completed Draw run
    // that recorded, 0 after one that did not.
    double labelBlockWidth = 0;

    // The curves of the last completed Draw run that kept them
    // (PanelSettings::keepCurves): as drawn (smoothed, and kept in their
    // band), whole, in the run's world units, which are the data's X and Y
    // less the network's shift (see NetworkPreparation), with the nominal
    // level in the data's value units.
    struct KeptCurve {
        double level = 0;
        bool index = false;   // an index contour (every fifth level)
        bool closed = false;  // ends on its start point again
        std::vector<std::pair<float, float>> points;
    };
    std::vector<KeptCurve> keptCurves;

    // The levels and colours of the last completed Draw run.
    MapLegend legend;

    // What the crossing check found after the last Draw run that asked for
    // it (PanelSettings::reportCrossings); -1 until then.
    struct CrossingCounts {
        long curves = -1;
        long crossingPairs = -1;      // pairs of segments of curves that cross
        long curvePairs = -1;         // pairs of different curves that meet
        long outOfBand = -1;          // stretches outside their level's band
        long mendedCurves = 0;        // curves the band mend changed
        double largestMendPixels = 0; // farthest the mend moved a curve
    } crossings;

    // Sizes the point arrays for n points (slots 1..n), keeping nothing.
    void resizePoints(long n)
    {
        const auto size = static_cast<std::size_t>(n + 1);
        pointX.assign(size, 0.0);
        pointY.assign(size, 0.0);
        pointZ.assign(size, 0.0);
        pointNote.assign(size, std::string());
    }
    // The point tables sized for n points whose slots 1..n the caller fills
    // at once: slot 0 is emptied, the others keep what they held until then,
    // so that loading a file again reuses the notes' storage.
    void sizePointsToFill(long n)
    {
        const auto size = static_cast<std::size_t>(n + 1);
        for (auto* table : {&pointX, &pointY, &pointZ}) {
            table->resize(size);
            (*table)[0] = 0.0;
        }
        pointNote.resize(size);
        pointNote[0].clear();
    }
};

} // namespace tervane
