// The working files a Draw run and the 3D view read back: dzx.NDX, dzx.XYZ,
// dzx.DH and D3d.dzx (read both as the grid file and by the 3D view), as
// four parts of one input. The first part's first
// byte also picks how many triangles the run is told to trace.
#include "FuzzSupport.h"

#include "engine/base/Random.h"
#include "engine/contour/ContourFault.h"
#include "engine/contour/ContourNetworkReader.h"
#include "engine/network/WorkingFiles.h"
#include "engine/view3d/SurfaceGrid.h"

using namespace tervane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto parts = fuzz::splitParts(data, size, 5);
    const int traced = parts[0].empty() ? 0 : static_cast<unsigned char>(parts[0][0]) * 8;
    fuzz::writeFile("dzx.NDX", parts[1]);
    fuzz::writeFile("dzx.XYZ", parts[2]);
    fuzz::writeFile("dzx.DH", parts[3]);
    fuzz::writeFile("D3d.dzx", parts[4]);
    Random random(1);
    try {
        const ContourNetwork net = readContourNetwork(random, traced, fuzz::scratchFolder());
        (void)net;
    } catch (const ContourFault&) {
        // A damaged file is refused; that is the reader doing its job.
    }
    (void)readGrid(fuzz::scratchFolder());
    SurfaceGrid grid;
    (void)grid.load(fuzz::scratchFolder());
    return 0;
}
