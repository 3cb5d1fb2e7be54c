#include "support/RunFixture.h"

#include "engine/network/WorkingFiles.h"

namespace tervane::test {

RunFixture::RunFixture()
{
    state.fileOpen = 1;
    state.networkKind = 1;
    state.plotScale = 100;
    // No network rebuild inside the run: the files written by the test are
    // what it draws.
    panel.check13 = true;
}

void RunFixture::writeNetwork(const ContourNetwork& net)
{
    NdxHeader header;
    header.triangleRows = static_cast<float>(net.rowCount());
    header.zMax = static_cast<float>(net.zMax);
    header.zMin = static_cast<float>(net.zMin);
    header.recordCount = static_cast<float>(net.pointCount());
    std::vector<XyzRecord> points;
    for (int i = 1; i <= net.pointCount(); ++i) {
        const auto s = static_cast<std::size_t>(i);
        points.push_back({net.pointX[s], net.pointY[s], static_cast<float>(net.pointZ[s])});
    }
    std::vector<DhRecord> rows;
    for (int t = 1; t <= net.rowCount(); ++t) {
        const auto s = static_cast<std::size_t>(t);
        const auto& n = net.neighbour[s];
        rows.push_back({static_cast<float>(net.vertexA[s]), static_cast<float>(net.vertexB[s]),
                        static_cast<float>(net.vertexC[s]), static_cast<float>(n[1]),
                        static_cast<float>(n[2]), static_cast<float>(n[3])});
    }
    ASSERT_TRUE(writeNdx(header));
    ASSERT_TRUE(writeXyz(points));
    ASSERT_TRUE(writeDh(rows));
    state.triangleCount = net.rowCount();
    state.zMin = net.zMin;
    state.zMax = net.zMax;
}

std::size_t RunFixture::linesOf(Colour c) const
{
    std::size_t n = 0;
    for (const auto& op : lines())
        n += op.colour == c;
    return n;
}

} // namespace tervane::test
