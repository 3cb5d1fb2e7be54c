#include "ui/View3dWindow.h"

#include "engine/base/ScriptedPrompter.h"
#include "engine/network/WorkingFiles.h"
#include "support/ScratchDir.h"
#include "ui/CurrentFolder.h"
#include "ui/PaintedPixels.h"
#include "ui/QtEscapeKey.h"
#include "ui/QtTestApp.h"
#include "ui/SurfaceArea.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace tervane {
namespace {

class View3dWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ensureQtApp();
        GridFile grid{21, 21, {}};  // a dome, highest in the middle
        for (int k = 0; k < kSurfaceNodes; ++k) {
            const double a = k / 21 - 10.0, b = k % 21 - 10.0;
            grid.values.push_back(static_cast<float>(100 - a * a - b * b));
        }
        writeGrid(grid, folder.path().toStdString());
        state.dataFileName = "  /survey/site.D3D ";
        state.fileRecordCount = 25;
    }

    std::unique_ptr<View3dWindow> open()
    {
        auto window = std::make_unique<View3dWindow>(state, prompter, escape);
        QCoreApplication::processEvents();
        return window;
    }

    template <typename T = QPushButton>
    static T* control(View3dWindow& w, const char* name)
    {
        return w.findChild<T*>(QString::fromLatin1(name));
    }

    test::InTemporaryFolder folder;
    SharedState state;
    ScriptedPrompter prompter;
    QtEscapeKey escape;
};

TEST_F(View3dWindowTest, OpensWithItsCaptionAndControls)
{
    auto w = open();
    EXPECT_EQ(w->windowTitle().toStdString(), "  Tervane V2.0    /survey/site.D3D  : Record   1 to  25");
    EXPECT_EQ(w->size(), QSize(792, 560));
    const std::pair<const char*, const char*> buttons[] = {
        {"GoEdit", "编辑图"}, {"EditMap", "更新图"}, {"yulanstep", "抽象预览"}, {"Command1", "返  回"},
        {"cuntu", "存图"},    {"dayin", "打印"},     {"ShowGridHelp", "打开帮助"}};
    for (const auto& [name, caption] : buttons) {
        ASSERT_NE(control(*w, name), nullptr) << name;
        EXPECT_EQ(control(*w, name)->text().toStdString(), caption) << name;
    }
    EXPECT_EQ(control<QComboBox>(*w, "biao")->count(), 11);
    EXPECT_EQ(control(*w, "beijing")->toolTip().toStdString(), "点击色块选择背景颜色");
    EXPECT_TRUE(prompter.questions.empty());
    EXPECT_EQ(w->grid().nodeZ(0), -100) << "the border values of the file are kept until a classification";
}

TEST_F(View3dWindowTest, AMissingGridOpensWithAMessageAndNothingToDraw)
{
    QFile::remove(folder.file("D3d.dzx"));
    auto w = open();
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_FALSE(control(*w, "EditMap")->isEnabled());
    EXPECT_FALSE(control(*w, "GoEdit")->isEnabled());
    EXPECT_TRUE(control(*w, "Command1")->isEnabled());
}

TEST_F(View3dWindowTest, DrawingFillsTheAreaLiveOrOffScreenAndEscEmptiesIt)
{
    for (bool live : {true, false}) {
        auto w = open();
        control<QCheckBox>(*w, "guocheng")->setChecked(live);
        w->onEditMap();
        const QImage image = w->drawingArea()->picture();
        EXPECT_GT(test::paintedPixels(image, image.rect(), 3), 1000) << live;

        escape.press();
        w->drawingArea()->shown().filledBox(0, 0, 1e6, 1e6, rgb(255, 0, 0));
        // The press is forgotten when a run begins; a press inside the run stops it.
        QTimer::singleShot(0, &escape, [this] { escape.press(); });
        w->onEditMap();
        const QImage empty = w->drawingArea()->picture();
        EXPECT_EQ(empty.pixel(250, 250) & 0xFFFFFF, 0u) << live;
    }
}

TEST_F(View3dWindowTest, AngleAndHeightBoxesKeepTheFocusUntilValid)
{
    auto w = open();
    auto* angle = control<QLineEdit>(*w, "DataAngle");
    angle->setText(" 90 ");
    EXPECT_TRUE(w->onAngleLeft());
    EXPECT_EQ(angle->text(), "90");
    EXPECT_EQ(w->projection().rowShift, 0);
    angle->setText("045");
    EXPECT_FALSE(w->onAngleLeft());
    EXPECT_EQ(w->projection().viewAngle, 90);
    control<QLineEdit>(*w, "DataHeight")->setText("201");
    EXPECT_FALSE(w->onHeightLeft());
    control<QLineEdit>(*w, "DataHeight")->setText("200");
    EXPECT_TRUE(w->onHeightLeft());
    EXPECT_EQ(w->projection().cellHeight, 200);
}

// A drawing puts the boxes' texts through the rule they use on leaving,
// whether or not the box was left: a refused text draws nothing and is said.
TEST_F(View3dWindowTest, EveryDrawingChecksTheAngleAndHeightBoxesFirst)
{
    struct Case {
        const char* name;
        const char* leftAngle;  // entered and left before the drawing, or null
        const char* angle;
        const char* height;
        bool preview;
        const char* refusal;  // the start of the message, or null when it draws
        double viewAngle, cellHeight, rowShift, columnSpacing;
    };
    const double spacing = SurfaceProjection::kDefaultSpacing;
    const Case cases[] = {
        {"angle 400, redraw", nullptr, "400", "120", false, "角度 ( 1-360 ) 不接受“400”", 45, 120, 120, spacing},
        {"angle 0, preview", nullptr, "0", "120", true, "角度 ( 1-360 ) 不接受“0”", 45, 120, 120, spacing},
        {"angle 045", nullptr, "045", "120", false, "角度 ( 1-360 ) 不接受“045”", 45, 120, 120, spacing},
        {"height 5", nullptr, "45", "5", false, "高度 ( 10-200 ) 不接受“5”", 45, 120, 120, spacing},
        {"height 201, preview", nullptr, "45", "201", true, "高度 ( 10-200 ) 不接受“201”", 45, 120, 120, spacing},
        {"angle 90 not yet left", nullptr, " 90 ", "120", false, nullptr, 90, 120, 0, 120},
        {"both boxes not yet left", nullptr, "135", "60", true, nullptr, 135, 60, 60 / std::tan(3.141592654 / 180 * 135), 60},
        // The height is not entered again: that would reset the spacing.
        {"accepted angle above 90", "100", "100", "120", false, nullptr, 100, 120, 120 / std::tan(3.141592654 / 180 * 100), 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompter.questions.clear();
        auto w = open();
        auto* angle = control<QLineEdit>(*w, "DataAngle");
        if (c.leftAngle) {
            angle->setText(QString::fromUtf8(c.leftAngle));
            ASSERT_TRUE(w->onAngleLeft());
        }
        angle->setText(QString::fromUtf8(c.angle));
        control<QLineEdit>(*w, "DataHeight")->setText(QString::fromUtf8(c.height));
        if (c.preview)
            w->onPreview();
        else
            w->onEditMap();
        const QImage image = w->drawingArea()->picture();
        if (c.refusal) {
            EXPECT_EQ(test::paintedPixels(image, image.rect(), 3), 0) << "nothing is drawn";
            ASSERT_EQ(prompter.messages().size(), 1u);
            EXPECT_EQ(prompter.messages()[0].rfind(c.refusal, 0), 0u) << prompter.messages()[0];
        } else {
            EXPECT_GT(test::paintedPixels(image, image.rect(), 3), 200) << "the preview is sparse, but drawn";
            EXPECT_TRUE(prompter.messages().empty());
        }
        const SurfaceProjection& p = w->projection();
        EXPECT_EQ(p.viewAngle, c.viewAngle);
        EXPECT_EQ(p.cellHeight, c.cellHeight);
        EXPECT_NEAR(p.rowShift, c.rowShift, 1e-9);
        EXPECT_NEAR(p.columnSpacing, c.columnSpacing, 1e-9);
    }
}

TEST_F(View3dWindowTest, EditingShowsInteriorBoxesWritesLevelsBackAndHoldsTheWindowOpen)
{
    auto w = open();
    w->onGoEdit();
    ASSERT_TRUE(w->editing());
    EXPECT_EQ(control(*w, "GoEdit")->text().toStdString(), "隐蔽网格");
    for (const char* name : {"EditMap", "yulanstep", "Command1"})
        EXPECT_FALSE(control(*w, name)->isEnabled()) << name;
    EXPECT_FALSE(w->drawingArea()->isVisible());
    EXPECT_FALSE(w->gridBox(0)->isVisible());
    EXPECT_TRUE(w->gridBox(22)->isVisibleTo(w.get()));
    EXPECT_EQ(w->gridBox(220)->text(), "9") << "the dome's top";

    QCloseEvent close;
    QCoreApplication::sendEvent(w.get(), &close);
    EXPECT_FALSE(w->finished()) << "the close box does nothing while editing";

    w->gridBox(100)->setText(" 4.5 ");
    EXPECT_TRUE(w->onGridBoxLeft(100));
    const double expected = w->grid().viewZMin() + (w->grid().viewZMax() - w->grid().viewZMin()) / 9 * 4.5;
    EXPECT_DOUBLE_EQ(w->grid().nodeZ(100), expected);
    w->gridBox(101)->setText("4a");
    EXPECT_FALSE(w->onGridBoxLeft(101));

    w->onGoEdit();
    EXPECT_FALSE(w->editing());
    EXPECT_TRUE(control(*w, "Command1")->isEnabled());
    EXPECT_FALSE(w->gridBox(22)->isVisibleTo(w.get()));

    // Out of editing, the close box and the return button leave once.
    int closed = 0;
    QObject::connect(w.get(), &View3dWindow::closed, [&closed] { ++closed; });
    QCloseEvent closeAgain;
    QCoreApplication::sendEvent(w.get(), &closeAgain);
    w->onReturn();
    QCoreApplication::processEvents();
    EXPECT_EQ(closed, 1);
}

TEST_F(View3dWindowTest, ABlockChangeGoesToTheUsersTableAndAnotherTableShowsItsOwn)
{
    auto w = open();
    auto* biao = control<QComboBox>(*w, "biao");
    biao->setCurrentText("5");
    const Colour table5Level3 = w->colours().colour(3);
    prompter.colours.push_back(rgb(255, 0, 0));
    w->onColourSample(3);
    EXPECT_EQ(w->colours().colour(3), table5Level3) << "table 5 shows its own colour again";
    const std::string bytes = test::readBytes(folder.file("color0.DAT").toStdString());
    biao->setCurrentText("0");
    EXPECT_EQ(w->colours().colour(3), rgb(255, 0, 0)) << "the user's table is read back from the file";
    w->onColourSample(4);
    EXPECT_EQ(test::readBytes(folder.file("color0.DAT").toStdString()), bytes) << "a cancelled dialog changes nothing";
}

// A broken table in the current folder is told once, however often it is
// read again, and the shipped table is drawn; a block change that cannot be
// stored says so and the block keeps the stored colour.
TEST_F(View3dWindowTest, ColourTableFaultsAreToldAndTheBlockFollowsTheStoredColour)
{
    test::writeBytes(folder.file("color5.DAT").toStdString(), std::string(6, '\0'));
    std::filesystem::create_directory(folder.file("color0.DAT").toStdString());
    auto w = open();
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_NE(prompter.messages()[0].find("color0.DAT 不是普通文件"), std::string::npos) << prompter.messages()[0];

    auto* biao = control<QComboBox>(*w, "biao");
    biao->setCurrentText("5");
    w->onEditMap();
    w->onEditMap();
    ASSERT_EQ(prompter.messages().size(), 2u);
    EXPECT_NE(prompter.messages()[1].find("color5.DAT 不完整"), std::string::npos) << prompter.messages()[1];
    EXPECT_GT(test::paintedPixels(w->drawingArea()->picture()), 5000) << "the shipped table 5 is drawn";
    EXPECT_NE(w->colours().colour(9), 0u);

    biao->setCurrentText("0");
    const Colour stored = w->colours().colour(3);
    ASSERT_NE(stored, rgb(255, 0, 0));
    prompter.colours.push_back(rgb(255, 0, 0));
    w->onColourSample(3);
    EXPECT_NE(prompter.last().text.find("这不是一个普通文件"), std::string::npos) << prompter.last().text;
    EXPECT_EQ(w->colours().colour(3), stored);
    for (QPushButton* block : w->findChildren<QPushButton*>(QStringLiteral("ColorSample"))) {
        if (block->property("slot").toInt() == 3)
            EXPECT_TRUE(block->styleSheet().contains(QStringLiteral("rgb(%1, %2, %3)")
                                                         .arg(redOf(stored))
                                                         .arg(greenOf(stored))
                                                         .arg(blueOf(stored))))
                << block->styleSheet().toStdString();
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder.file("color0.DAT").toStdString()));
}

TEST_F(View3dWindowTest, SaveAsksThenStoresTheCutOutBesideTheDataFile)
{
    auto w = open();
    w->onEditMap();
    state.dataFileName = " " + folder.file("site.D3D").toStdString() + " ";
    const std::string saved = folder.file("site_D3D.BMP").toStdString();

    prompter.answers.push_back(Answer::No);
    w->onSave();
    EXPECT_EQ(prompter.last().text, "按[是]键，将屏幕图形用已打开的等值线文件名存储为 \n" + saved + "  若按［否］则不保存。");
    EXPECT_EQ(prompter.last().buttons, MessageButtons::YesNo);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(saved)));

    prompter.answers.push_back(Answer::Yes);
    w->onSave();
    EXPECT_EQ(QImage(QString::fromStdString(saved)).size(), QSize(511, 487));
    EXPECT_EQ(w->drawingArea()->picture().size(), QSize(511, 487)) << "the cut-out stays in the area";

    // A name that holds a folder cannot take the picture: the message says
    // why, and the folder stays.
    std::filesystem::remove(saved);
    std::filesystem::create_directory(saved);
    prompter.answers.push_back(Answer::Yes);
    w->onSave();
    EXPECT_EQ(prompter.last().text, "不能写入图形文件 " + saved + "\n这不是一个普通文件，不能写入: " + saved);
    EXPECT_TRUE(std::filesystem::is_directory(saved));

    state.dataFileName = "   ";
    w->onSave();
    EXPECT_EQ(prompter.last().text,
              "  不能存储!捕获的图形总是用已经打开的数据文件名存\n储为(.bmp)文件,您捕获之前没有打开任何数据文件.");
}

TEST_F(View3dWindowTest, PrintGoesThroughTheDialogAndACancelPrintsNothing)
{
    auto w = open();
    w->onEditMap();
    const QString pdf = folder.file("view.pdf");
    bool accept = true;
    w->setPrinterDialog([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return accept;
    });
    w->onPrint();
    EXPECT_TRUE(QFile::exists(pdf));
    QFile::remove(pdf);
    accept = false;
    w->onPrint();
    EXPECT_FALSE(QFile::exists(pdf));
}

} // namespace
} // namespace tervane
