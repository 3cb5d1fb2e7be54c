#include "engine/network/NetworkBuilder.h"

#include "engine/commands/MainCommands.h"
#include "engine/network/NetworkFixture.h"
#include "engine/network/NetworkTexts.h"
#include "engine/network/WorkingFiles.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>

namespace tervane {
namespace {

using Kind = RecordingCanvas::Kind;

class NetworkBuilderTest : public test::NetworkFixture {
protected:
    // n points of a smooth surface scattered over 0..xSpan by 0..ySpan,
    // offset so that the minima are not 0.
    void writeScattered(int n, double xSpan = 100, double ySpan = 80, unsigned seed = 7)
    {
        std::mt19937 gen(seed);
        std::uniform_real_distribution<double> u(0, 1);
        std::vector<std::array<double, 3>> pts;
        for (int i = 0; i < n; ++i) {
            // The first four are the corners, so the extents are exact.
            const double x = 500 + xSpan * (i < 4 ? i % 2 : u(gen));
            const double y = 300 + ySpan * (i < 4 ? i / 2 : u(gen));
            pts.push_back({x, y, 10 + std::sin(x / 30) * 5 + y / 20});
        }
        writeSurvey(pts);
    }
};

TEST_F(NetworkBuilderTest, RawBuildWritesAConsistentNetwork)
{
    writeScattered(40);
    ASSERT_TRUE(buildNetwork(ctx));
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_EQ(state.recordCount, 40);
    EXPECT_EQ(state.fileRecordCount, 40);
    EXPECT_EQ(state.triangleCursor, state.triangleCount);
    EXPECT_GE(state.triangleCount, 2 * 40 - 2 - 40);
    EXPECT_LE(state.triangleCount, 2 * 40 - 5);
    EXPECT_EQ(view.statusText, text::kRawNetwork);
    EXPECT_EQ(view.statusBack, rgb(0, 128, 0));
    EXPECT_EQ(view.statusFore, rgb(0, 255, 0));
    // Shifted to the data origin with offsets below 0.0001.
    double minX = 1e300, minY = 1e300;
    for (long i = 1; i <= 40; ++i) {
        minX = std::min(minX, state.pointX[static_cast<std::size_t>(i)]);
        minY = std::min(minY, state.pointY[static_cast<std::size_t>(i)]);
    }
    EXPECT_GE(minX, 0);
    EXPECT_LT(minX, 0.0001);
    EXPECT_GE(minY, 0);
    EXPECT_LT(minY, 0.0001);

    const auto ndx = readNdx();
    ASSERT_TRUE(ndx);
    EXPECT_EQ(ndx->triangleRows, static_cast<float>(state.triangleCount));
    EXPECT_EQ(ndx->recordCount, 40.0f);
    EXPECT_EQ(ndx->xMin, static_cast<float>(state.xMin));
    EXPECT_GT(ndx->xMin, 499.0f);
    const auto rows = readDh(state.triangleCount);
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->back().c, static_cast<float>(state.triVertexC.back()));
    EXPECT_EQ(rows->back().n3, static_cast<float>(state.triNeighbour.back()[3]));
    const auto xyz = readXyz(40);
    ASSERT_TRUE(xyz);
    EXPECT_EQ((*xyz)[4].x, static_cast<float>(state.pointX[5]));
    EXPECT_TRUE(readOxy(state.triangleCount));
}

// What the build draws, in order: each triangle's three lines in the
// network colour, then circles round its corners in the point colour; after
// the network every point's circle, the text position and its label.
TEST_F(NetworkBuilderTest, DrawsTrianglesThenMarksInOrder)
{
    std::vector<SurveyRecord> recs;
    for (auto [x, y] : {std::pair{0, 0}, {40, 0}, {0, 30}, {50, 40}, {20, 60}, {70, 10}})
        recs.push_back({std::to_string(x), std::to_string(y), "12.3456", "注"});
    writeSurveyTexts(recs);
    ASSERT_TRUE(buildNetwork(ctx));
    const double s = state.plotScale;
    auto at = [&](int p) {
        return std::pair{state.pointX[static_cast<std::size_t>(p)] * s,
                         state.pointY[static_cast<std::size_t>(p)] * s};
    };
    const auto& ops = view.picture1.ops;
    // Network lines are the lines in the network colour (the ruler has its own).
    auto isNet = [this](const RecordingCanvas::Op& op) {
        return op.kind == Kind::Line && op.colour == panel.wangxian;
    };
    auto first = std::find_if(ops.begin(), ops.end(), isNet);
    ASSERT_NE(first, ops.end());
    const int v[3] = {state.triVertexA[1], state.triVertexB[1], state.triVertexC[1]};
    for (int e = 0; e < 3; ++e) {
        const auto& op = *(first + e);
        EXPECT_EQ(op.kind, Kind::Line);
        EXPECT_EQ(op.colour, panel.wangxian);
        EXPECT_DOUBLE_EQ(op.x1, at(v[e]).first);
        EXPECT_DOUBLE_EQ(op.y1, at(v[e]).second);
        EXPECT_DOUBLE_EQ(op.x2, at(v[(e + 1) % 3]).first);
        EXPECT_DOUBLE_EQ(op.y2, at(v[(e + 1) % 3]).second);
    }
    for (int c = 0; c < 3; ++c) {
        const auto& op = *(first + 3 + c);
        EXPECT_EQ(op.kind, Kind::Circle);
        EXPECT_EQ(op.radius, 8);
        EXPECT_EQ(op.colour, panel.dian);
        EXPECT_DOUBLE_EQ(op.x1, at(v[c]).first);
    }
    EXPECT_EQ(std::count_if(ops.begin(), ops.end(), isNet), 3 * state.triangleCount);

    // The marks of point 1 follow the last triangle's corner circles.
    const std::size_t lastLine = static_cast<std::size_t>(
        std::find_if(ops.rbegin(), ops.rend(), isNet) - ops.rbegin());
    const std::size_t marks = ops.size() - lastLine + 3;
    ASSERT_LT(marks + 3, ops.size());
    EXPECT_EQ(ops[marks].kind, Kind::Circle);
    EXPECT_EQ(ops[marks].colour, panel.dian);
    EXPECT_DOUBLE_EQ(ops[marks].x1, at(1).first);
    EXPECT_EQ(ops[marks + 1].kind, Kind::Circle);
    EXPECT_EQ(ops[marks + 1].radius, 0);
    EXPECT_EQ(ops[marks + 2].kind, Kind::Text);
    EXPECT_EQ(ops[marks + 2].text, " 12.345  ");
    EXPECT_EQ(ops[marks + 2].colour, panel.zhuji);
    EXPECT_EQ(ops[marks + 3].text.rfind("注", 0), 0u);
    EXPECT_TRUE(allFinite(view.picture1));

    // Then the ruler, then the export marks every point once more.
    auto isRuler = [this](const RecordingCanvas::Op& op) {
        return op.kind == Kind::Line && op.colour == panel.chadian;
    };
    const auto firstRuler = std::find_if(ops.begin(), ops.end(), isRuler) - ops.begin();
    const auto lastRuler = ops.rend() - std::find_if(ops.rbegin(), ops.rend(), isRuler) - 1;
    const auto lastMark = static_cast<long>(marks) + 6 * 4 - 1;  // circle, position, value, note
    EXPECT_GT(firstRuler, lastMark);
    ASSERT_EQ(static_cast<long>(ops.size()) - lastRuler - 1, 6);
    EXPECT_EQ(ops.back().kind, Kind::Circle);
    EXPECT_DOUBLE_EQ(ops.back().x1, at(6).first);
}

// Drawn again over a whole network, each point's corner circle is drawn
// (and recorded) once, by the last triangle that has it: the earlier ones
// would lie wholly under it. The build drew all three of every triangle.
TEST_F(NetworkBuilderTest, ARedrawDrawsEachPointsCircleOnceWhereItsLastTriangleDid)
{
    writeScattered(40);
    const auto isMark = [this](const RecordingCanvas::Op& op) {
        return op.kind == Kind::Circle && op.colour == panel.dian && op.radius > 0;
    };
    ASSERT_TRUE(buildNetwork(ctx));
    ASSERT_FALSE(state.heldNetwork.drawn.empty());
    const auto built = std::count_if(view.picture1.ops.begin(), view.picture1.ops.end(), isMark);
    view.picture1.forget();
    DrawingRecord record(view.picture1.pixelWidth(), view.picture1.pixelHeight());
    view.picture1.setRecord(&record);
    ASSERT_TRUE(redrawNetwork(ctx));
    view.picture1.setRecord(nullptr);

    const auto& ops = view.picture1.ops;
    const auto painted = std::count_if(ops.begin(), ops.end(), isMark);
    const auto recorded = std::count_if(record.items().begin(), record.items().end(), [this](const auto& item) {
        return item.kind == DrawingRecord::Kind::Circle && item.colour == panel.dian && item.radius > 0;
    });
    const long triangles = static_cast<long>(state.heldNetwork.drawn.size());
    EXPECT_EQ(painted, recorded);
    EXPECT_EQ(built - painted, 3 * triangles - state.recordCount);
    // The network's circle of a point comes right after its last triangle's
    // outline: the last triangle is the one drawn last with it as a corner.
    const auto& last = state.heldNetwork.drawn.back();
    const auto lastOutline = std::find_if(ops.rbegin(), ops.rend(), [this](const RecordingCanvas::Op& op) {
        return op.kind == Kind::Line && op.colour == panel.wangxian;
    });
    ASSERT_NE(lastOutline, ops.rend());
    const auto after = lastOutline.base();
    ASSERT_LT(after + 2, ops.end());
    for (std::size_t c = 0; c < 3; ++c) {
        EXPECT_TRUE(isMark(after[static_cast<long>(c)]));
        EXPECT_DOUBLE_EQ(after[static_cast<long>(c)].x1,
                         state.pointX[static_cast<std::size_t>(last[c])] * state.plotScale);
    }
}

TEST_F(NetworkBuilderTest, EscDuringTriangulationWritesNoWorkingFiles)
{
    writeScattered(30);
    escape.reset(3);
    panel.check15 = true;
    EXPECT_FALSE(buildNetwork(ctx));
    EXPECT_FALSE(anyWorkingFile());
    EXPECT_EQ(prompter.beeps, 1);
    EXPECT_FALSE(panel.check15);
    EXPECT_EQ(escape.polls(), 3);
    // Two triangles were drawn before the third one's Esc test.
    EXPECT_EQ(view.picture1.count(Kind::Line), 6u);
    EXPECT_EQ(view.picture1.count(Kind::Text), 0u);
    for (const RecordingCanvas* c : {&view.picture2, &view.picture4, &view.picture5}) {
        ASSERT_FALSE(c->ops.empty());
        EXPECT_EQ(c->ops.back().kind, Kind::Clear);
    }
}

TEST_F(NetworkBuilderTest, DegenerateExtentsStopWithAMessage)
{
    writeSurvey({{5, 0, 1}, {5, 1, 2}, {5, 2, 3}, {5, 3, 4}, {5, 4, 5}, {5, 5, 6}});
    EXPECT_FALSE(buildNetwork(ctx));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{text::kFlatExtents});
    EXPECT_EQ(state.fileOpen, 0);
    EXPECT_FALSE(anyWorkingFile());
    EXPECT_TRUE(allFinite(view.picture1));
    EXPECT_EQ(view.picture1.count(Kind::Line), 0u);
}

// The grid networks triangulate a grid over the extents, which points on
// one line still span; only the raw network needs the points themselves.
TEST_F(NetworkBuilderTest, CollinearPointsAreRefusedByTheRawNetworkOnly)
{
    writeSurvey({{0, 1, 1}, {1, 3, 2}, {2, 5, 3}, {3, 7, 4}, {4, 9, 5}, {5, 11, 6}, {2, 5, 7}});
    EXPECT_FALSE(buildNetwork(ctx));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{text::kCollinearPoints});
    EXPECT_EQ(state.fileOpen, 0);
    EXPECT_FALSE(anyWorkingFile());
    for (const int kind : {2, 3}) {
        prompter.questions.clear();
        state.fileOpen = 1;
        state.networkKind = kind;
        EXPECT_TRUE(buildNetwork(ctx)) << kind;
        EXPECT_TRUE(prompter.messages().empty()) << kind;
        EXPECT_TRUE(anyWorkingFile()) << kind;
        if (kind == 2)
            EXPECT_GT(state.triangleCount, 0);
        else
            EXPECT_EQ(state.gridColumns, 21);
    }
}

TEST_F(NetworkBuilderTest, FiveOrFewerPointsAreRefusedBeforeAnythingIsDrawn)
{
    writeSurvey({{0, 0, 1}, {10, 0, 2}, {0, 10, 3}, {10, 10, 4}, {5, 6, 5}});
    EXPECT_FALSE(buildNetwork(ctx));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"数据少于6 个,请进入[编辑]添加数据! "});
    EXPECT_FALSE(anyWorkingFile());
    EXPECT_EQ(view.picture1.count(Kind::Line), 0u);
    EXPECT_EQ(state.triangleCount, 0);

    // Two points make no network at all; the user is sent to add data.
    prompter.questions.clear();
    view.picture1.forget();
    writeSurvey({{0, 0, 1}, {10, 5, 2}});
    EXPECT_FALSE(buildNetwork(ctx));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{text::kTooFewPoints});
    EXPECT_EQ(view.picture1.count(Kind::Line), 0u);
    EXPECT_EQ(state.triangleCount, 0);
}

TEST_F(NetworkBuilderTest, NoFileOpenDrawsNoNetwork)
{
    state.fileOpen = 0;
    EXPECT_FALSE(buildNetwork(ctx));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"文件没打开！"});
    EXPECT_EQ(view.picture1.count(Kind::Line), 0u);
    EXPECT_FALSE(anyWorkingFile());
}

TEST_F(NetworkBuilderTest, OptimizedNetworkTriangulatesTheGrid)
{
    writeScattered(50, 100, 100);
    state.networkKind = 2;
    ASSERT_TRUE(buildNetwork(ctx));
    EXPECT_EQ(view.statusText, text::kOptimizedNetwork);
    EXPECT_EQ(state.gridColumns, 11);
    EXPECT_EQ(state.gridRows, 11);
    EXPECT_EQ(state.recordCount, 121);
    EXPECT_EQ(state.fileRecordCount, 50);
    // All 40 boundary nodes lie on the hull: 2 x 121 - 2 - 40 triangles.
    EXPECT_EQ(state.triangleCount, 200);
    const auto grid = readGrid();
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->columns, 11);
    EXPECT_EQ(grid->rows, 11);
    ASSERT_EQ(grid->values.size(), 121u);
    EXPECT_EQ(grid->values[60], static_cast<float>(state.pointZ[61]));
    EXPECT_EQ(readNdx()->recordCount, 121.0f);
    // Grid nodes carry no notes, so only values are printed.
    for (const auto& t : view.picture1.texts())
        EXPECT_EQ(t.back(), ' ');
}

TEST_F(NetworkBuilderTest, ThreeDimensionalNetworkWritesTheFixedGrid)
{
    writeScattered(6);
    state.networkKind = 3;
    ASSERT_TRUE(buildNetwork(ctx));
    EXPECT_EQ(view.statusText, text::k3dNetwork);
    EXPECT_EQ(state.recordCount, 441);
    EXPECT_EQ(state.triangleCount, 0);
    for (const auto& op : view.picture1.opsOf(Kind::Line))
        EXPECT_NE(op.colour, panel.wangxian);  // only the ruler's lines
    const std::string bytes = test::readBytes(dir.file("D3d.dzx"));
    ASSERT_EQ(bytes.size(), 442u * 32);
    float head[3];
    std::memcpy(head, bytes.data(), sizeof head);
    EXPECT_EQ(head[0], 21.0f);
    EXPECT_EQ(head[1], 21.0f);
    EXPECT_EQ(head[2], 441.0f);
    const auto ndx = readNdx();
    ASSERT_TRUE(ndx);
    EXPECT_EQ(ndx->recordCount, 441.0f);
    EXPECT_EQ(ndx->triangleRows, 0.0f);
    EXPECT_EQ(static_cast<int>(view.picture1.count(Kind::Circle)), 2 * 441 + 441);
}

TEST_F(NetworkBuilderTest, SmallUnitsKeepTheirShape)
{
    // Coordinates a millionth apart: offsets must not swamp the data.
    std::vector<std::array<double, 3>> pts;
    for (int i = 0; i < 12; ++i)
        pts.push_back({1e-6 * (i % 4), 1e-6 * (i / 4) + 1e-7 * (i % 3), double(i)});
    writeSurvey(pts);
    ASSERT_TRUE(buildNetwork(ctx));
    for (std::size_t i = 1; i <= 12; ++i) {
        EXPECT_NEAR(state.pointX[i], pts[i - 1][0] - state.xMin, 1e-9);
        EXPECT_NEAR(state.pointY[i], pts[i - 1][1] - state.yMin, 1e-9);
    }
    EXPECT_GE(state.triangleCount, 12 - 2);
    EXPECT_TRUE(allFinite(view.picture1));
}

TEST_F(NetworkBuilderTest, HugeUnitsBuildAFiniteNetwork)
{
    writeScattered(30, 1e9, 6e8);
    ASSERT_TRUE(buildNetwork(ctx));
    EXPECT_GE(state.triangleCount, 30 - 2);
    EXPECT_TRUE(allFinite(view.picture1));
    const auto xyz = readXyz(30);
    ASSERT_TRUE(xyz);
    for (const auto& r : *xyz)
        EXPECT_TRUE(std::isfinite(r.x) && std::isfinite(r.y) && r.x <= 1.0001e9f);
}

// A build no one will see (a headless render's, which its Draw paints over
// from a clear) leaves out its drawing but not its work: the same working
// files byte for byte, the same held network for Draw, the same label mode.
TEST_F(NetworkBuilderTest, UnseenBuildDrawsNothingButWritesTheSameFiles)
{
    writeScattered(60);
    const auto bytes = [this] {
        std::string all;
        for (const char* f : {"dzx.NDX", "dzx.XYZ", "dzx.OXY", "dzx.DH"}) {
            std::ifstream in(dir.file(f), std::ios::binary);
            all += std::string(std::istreambuf_iterator<char>(in), {}) + '|';
        }
        return all;
    };
    panel.pointLabelMode = 0;
    ASSERT_TRUE(buildNetwork(ctx));
    const std::string seen = bytes();
    const auto seenTriangles = state.heldNetwork.drawn;
    const int seenMode = panel.pointLabelMode;

    view.buildSeen = false;
    view.picture1.ops.clear();
    panel.pointLabelMode = 0;
    random.setFixedSeed(20261207);
    ASSERT_TRUE(buildNetwork(ctx));
    EXPECT_EQ(bytes(), seen);
    EXPECT_EQ(state.heldNetwork.drawn, seenTriangles);
    EXPECT_EQ(panel.pointLabelMode, seenMode);
    // Only the background the build starts from.
    for (const auto& op : view.picture1.ops)
        EXPECT_TRUE(op.kind == Kind::FilledBox || op.kind == Kind::Clear) << static_cast<int>(op.kind);
}

// The open lends the build the records it has just read: the build takes
// its points from them, not from the file again; a failed read is not lent.
TEST_F(NetworkBuilderTest, ABuildTakesTheRecordsItIsLentInsteadOfTheFile)
{
    writeScattered(30);
    SurveyReadResult lent = readSurveyFile(state.dataFileName);
    ASSERT_TRUE(lent.ok);
    writeScattered(20);
    ASSERT_TRUE(buildNetwork(ctx, true, &lent));
    EXPECT_EQ(state.recordCount, 30);
    SurveyReadResult failed;
    ASSERT_TRUE(buildNetwork(ctx, true, &failed));
    EXPECT_EQ(state.recordCount, 20);
}

// A build's progress strip gets one box per new pixel column, not one per
// point or triangle: within each of its few stages (each starts again from
// the left, after a clear or not) every box reaches a column further.
TEST_F(NetworkBuilderTest, TheProgressStripGrowsByWholePixelColumns)
{
    writeScattered(3000);
    ASSERT_TRUE(buildNetwork(ctx));
    const RecordingCanvas& strip = view.picture2;
    const double columns = strip.toPixelX(strip.scaleWidth()) - strip.toPixelX(0);
    std::size_t boxes = 0;
    int stages = 0;
    double lastColumn = -1;
    for (const auto& op : strip.ops) {
        if (op.kind == Kind::Clear) {
            lastColumn = -1;
            continue;
        }
        if (op.kind != Kind::FilledBox)
            continue;
        ++boxes;
        const double column = std::floor(strip.toPixelX(op.x2));
        if (column <= lastColumn || lastColumn < 0)
            ++stages;
        EXPECT_NE(column, lastColumn);
        lastColumn = column;
    }
    EXPECT_GT(boxes, 0u);
    EXPECT_LE(stages, 6);
    EXPECT_LE(static_cast<double>(boxes), stages * (columns + 1));
}

} // namespace
} // namespace tervane
