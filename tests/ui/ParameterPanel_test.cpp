#include "ui/ParameterPanel.h"

#include "ui/QtTestApp.h"
#include "engine/base/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>

namespace tervane {
namespace {

QColor colourOf(Colour c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

class ParameterPanelTest : public ::testing::Test {
protected:
    ParameterPanelTest()
    {
        test::ensureQtApp();
        panel = std::make_unique<ParameterPanel>(prompter);
    }

    template <class W> W* find(const char* name) const
    {
        W* w = panel->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QComboBox* combo(const char* name) const { return find<QComboBox>(name); }
    QCheckBox* check(const char* name) const { return find<QCheckBox>(name); }
    QScrollBar* scroll(const char* name) const { return find<QScrollBar>(name); }

    // Replaces the box's text by typing, as the user would.
    static void type(QComboBox* box, const QString& text)
    {
        QLineEdit* edit = box->lineEdit();
        edit->selectAll();
        for (QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, ch.toLatin1(), Qt::NoModifier, QString(ch));
            QApplication::sendEvent(edit, &press);
        }
    }
    // Picks an entry from the box's list.
    static void choose(QComboBox* box, const QString& text)
    {
        const int index = box->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    static void clickBlock(QWidget* block)
    {
        const QPointF at(3, 3);
        QMouseEvent press(QEvent::MouseButtonPress, at, block->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, block->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(block, &press);
        QApplication::sendEvent(block, &release);
    }
    static QColor back(QComboBox* box) { return box->palette().color(QPalette::Base); }

    void expectBoxLook(const char* name, bool checked)
    {
        QCheckBox* box = check(name);
        EXPECT_EQ(box->isChecked(), checked) << name;
        const QColor backColour = checked ? QColor(0, 128, 0) : QColor(192, 192, 192);
        EXPECT_EQ(box->palette().color(box->foregroundRole()),
                  checked ? QColor(0, 255, 0) : QColor(0, 0, 0)) << name;
        // The background as painted, right of the caption.
        const QImage image = box->grab().toImage();
        EXPECT_EQ(image.pixelColor(image.width() - 2, image.height() / 2), backColour) << name;
    }

    ScriptedPrompter prompter;
    std::unique_ptr<ParameterPanel> panel;
};

const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kGrey(192, 192, 192);

TEST_F(ParameterPanelTest, ListsHoldTheirEntriesInOrder)
{
    QComboBox* c1 = combo("Combo1");
    ASSERT_EQ(c1->count(), 37);
    const std::vector<std::pair<int, const char*>> interval{
        {0, ".01"}, {8, ".09"}, {9, ".10"}, {10, ".2"}, {17, ".9"}, {18, "1"}, {27, "10"},
        {28, "20"}, {35, "90"}, {36, "99"}};
    for (const auto& [i, text] : interval)
        EXPECT_EQ(c1->itemText(i), QString::fromLatin1(text)) << i;

    QComboBox* c2 = combo("Combo2");
    ASSERT_EQ(c2->count(), 94);
    const std::vector<std::pair<int, const char*>> error{
        {0, ".001"}, {1, ".005"}, {2, ".01"}, {10, ".09"}, {11, "0.1"}, {19, "0.9"}, {20, "1"},
        {69, "50"}, {79, "0.1"}, {83, "0.5"}, {84, "1"}, {93, "10"}};
    for (const auto& [i, text] : error)
        EXPECT_EQ(c2->itemText(i), QString::fromLatin1(text)) << i;
    for (int i = 70; i <= 78; ++i)
        EXPECT_TRUE(c2->itemText(i).isEmpty()) << i;

    QComboBox* c3 = combo("Combo3");
    ASSERT_EQ(c3->count(), 99);
    for (int i = 0; i < 99; ++i)
        EXPECT_EQ(c3->itemText(i), QString::number(i + 1));
    QComboBox* c4 = combo("Combo4");
    ASSERT_EQ(c4->count(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(c4->itemText(i), QString::number(i));
}

TEST_F(ParameterPanelTest, StartsWithTheDefaultsAndTheirColours)
{
    EXPECT_EQ(combo("Combo1")->currentText(), "1");
    EXPECT_EQ(combo("Combo2")->currentText(), "0.1");
    EXPECT_EQ(combo("Combo3")->currentText(), "1");
    EXPECT_EQ(combo("Combo4")->currentText(), "0");
    EXPECT_FALSE(combo("Combo2")->isEnabled());
    EXPECT_EQ(back(combo("Combo2")), kGrey);
    EXPECT_EQ(back(combo("Combo1")), kWhite);
    EXPECT_EQ(back(combo("Combo4")), kWhite);

    for (const char* on : {"Check1", "Check9"})
        expectBoxLook(on, true);
    for (const char* off : {"Check2", "Check3", "Check4", "Check5", "Check10", "Check11", "Check12",
                            "Check13", "Check14", "Check16"})
        expectBoxLook(off, false);

    EXPECT_EQ(scroll("HScroll1")->value(), 4);
    EXPECT_EQ(scroll("HScroll1")->minimum(), 2);
    EXPECT_EQ(scroll("HScroll1")->maximum(), 9);
    EXPECT_EQ(find<QLabel>("Label12")->text(), "2");
    for (const char* name : {"HScroll3", "HScroll4"}) {
        EXPECT_EQ(scroll(name)->minimum(), 16);
        EXPECT_EQ(scroll(name)->maximum(), 255);
        EXPECT_EQ(scroll(name)->value(), 255);
    }

    const PanelSettings defaults;
    const std::vector<std::pair<const char*, Colour>> blocks{
        {"beijing", defaults.beijing}, {"wangxian", defaults.wangxian}, {"quxian", defaults.quxian},
        {"jiange", defaults.jiange},   {"zhuji", defaults.zhuji},       {"dian", defaults.dian},
        {"wucha", defaults.wucha},     {"chadian", defaults.chadian}};
    for (const auto& [name, colour] : blocks)
        EXPECT_EQ(find<QLabel>(name)->palette().color(QPalette::Window), colourOf(colour)) << name;
    EXPECT_EQ(find<QLabel>("chadian")->palette().color(QPalette::Window), QColor(192, 192, 255));

    const PanelSettings s = panel->snapshot();
    EXPECT_EQ(s.pointLabelMode, 1);
    EXPECT_EQ(s.valueScale, 1000);
    EXPECT_EQ(s.errorControl, 0);
    EXPECT_EQ(s.smoothValue, 4);
    EXPECT_EQ(s.errorText, "0.1");
    EXPECT_TRUE(s.check1 && s.check9 && !s.check16 && !s.check15 && s.check15Enabled);
}

TEST_F(ParameterPanelTest, SwitchedOffErrorBoxStillShowsItsValue)
{
    panel->resize(139, 567);
    panel->show();
    QComboBox* error = combo("Combo2");
    ASSERT_FALSE(error->isEnabled());
    ASSERT_EQ(error->currentText(), "0.1");
    // The text reads as darker strokes on the grey box.
    const QImage image = error->grab().toImage();
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width() * 2 / 3; ++x) {
            const QColor c = image.pixelColor(x, y);
            dark += c.red() < 150 && c.green() < 150 && c.blue() < 150;
        }
    }
    EXPECT_GT(dark, 5);
}

TEST_F(ParameterPanelTest, CaptionsAndTooltipsAreTheProgramsOwn)
{
    EXPECT_EQ(check("Check16")->text(), QStringLiteral(" 误差"));
    EXPECT_EQ(check("Check16")->toolTip(),
              QStringLiteral("曲线是否在选定的误差内通过（选定误差值的数值单位与等值线间隔同）"));
    EXPECT_EQ(combo("Combo1")->toolTip(), QStringLiteral("两相邻等值线的值差（> 0）"));
    EXPECT_EQ(combo("Combo4")->toolTip(), QStringLiteral("图形线条类型（取值范围 0-6 ，为 5 时不画线）"));
    EXPECT_EQ(check("Check4")->text(), QStringLiteral("注释"));
    EXPECT_EQ(check("Check4")->toolTip(), QStringLiteral("仅显示注释文字"));
    EXPECT_EQ(check("Check12")->text(), QStringLiteral("整数"));
    EXPECT_EQ(find<QLabel>("Label11")->text(), QStringLiteral("曲线圆滑程度"));
    EXPECT_EQ(find<QLabel>("label6")->text(), QStringLiteral("标尺"));
    EXPECT_EQ(find<QLabel>("jiange")->toolTip(),
              QStringLiteral("每5倍等值线[间隔]的线条颜色。当 [线宽] >4 时无效"));
    EXPECT_EQ(find<QWidget>("Picture3")->toolTip(),
              QStringLiteral("平面渲染图渐变色调，用下面两个滚动条设置。"));
}

TEST_F(ParameterPanelTest, ErrorBoxTurnsRedWhenTheErrorIsNotBelowTheInterval)
{
    QComboBox* interval = combo("Combo1");
    QComboBox* error = combo("Combo2");
    check("Check16")->click();
    EXPECT_TRUE(error->isEnabled());
    EXPECT_EQ(back(error), kWhite);
    EXPECT_EQ(panel->snapshot().errorControl, 1);

    type(error, "1");
    EXPECT_EQ(error->currentText(), "1");
    EXPECT_EQ(back(error), kRed);
    choose(interval, "2");
    EXPECT_EQ(back(error), kWhite);
    type(interval, ".5");
    EXPECT_EQ(back(error), kRed) << "a typed interval is a change as well";
    choose(error, ".09");
    EXPECT_EQ(back(error), kWhite);
}

TEST_F(ParameterPanelTest, SwitchedOffErrorBoxStaysDisabledAndShowsRedWhenSwitchedOn)
{
    QComboBox* error = combo("Combo2");
    QCheckBox* control = check("Check16");
    choose(combo("Combo1"), ".5");
    EXPECT_FALSE(error->isEnabled());
    EXPECT_EQ(back(error), kGrey);

    choose(combo("Combo1"), "1");
    control->click();
    type(error, "5");
    control->click();
    EXPECT_FALSE(error->isEnabled());
    EXPECT_EQ(back(error), kGrey);
    EXPECT_EQ(panel->snapshot().errorControl, 0);
    control->click();
    EXPECT_EQ(back(error), kRed) << "error 5 against interval 1";
    expectBoxLook("Check16", true);
}

TEST_F(ParameterPanelTest, LineWidthAndTypeBoxesFlagValuesOutsideTheirRules)
{
    QComboBox* width = combo("Combo3");
    QComboBox* lineType = combo("Combo4");
    const std::vector<std::pair<QString, QColor>> types{
        {"5", kRed}, {"6", kWhite}, {"7", kRed}, {"-1", kRed}, {"0", kWhite}, {"5.5", kWhite}};
    for (const auto& [text, colour] : types) {
        type(lineType, text);
        EXPECT_EQ(back(lineType), colour) << text.toStdString();
    }
    choose(lineType, "5");
    EXPECT_EQ(back(lineType), kRed) << "picked from the list";

    type(width, "-1");
    EXPECT_EQ(back(width), kRed);
    type(width, "0");
    EXPECT_EQ(back(width), kWhite);
}

TEST_F(ParameterPanelTest, ValueBoxesAreExclusiveAndNotesOnlyClearsTheDecimals)
{
    check("Check2")->click();
    expectBoxLook("Check2", true);
    for (const char* off : {"Check1", "Check3", "Check4"})
        expectBoxLook(off, false);
    EXPECT_EQ(panel->snapshot().pointLabelMode, 2);

    check("Check2")->click();  // unchecking keeps the mode
    expectBoxLook("Check2", false);
    EXPECT_EQ(panel->snapshot().pointLabelMode, 2);

    check("Check4")->click();
    EXPECT_EQ(panel->snapshot().pointLabelMode, 4);
    for (const char* off : {"Check9", "Check10", "Check11", "Check12"})
        expectBoxLook(off, false);
    check("Check10")->click();
    for (const char* off : {"Check9", "Check10", "Check11", "Check12"})
        expectBoxLook(off, false);
    EXPECT_EQ(panel->snapshot().valueScale, 1000);

    check("Check3")->click();
    expectBoxLook("Check4", false);
    check("Check11")->click();
    expectBoxLook("Check11", true);
    EXPECT_EQ(panel->snapshot().valueScale, 10);
    check("Check12")->click();
    expectBoxLook("Check11", false);
    EXPECT_EQ(panel->snapshot().valueScale, 1);
    EXPECT_EQ(panel->snapshot().pointLabelMode, 3);
}

TEST_F(ParameterPanelTest, NoLabelsBoxSitsUnderTheFourAndWritesNothingButKeepsTheDecimals)
{
    QCheckBox* none = check("Check5");
    panel->resize(139, 567);
    (void)panel->grab();  // lays the groups out
    EXPECT_EQ(none->text(), QStringLiteral("无"));
    EXPECT_EQ(none->parentWidget(), check("Check1")->parentWidget()) << "in the 显示值 group";
    EXPECT_EQ(none->geometry().left(), check("Check3")->geometry().left());
    EXPECT_GT(none->geometry().top(), check("Check3")->geometry().bottom());
    expectBoxLook("Check5", false);

    check("Check11")->click();
    none->click();
    expectBoxLook("Check5", true);
    for (const char* off : {"Check1", "Check2", "Check3", "Check4"})
        expectBoxLook(off, false);
    // Contour values still use the decimals, so they stay as chosen.
    expectBoxLook("Check11", true);
    PanelSettings s = panel->snapshot();
    EXPECT_EQ(s.pointLabelMode, 5);
    EXPECT_FALSE(s.check1 || s.check2 || s.check3 || s.check4);
    EXPECT_EQ(s.valueScale, 10);

    // A run hands the settings back: the mode with none of the four boxes
    // shows as the 无 box, and any of the four takes its place.
    panel->apply(PanelSettings{});
    expectBoxLook("Check5", false);
    panel->apply(s);
    expectBoxLook("Check5", true);
    expectBoxLook("Check1", false);
    s.check4 = true;
    panel->apply(s);
    expectBoxLook("Check5", false);
    expectBoxLook("Check4", true);

    panel->apply(panel->snapshot());
    none->click();
    check("Check2")->click();
    expectBoxLook("Check5", false);
    EXPECT_EQ(panel->snapshot().pointLabelMode, 2);
}

TEST_F(ParameterPanelTest, SmoothnessLabelShowsTheScrollValueLessTwo)
{
    QScrollBar* bar = scroll("HScroll1");
    bar->setValue(bar->maximum());
    EXPECT_EQ(find<QLabel>("Label12")->text(), "7");
    EXPECT_EQ(panel->snapshot().smoothValue, 9);
    bar->setValue(bar->minimum());
    EXPECT_EQ(find<QLabel>("Label12")->text(), "0");
    EXPECT_EQ(panel->snapshot().smoothValue, 2);

    PanelSettings s = panel->snapshot();
    s.smoothValue = 12;
    panel->apply(s);
    EXPECT_EQ(find<QLabel>("Label12")->text(), "7");
    EXPECT_EQ(panel->snapshot().smoothValue, 9) << "the bar's range holds";
}

TEST_F(ParameterPanelTest, ObserveAndHpglBoxes)
{
    check("Check14")->click();
    EXPECT_EQ(panel->snapshot().observeFlag, "Y");
    check("Check14")->click();
    EXPECT_EQ(panel->snapshot().observeFlag, "Y") << "unticking leaves the flag to the run";
    expectBoxLook("Check14", false);

    panel->setHpglEnabled(false);
    EXPECT_FALSE(panel->snapshot().check15Enabled);
}

TEST_F(ParameterPanelTest, HpglBoxIsShownEnabledAndNamesItsState)
{
    panel->show();
    QCheckBox* hpgl = check("Check15");
    EXPECT_TRUE(hpgl->isVisible());
    EXPECT_TRUE(hpgl->isEnabled());
    EXPECT_EQ(hpgl->text(), QStringLiteral("HPGL"));
    expectBoxLook("Check15", false);
    EXPECT_FALSE(panel->snapshot().check15);

    hpgl->click();
    EXPECT_EQ(hpgl->text(), QStringLiteral("录制"));
    expectBoxLook("Check15", true);
    EXPECT_TRUE(panel->snapshot().check15) << "recording is on while the box is set";

    hpgl->click();
    EXPECT_EQ(hpgl->text(), QStringLiteral("HPGL"));
    EXPECT_FALSE(panel->snapshot().check15);

    // A run that ends recording hands back a cleared box.
    hpgl->click();
    PanelSettings after = panel->snapshot();
    after.check15 = false;
    panel->apply(after);
    EXPECT_EQ(hpgl->text(), QStringLiteral("HPGL"));
    expectBoxLook("Check15", false);
    EXPECT_FALSE(panel->snapshot().check15);
}

TEST_F(ParameterPanelTest, TransitionSampleFollowsBothScrollBars)
{
    QWidget* sample = find<QWidget>("Picture3");
    sample->resize(130, 25);
    auto row = [&] {
        const QImage image = sample->grab().toImage();
        std::vector<QColor> pixels;
        for (int x = 0; x < image.width(); ++x)
            pixels.push_back(image.pixelColor(x, image.height() / 2));
        return pixels;
    };

    std::vector<QColor> grey = row();
    ASSERT_FALSE(grey.empty());
    for (const QColor& c : grey) {
        EXPECT_EQ(c.red(), c.green());
        EXPECT_EQ(c.red(), c.blue());
    }
    EXPECT_LE(grey.front().red(), 18);
    EXPECT_GE(grey.back().red(), 253);

    scroll("HScroll3")->setValue(200);
    scroll("HScroll4")->setValue(100);
    const std::vector<QColor> ramp = row();
    for (std::size_t x = 0; x < ramp.size(); ++x) {
        EXPECT_EQ(ramp[x].green(), 200) << x;
        EXPECT_EQ(ramp[x].blue(), 100) << x;
        if (x > 0) {
            EXPECT_GE(ramp[x].red(), ramp[x - 1].red());
        }
    }
    EXPECT_LE(ramp.front().red(), 18);
    EXPECT_GE(ramp.back().red(), 253);
    EXPECT_EQ(panel->snapshot().hScroll3, 200);
    EXPECT_EQ(panel->snapshot().hScroll4, 100);
}

TEST_F(ParameterPanelTest, ColourBlocksTakeTheDialogsChoiceAndIgnoreCancel)
{
    auto* wangxian = find<QLabel>("wangxian");
    prompter.colours.push_back(std::nullopt);
    clickBlock(wangxian);
    ASSERT_EQ(prompter.count(ScriptedPrompter::Kind::ColourDialog), 1u);
    EXPECT_EQ(prompter.last().initialColour, rgb(0, 0, 255));
    EXPECT_EQ(panel->snapshot().wangxian, rgb(0, 0, 255));
    EXPECT_EQ(wangxian->palette().color(QPalette::Window), QColor(0, 0, 255));

    prompter.colours.push_back(rgb(10, 20, 30));
    clickBlock(wangxian);
    EXPECT_EQ(panel->snapshot().wangxian, rgb(10, 20, 30));
    EXPECT_EQ(wangxian->palette().color(QPalette::Window), QColor(10, 20, 30));

    panel->setBackgroundBlockEnabled(false);
    clickBlock(find<QLabel>("beijing"));
    EXPECT_EQ(prompter.count(ScriptedPrompter::Kind::ColourDialog), 2u) << "disabled block asks nothing";
}

TEST_F(ParameterPanelTest, ApplyShowsWhatARunChangedWithoutRunningTheRules)
{
    check("Check15")->setChecked(true);
    PanelSettings s = panel->snapshot();
    s.intervalText = "1";
    s.errorText = "0.5";
    s.check15 = false;
    s.check13 = true;
    s.check16 = true;
    s.errorControl = 1;
    s.check2 = true;  // a run leaves the outside settings as they were
    s.pointLabelMode = 1;
    s.chadian = rgb(1, 2, 3);
    panel->apply(s);

    EXPECT_EQ(combo("Combo2")->currentText(), "0.5");
    expectBoxLook("Check13", true);
    expectBoxLook("Check1", true);
    expectBoxLook("Check2", true);
    EXPECT_EQ(check("Check15")->text(), "HPGL");
    EXPECT_TRUE(combo("Combo2")->isEnabled());
    EXPECT_EQ(back(combo("Combo2")), kWhite);

    const PanelSettings after = panel->snapshot();
    EXPECT_EQ(after.pointLabelMode, 1);
    EXPECT_TRUE(after.check1 && after.check2 && after.check13 && !after.check15);
    EXPECT_EQ(after.chadian, rgb(1, 2, 3));
    EXPECT_EQ(after.errorText, "0.5");
}

TEST_F(ParameterPanelTest, RendersCompactlyForTheRightOfTheMainWindow)
{
    // The main window keeps 2085 x 8510 twips for the panel: 139 x 567 pixels.
    EXPECT_LE(panel->minimumSizeHint().width(), 139);
    EXPECT_LE(panel->minimumSizeHint().height(), 567);
    panel->resize(139, 567);
    const QImage image = panel->grab().toImage();
    EXPECT_TRUE(image.save(QStringLiteral("ParameterPanel.png")));
}

} // namespace
} // namespace tervane
