#include "ui/MainWindow.h"
#include "ui/ParameterPanel.h"
#include "ui/CanvasWidget.h"
#include "ui/QtEscapeKey.h"
#include "support/ScratchDir.h"
#include "ui/QtTestApp.h"
#include "engine/base/ScriptedPrompter.h"

#include <QCheckBox>

#include <gtest/gtest.h>

namespace tervane {
namespace {

long pixelsOf(const QImage& image, Colour colour)
{
    long n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += fromQColor(image.pixelColor(x, y)) == colour ? 1 : 0;
    return n;
}

// The Play menu from the window: the HPGL box is unticked on the panel as
// well (its caption back to "HPGL"), the chosen file is drawn in the curve
// colour on the background colour, and the data file is given up.
TEST(MainWindowPlay, UnticksTheHpglBoxAndDrawsTheChosenFile)
{
    test::ensureQtApp();
    test::ScratchDir dir;
    const std::string plot = dir.file("map.PLT");
    test::writeBytes(plot, "IN;\r\nPA:\r\nSP1;\r\nSP0;\r\nPU0,0;\r\nPD0,0;\r\nPD3000,0;\r\nPD3000,2000;\r\n"
                           "PD0,2000;\r\nPD0,0;\r\nPU0,0;SP0;\r\n");
    SharedState state;
    state.fileOpen = 1;
    Random random{3};
    ScriptedPrompter prompter;
    QtEscapeKey escape;
    MainWindow w(state, random, prompter, escape);
    PanelSettings settings = w.parameterPanel()->snapshot();
    settings.check15 = true;
    settings.quxian = rgb(250, 10, 10);
    settings.beijing = rgb(10, 10, 90);
    w.parameterPanel()->apply(settings);
    auto* hpgl = w.findChild<QCheckBox*>(QStringLiteral("Check15"));
    ASSERT_NE(hpgl, nullptr);
    ASSERT_EQ(hpgl->text(), QStringLiteral("录制"));

    prompter.openPaths.push_back(plot);
    w.onPlay();

    EXPECT_FALSE(hpgl->isChecked());
    EXPECT_EQ(hpgl->text(), QStringLiteral("HPGL"));
    EXPECT_EQ(state.fileOpen, 0);
    EXPECT_EQ(state.dataFileName, plot);
    // The survey file is given up, so the caption names what is shown now.
    EXPECT_EQ(w.caption(), "  Tervane V2.0    " + plot);
    EXPECT_EQ(prompter.last().filter, "All Files (*.*)|*.*|HPGL Files(*.plt)|*.plt");
    const QImage area = w.findChild<CanvasWidget*>(QStringLiteral("Picture1"))->canvas().image();
    EXPECT_GT(pixelsOf(area, rgb(250, 10, 10)), 1000);
    EXPECT_GT(pixelsOf(area, rgb(10, 10, 90)), area.width() * area.height() / 2);
}

} // namespace
} // namespace tervane
