#include "engine/state/LegendLayout.h"
#include "ui/CanvasWidget.h"
#include "ui/LegendWindow.h"
#include "ui/MainWindowHarness.h"
#include "ui/ParameterPanel.h"
#include "ui/RecentFiles.h"

#include <QAction>
#include <QActionGroup>
#include <QFile>
#include <QMenu>

#include <gtest/gtest.h>

namespace tervane {
namespace {

const char* const kExample = TERVANE_SOURCE_DIR "/examples/hill-and-saddle.D3D";

void rememberDefaults()
{
    MapOptions::setClassic(false);
    MapOptions::setContourLabels(1);
    MapOptions::setLegend(true);
    MapOptions::setCoordinates(true);
    MapOptions::setFillBands(false);
}

class MainWindowOptionsTest : public test::MainWindowFixture {
protected:
    MainWindowOptionsTest() : MainWindowFixture(7) {}

    // Every test starts from the choices a new user has, and leaves them so
    // for the window tests that run after it in this process.
    void SetUp() override
    {
        test::ensureQtApp();
        rememberDefaults();
        MainWindowFixture::SetUp();
    }
    void TearDown() override
    {
        MainWindowFixture::TearDown();
        rememberDefaults();
    }

    QAction* entry(const char* name) const { return window->findChild<QAction*>(QString::fromLatin1(name)); }

    void newWindow() { window = std::make_unique<MainWindow>(state, random, prompter, escape); }

    bool legendShowing() const
    {
        const LegendWindow* legend = window->legendWindow();
        return legend != nullptr && legend->isVisible();
    }

    void drawExample()
    {
        window->openFile(kExample);
        window->onDraw();
        ASSERT_TRUE(prompter.messages().empty());
    }
};

TEST_F(MainWindowOptionsTest, TheMenuHoldsTheMapChoicesWithTheirDefaults)
{
    EXPECT_EQ(menuCaptions("xx"), (QStringList{"等值线注记", "图例", "坐标", "填充色带", "-", "原样式"}));
    EXPECT_EQ(menuCaptions("dzxzj"), (QStringList{"无", "计曲线", "全部"}));
    for (const char* name : {"dzxzj0", "dzxzj1", "dzxzj2", "tl", "zb", "tcsd", "yys"}) {
        ASSERT_NE(entry(name), nullptr) << name;
        EXPECT_TRUE(entry(name)->isCheckable()) << name;
    }
    EXPECT_TRUE(entry("dzxzj1")->isChecked());
    EXPECT_TRUE(entry("tl")->isChecked());
    EXPECT_TRUE(entry("zb")->isChecked());
    EXPECT_FALSE(entry("yys")->isChecked());
    EXPECT_FALSE(entry("tcsd")->isChecked());

    // One contour-label choice at a time.
    entry("dzxzj2")->trigger();
    EXPECT_FALSE(entry("dzxzj1")->isChecked());
    EXPECT_TRUE(entry("dzxzj2")->isChecked());
    ASSERT_NE(entry("dzxzj2")->actionGroup(), nullptr);
    EXPECT_TRUE(entry("dzxzj2")->actionGroup()->isExclusive());
}

// What is ticked is what the next command's panel carries, and what the
// next window starts with.
TEST_F(MainWindowOptionsTest, ChoicesReachThePanelAndAreRemembered)
{
    struct Case {
        const char* contourEntry;
        int contourLabels;
        bool legend;
        bool coordinates;
        bool classic;
        bool fill;
    };
    const Case cases[] = {
        {"dzxzj0", 0, false, true, false, true},
        {"dzxzj2", 2, true, false, true, false},
        {"dzxzj1", 1, false, false, false, true},
        {"dzxzj1", 1, true, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.contourEntry + std::string(c.legend ? " legend" : "") + (c.coordinates ? " coordinates" : "") +
                     (c.classic ? " classic" : ""));
        entry(c.contourEntry)->trigger();
        entry("tl")->setChecked(c.legend);
        entry("zb")->setChecked(c.coordinates);
        entry("yys")->setChecked(c.classic);
        entry("tcsd")->setChecked(c.fill);
        window->openFile(kExample);
        const PanelSettings& panel = window->panelSettings();
        EXPECT_EQ(panel.contourLabels, c.contourLabels);
        EXPECT_EQ(panel.legend, c.legend);
        EXPECT_EQ(panel.coordinates, c.coordinates);
        EXPECT_EQ(panel.classic, c.classic);
        EXPECT_EQ(panel.fillBands, c.fill);

        EXPECT_EQ(MapOptions::contourLabels(), c.contourLabels);
        EXPECT_EQ(MapOptions::legend(), c.legend);
        EXPECT_EQ(MapOptions::coordinates(), c.coordinates);
        EXPECT_EQ(MapOptions::classic(), c.classic);
        EXPECT_EQ(MapOptions::fillBands(), c.fill);
        newWindow();
        EXPECT_TRUE(entry(c.contourEntry)->isChecked());
        EXPECT_EQ(entry("tl")->isChecked(), c.legend);
        EXPECT_EQ(entry("zb")->isChecked(), c.coordinates);
        EXPECT_EQ(entry("yys")->isChecked(), c.classic);
        EXPECT_EQ(entry("tcsd")->isChecked(), c.fill);
    }
}

// The legend of a Draw run shows in its own window beside the main one,
// while 图例 is ticked and 原样式 is not; a command that draws something
// else takes it away.
TEST_F(MainWindowOptionsTest, TheLegendWindowFollowsTheDrawAndTheOptions)
{
    window->openFile(kExample);
    EXPECT_FALSE(legendShowing()) << "no legend before a Draw";
    window->onDraw();
    ASSERT_TRUE(legendShowing());
    const LegendWindow& legend = *window->legendWindow();
    EXPECT_GE(legend.picture().width(), legend::kMinWidth);
    EXPECT_LE(legend.picture().width(), legend::kMaxWidth);
    EXPECT_LE(legend.picture().height(), window->drawingWidget()->canvas().pixelHeight());
    const CanvasWidget* map = window->drawingWidget();
    EXPECT_GT(legend.geometry().left(), map->mapToGlobal(QPoint(map->width(), 0)).x()) << "it never lies over the map";

    entry("tl")->setChecked(false);
    EXPECT_FALSE(legendShowing());
    entry("tl")->setChecked(true);
    EXPECT_TRUE(legendShowing());
    entry("yys")->setChecked(true);
    EXPECT_FALSE(legendShowing());
    entry("yys")->setChecked(false);
    EXPECT_TRUE(legendShowing());

    window->onClearScreen();
    EXPECT_FALSE(legendShowing());
    entry("tl")->setChecked(false);
    entry("tl")->setChecked(true);
    EXPECT_FALSE(legendShowing()) << "the cleared area has no legend to show";

    // A rendered map's legend lists its levels, so it is taller than a line map's.
    window->onDraw();
    ASSERT_TRUE(legendShowing());
    const int lineMapHeight = window->legendWindow()->picture().height();
    PanelSettings rendered = window->parameterPanel()->snapshot();
    rendered.lineWidthText = "5";
    window->parameterPanel()->apply(rendered);
    window->onDraw();
    ASSERT_TRUE(legendShowing());
    EXPECT_GT(window->legendWindow()->picture().height(), 2 * lineMapHeight);
    EXPECT_TRUE(state.legend.rendered);

    window->openFile(kExample);
    EXPECT_FALSE(legendShowing()) << "the network of a new open has no legend";
}

TEST_F(MainWindowOptionsTest, TheExportedDrawingCarriesTheLegendTheWindowShows)
{
    const auto exported = [this](const char* name) {
        const QString path = folder->file(QString::fromLatin1(name));
        EXPECT_TRUE(window->exportVector(path));
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    window->openFile(kExample);
    EXPECT_FALSE(exported("network.svg").contains("图例"));
    window->onDraw();
    const QByteArray withLegend = exported("map.svg");
    EXPECT_TRUE(withLegend.contains("图例"));
    EXPECT_TRUE(withLegend.contains("等高距"));
    entry("tl")->setChecked(false);
    EXPECT_FALSE(exported("bare.svg").contains("图例"));
}

} // namespace
} // namespace tervane
