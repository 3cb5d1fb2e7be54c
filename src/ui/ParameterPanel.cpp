#include "ui/ParameterPanel.h"

#include "engine/contour/TransitionColours.h"
#include "engine/base/NumberText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QVBoxLayout>

namespace tervane {

namespace {

constexpr Colour kCheckedBack = rgb(0, 128, 0);
constexpr Colour kCheckedText = rgb(0, 255, 0);
constexpr Colour kUncheckedBack = rgb(192, 192, 192);
constexpr Colour kUncheckedText = rgb(0, 0, 0);
constexpr Colour kWhite = rgb(255, 255, 255);
constexpr Colour kRed = rgb(255, 0, 0);
constexpr Colour kGrey = rgb(192, 192, 192);
constexpr Colour kGreyText = rgb(128, 128, 128);

constexpr int kFontPixels = 12;
constexpr int kRowHeight = 21;
constexpr int kBlockSize = 16;

// Units of the transition sample: one line per ramp step, 25 units high.
constexpr int kSampleUnitsWide = kLastRampStep - kFirstRampStep + 1;
constexpr int kSampleUnitsHigh = 25;

QColor toQColor(Colour c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

// Paints one palette role in every colour group, so that a disabled control
// keeps the colour it was given.
void setRoleColour(QWidget* widget, QPalette::ColorRole role, Colour c)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::All, role, toQColor(c));
    widget->setPalette(palette);
}

void setComboBack(QComboBox* combo, Colour c)
{
    setRoleColour(combo, QPalette::Base, c);
    if (combo->lineEdit())
        setRoleColour(combo->lineEdit(), QPalette::Base, c);
}

// A disabled box writes its text in the system's grey-text colour, which
// stays readable on the grey of a switched-off box.
void setDisabledTextColour(QWidget* widget, Colour c)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Disabled, QPalette::Text, toQColor(c));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, toQColor(c));
    widget->setPalette(palette);
}

// Whole numbers from first to last in steps of step, as list texts.
QStringList numberTexts(int first, int last, int step = 1)
{
    QStringList list;
    for (int n = first; n <= last; n += step)
        list << QString::number(n);
    return list;
}

QStringList intervalItems()
{
    QStringList list;
    for (int n = 1; n <= 9; ++n)
        list << QStringLiteral(".0%1").arg(n);
    list << QStringLiteral(".10");
    for (int n = 2; n <= 9; ++n)
        list << QStringLiteral(".%1").arg(n);
    list << numberTexts(1, 10) << numberTexts(20, 90, 10) << QStringLiteral("99");
    return list;
}

QStringList errorItems()
{
    QStringList list{QStringLiteral(".001"), QStringLiteral(".005")};
    for (int n = 1; n <= 9; ++n)
        list << QStringLiteral(".0%1").arg(n);
    for (int n = 1; n <= 9; ++n)
        list << QStringLiteral("0.%1").arg(n);
    list << numberTexts(1, 50);
    for (int n = 0; n < 9; ++n)
        list << QString();
    for (int n = 1; n <= 5; ++n)
        list << QStringLiteral("0.%1").arg(n);
    list << numberTexts(1, 10);
    return list;
}

struct BlockSpec {
    const char* name;
    const char* caption;
    const char* captionName;
    const char* tip;
};

// In the order of PanelSettings' palette fields.
const std::array<BlockSpec, 8> kBlocks{{
    {"beijing", "背景", "", "图形背景颜色。当加入了背景图片时该项无效"},
    {"wangxian", "网线", "", "网络线颜色"},
    {"quxian", "曲线", "", "线宽>4时使用渲染颜色"},
    {"jiange", "间隔", "", "每5倍等值线[间隔]的线条颜色。当 [线宽] >4 时无效"},
    {"zhuji", "注记", "", "数据和注释颜色"},
    {"dian", "点", "", "数据点颜色"},
    {"wucha", "误差", "", "[观察]时,误差线的颜色"},
    {"chadian", "标尺", "label6", "标尺颜色"},
}};

std::array<Colour*, 8> blockFields(PanelSettings& s)
{
    return {&s.beijing, &s.wangxian, &s.quxian, &s.jiange, &s.zhuji, &s.dian, &s.wucha, &s.chadian};
}

// The transition colour sample: 240 vertical lines, one per ramp step,
// each 25 units high, coloured from the two scroll bars.
class TransitionSample : public QWidget {
public:
    TransitionSample(const QScrollBar* a, const QScrollBar* b, QWidget* parent)
        : QWidget(parent), a_(a), b_(b)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.scale(double(width()) / kSampleUnitsWide, double(height()) / kSampleUnitsHigh);
        for (int i = kFirstRampStep; i <= kLastRampStep; ++i) {
            const QColor colour = toQColor(transitionColour(i, a_->value(), b_->value()));
            painter.fillRect(QRectF(i - kFirstRampStep, 0, 1, kSampleUnitsHigh), colour);
        }
    }

private:
    const QScrollBar* a_;
    const QScrollBar* b_;
};

} // namespace

ParameterPanel::ParameterPanel(Prompter& prompter, QWidget* parent)
    : QWidget(parent), prompter_(prompter)
{
    QFont small(QStringLiteral("WenQuanYi Micro Hei"));
    small.setPixelSize(kFontPixels);
    setFont(small);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    contourGroup_ = createContourGroup();
    layout->addWidget(contourGroup_);
    layout->addWidget(createValuesGroup());
    layout->addWidget(createDecimalsGroup());
    layout->addWidget(createPaletteGroup());
    // The recording switch stands on its own under the palette: it belongs
    // to the next Draw run only, which switches it off again at its end.
    check15_ = createCheckBox("Check15", QStringLiteral("HPGL"), QString());
    layout->addWidget(check15_);
    layout->addStretch(1);

    connectControls();
    apply(PanelSettings{});
}

QCheckBox* ParameterPanel::createCheckBox(const char* name, const QString& caption, const QString& tip)
{
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(tip);
    box->setAutoFillBackground(true);
    box->setFixedHeight(kRowHeight - 3);
    connect(box, &QCheckBox::toggled, this, [this, box] { paintCheckBox(box); });
    paintCheckBox(box);
    return box;
}

QComboBox* ParameterPanel::createComboBox(const char* name, const QStringList& items, const QString& tip)
{
    auto* combo = new QComboBox(this);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(true);
    // The lists are suggestions: typing neither completes nor adds entries.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setToolTip(tip);
    combo->setFixedHeight(kRowHeight);
    combo->setMaxVisibleItems(16);
    setComboBack(combo, kWhite);
    setDisabledTextColour(combo, kGreyText);
    if (combo->lineEdit())
        setDisabledTextColour(combo->lineEdit(), kGreyText);
    return combo;
}

QLabel* ParameterPanel::createLabel(const char* name, const QString& caption, const QString& tip,
                                    QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setToolTip(tip);
    return label;
}

QScrollBar* ParameterPanel::createScrollBar(const char* name, int minimum, int maximum, int value)
{
    auto* bar = new QScrollBar(Qt::Horizontal, this);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setRange(minimum, maximum);
    bar->setValue(value);
    bar->setFixedHeight(15);
    return bar;
}

QWidget* ParameterPanel::createContourGroup()
{
    auto* group = new QGroupBox(QStringLiteral("等值线"), this);
    combo1_ = createComboBox("Combo1", intervalItems(), QStringLiteral("两相邻等值线的值差（> 0）"));
    check16_ = createCheckBox("Check16", QStringLiteral(" 误差"),
        QStringLiteral("曲线是否在选定的误差内通过（选定误差值的数值单位与等值线间隔同）"));
    combo2_ = createComboBox("Combo2", errorItems(), QStringLiteral("输入或选择允许曲线拟合[误差]的值"));
    combo3_ = createComboBox("Combo3", numberTexts(1, 99),
        QStringLiteral("线条宽度>4时用过渡颜色描绘平面渲染图"));
    combo4_ = createComboBox("Combo4", numberTexts(0, 6),
        QStringLiteral("图形线条类型（取值范围 0-6 ，为 5 时不画线）"));
    check13_ = createCheckBox("Check13", QStringLiteral("无网"), QStringLiteral("绘图时不含网络线"));
    check14_ = createCheckBox("Check14", QStringLiteral("观察"), QStringLiteral("显示曲线与折线拟合状态"));
    label12_ = createLabel("Label12", QString(), QStringLiteral("圆滑度"), group);
    label12_->setAlignment(Qt::AlignCenter);
    label12_->setFrameShape(QFrame::Panel);
    label12_->setFrameShadow(QFrame::Sunken);
    label12_->installEventFilter(this);
    hScroll1_ = createScrollBar("HScroll1", 2, 9, 4);

    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(3, 2, 3, 3);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(4);
    grid->addWidget(createLabel("Label1", QStringLiteral("间隔"), QStringLiteral("两相邻等值线的值差"), group), 0, 0);
    grid->addWidget(combo1_, 0, 1, 1, 2);
    grid->addWidget(check16_, 1, 0);
    grid->addWidget(combo2_, 1, 1, 1, 2);
    grid->addWidget(createLabel("Label15", QStringLiteral("线宽"), QString(), group), 2, 0);
    grid->addWidget(combo3_, 2, 1, 1, 2);
    grid->addWidget(createLabel("Label14", QStringLiteral("线型"), QString(), group), 3, 0);
    grid->addWidget(combo4_, 3, 1, 1, 2);
    grid->addWidget(check13_, 4, 0, 1, 2);
    grid->addWidget(check14_, 4, 2);
    grid->addWidget(createLabel("Label11", QStringLiteral("曲线圆滑程度"),
                                QStringLiteral("曲线圆滑，请参见[教学]实例。"), group), 5, 0, 1, 2);
    grid->addWidget(label12_, 5, 2);
    grid->addWidget(hScroll1_, 6, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    return group;
}

QWidget* ParameterPanel::createValuesGroup()
{
    auto* group = new QGroupBox(QStringLiteral("显示值"), this);
    group->setToolTip(QStringLiteral("控制显示数量"));
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(3, 2, 3, 3);
    grid->setHorizontalSpacing(2);
    // Three rows in the height the column has: a little closer than the
    // two of the decimals group.
    grid->setVerticalSpacing(2);
    // The fifth box, no labels at all, is the only one of its row, under
    // the four the panel always had.
    const std::array<const char*, kValueBoxes> names{"Check1", "Check2", "Check3", "Check4", "Check5"};
    const std::array<QString, kValueBoxes> captions{QStringLiteral("全部"), QStringLiteral("1/2"),
                                                    QStringLiteral("1/3"), QStringLiteral("注释"),
                                                    QStringLiteral("无")};
    const std::array<QString, kValueBoxes> tips{QStringLiteral("显示全部值"), QStringLiteral("显示全部的1/2"),
                                                QStringLiteral("显示全部的1/3"), QStringLiteral("仅显示注释文字"),
                                                QStringLiteral("不显示数值和注释，只画点")};
    for (int i = 0; i < kValueBoxes; ++i) {
        valueBoxes_[i] = createCheckBox(names[i], captions[i], tips[i]);
        grid->addWidget(valueBoxes_[i], i / 2, i % 2);
    }
    return group;
}

QWidget* ParameterPanel::createDecimalsGroup()
{
    auto* group = new QGroupBox(QStringLiteral("小数点"), this);
    group->setToolTip(QStringLiteral("显示值的小数位选择"));
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(3, 2, 3, 3);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(4);
    const std::array<const char*, 4> names{"Check9", "Check10", "Check11", "Check12"};
    const std::array<QString, 4> captions{QStringLiteral("3 位"), QStringLiteral("2 位"),
                                          QStringLiteral("1 位"), QStringLiteral("整数")};
    for (int i = 0; i < 4; ++i) {
        decimalBoxes_[i] = createCheckBox(names[i], captions[i], QString());
        grid->addWidget(decimalBoxes_[i], i / 2, i % 2);
    }
    return group;
}

QWidget* ParameterPanel::createPaletteGroup()
{
    auto* group = new QGroupBox(QStringLiteral("调色板"), this);
    group->setToolTip(QStringLiteral("点击色块或滚动条可定义颜色"));
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(3, 2, 3, 3);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(5);
    for (int i = 0; i < 8; ++i) {
        const BlockSpec& spec = kBlocks[i];
        auto* block = new QLabel(group);
        block->setObjectName(QString::fromLatin1(spec.name));
        block->setToolTip(QString::fromUtf8(spec.tip));
        block->setFixedSize(kBlockSize, kBlockSize);
        block->setAutoFillBackground(true);
        block->setFrameShape(QFrame::Box);
        block->setCursor(Qt::PointingHandCursor);
        block->installEventFilter(this);
        blocks_[i] = block;
        auto* caption = new QLabel(QString::fromUtf8(spec.caption), group);
        if (*spec.captionName)
            caption->setObjectName(QString::fromLatin1(spec.captionName));
        grid->addWidget(block, i / 2, (i % 2) * 2);
        grid->addWidget(caption, i / 2, (i % 2) * 2 + 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    hScroll3_ = createScrollBar("HScroll3", kFirstRampStep, kLastRampStep, kLastRampStep);
    hScroll4_ = createScrollBar("HScroll4", kFirstRampStep, kLastRampStep, kLastRampStep);
    picture3_ = new TransitionSample(hScroll3_, hScroll4_, group);
    picture3_->setObjectName(QStringLiteral("Picture3"));
    picture3_->setToolTip(QStringLiteral("平面渲染图渐变色调，用下面两个滚动条设置。"));
    picture3_->setFixedHeight(kSampleUnitsHigh);
    grid->addWidget(picture3_, 4, 0, 1, 4);
    grid->addWidget(hScroll3_, 5, 0, 1, 4);
    grid->addWidget(hScroll4_, 6, 0, 1, 4);
    return group;
}

void ParameterPanel::connectControls()
{
    for (int i = 0; i < kValueBoxes; ++i)
        connect(valueBoxes_[i], &QCheckBox::toggled, this,
                [this, i](bool checked) { onValueBoxToggled(i, checked); });
    for (int i = 0; i < 4; ++i)
        connect(decimalBoxes_[i], &QCheckBox::toggled, this,
                [this, i](bool checked) { onDecimalBoxToggled(i, checked); });
    connect(check16_, &QCheckBox::toggled, this, &ParameterPanel::onErrorControlToggled);
    connect(check14_, &QCheckBox::toggled, this, &ParameterPanel::onObserveToggled);
    connect(check15_, &QCheckBox::toggled, this, &ParameterPanel::showHpglCaption);

    // A pick from either list or any change of the interval re-checks the
    // error against it; typing in the error box has its own, simpler rule.
    connect(combo1_, &QComboBox::currentTextChanged, this, &ParameterPanel::applyIntervalRule);
    connect(combo1_, &QComboBox::activated, this, &ParameterPanel::applyIntervalRule);
    connect(combo2_, &QComboBox::activated, this, &ParameterPanel::applyIntervalRule);
    connect(combo2_->lineEdit(), &QLineEdit::textEdited, this, &ParameterPanel::applyTypedErrorRule);
    connect(combo3_, &QComboBox::currentTextChanged, this, &ParameterPanel::paintLineWidth);
    connect(combo4_, &QComboBox::currentTextChanged, this, &ParameterPanel::paintLineType);

    connect(hScroll1_, &QScrollBar::valueChanged, this, &ParameterPanel::onSmoothnessChanged);
    connect(hScroll3_, &QScrollBar::valueChanged, picture3_, qOverload<>(&QWidget::update));
    connect(hScroll4_, &QScrollBar::valueChanged, picture3_, qOverload<>(&QWidget::update));
}

PanelSettings ParameterPanel::snapshot() const
{
    PanelSettings s;
    s.intervalText = combo1_->currentText().toStdString();
    s.errorText = combo2_->currentText().toStdString();
    s.lineWidthText = combo3_->currentText().toStdString();
    s.lineTypeText = combo4_->currentText().toStdString();
    s.check1 = valueBoxes_[0]->isChecked();
    s.check2 = valueBoxes_[1]->isChecked();
    s.check3 = valueBoxes_[2]->isChecked();
    s.check4 = valueBoxes_[3]->isChecked();
    s.check9 = decimalBoxes_[0]->isChecked();
    s.check10 = decimalBoxes_[1]->isChecked();
    s.check11 = decimalBoxes_[2]->isChecked();
    s.check12 = decimalBoxes_[3]->isChecked();
    s.check13 = check13_->isChecked();
    s.check14 = check14_->isChecked();
    s.check15 = check15_->isChecked();
    s.check15Enabled = check15_->isEnabled();
    s.check16 = check16_->isChecked();
    s.pointLabelMode = pointLabelMode_;
    s.valueScale = valueScale_;
    s.errorControl = errorControl_;
    s.observeFlag = observeFlag_;
    s.smoothValue = smoothValue_;
    s.hScroll3 = hScroll3_->value();
    s.hScroll4 = hScroll4_->value();
    const auto fields = blockFields(s);
    for (int i = 0; i < 8; ++i)
        *fields[i] = blockColours_[i];
    return s;
}

void ParameterPanel::apply(const PanelSettings& settings)
{
    {
        const QScopedValueRollback<bool> guard(updating_, true);
        combo1_->setEditText(QString::fromStdString(settings.intervalText));
        combo2_->setEditText(QString::fromStdString(settings.errorText));
        combo3_->setEditText(QString::fromStdString(settings.lineWidthText));
        combo4_->setEditText(QString::fromStdString(settings.lineTypeText));
        const std::array<bool, 4> values{settings.check1, settings.check2, settings.check3, settings.check4};
        const std::array<bool, 4> decimals{settings.check9, settings.check10, settings.check11,
                                           settings.check12};
        for (int i = 0; i < 4; ++i) {
            valueBoxes_[i]->setChecked(values[i]);
            decimalBoxes_[i]->setChecked(decimals[i]);
        }
        // No labels has no field of its own in the settings: it is the mode
        // with none of the four boxes ticked.
        valueBoxes_[kNoLabelsBox]->setChecked(settings.pointLabelMode == kNoLabelsMode &&
                                              !settings.check1 && !settings.check2 && !settings.check3 &&
                                              !settings.check4);
        check13_->setChecked(settings.check13);
        check14_->setChecked(settings.check14);
        check15_->setChecked(settings.check15);
        check15_->setEnabled(settings.check15Enabled);
        check16_->setChecked(settings.check16);
        hScroll1_->setValue(settings.smoothValue);
        hScroll3_->setValue(settings.hScroll3);
        hScroll4_->setValue(settings.hScroll4);
        PanelSettings copy = settings;
        const auto fields = blockFields(copy);
        for (int i = 0; i < 8; ++i)
            blockColours_[i] = *fields[i];

        pointLabelMode_ = settings.pointLabelMode;
        valueScale_ = settings.valueScale;
        errorControl_ = settings.errorControl;
        observeFlag_ = settings.observeFlag;
        // The scroll bar keeps its value within 2..9.
        smoothValue_ = hScroll1_->value();
    }
    refreshAll();
}

void ParameterPanel::setHpglEnabled(bool enabled) { check15_->setEnabled(enabled); }

void ParameterPanel::setBackgroundBlockEnabled(bool enabled) { blocks_[0]->setEnabled(enabled); }

QRect ParameterPanel::helpPlace() const
{
    const int top = contourGroup_->geometry().bottom() + 1 + layout()->spacing();
    return {0, top, width(), height() - top};
}

void ParameterPanel::setRampControlsVisible(bool visible)
{
    for (QWidget* w : {static_cast<QWidget*>(hScroll3_), static_cast<QWidget*>(hScroll4_), picture3_})
        w->setVisible(visible);
}

bool ParameterPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == label12_) {
            showSmoothness();
            return false;
        }
        for (int i = 0; i < 8; ++i) {
            if (watched == blocks_[i] && blocks_[i]->isEnabled()) {
                chooseBlockColour(i);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ParameterPanel::onValueBoxToggled(int index, bool checked)
{
    if (updating_ || !checked)
        return;
    pointLabelMode_ = index + 1;
    for (int i = 0; i < kValueBoxes; ++i) {
        if (i != index)
            valueBoxes_[i]->setChecked(false);
    }
    // Annotations only: no values are written, so no decimals apply.
    if (index == 3) {
        for (QCheckBox* box : decimalBoxes_)
            box->setChecked(false);
    }
}

void ParameterPanel::onDecimalBoxToggled(int index, bool checked)
{
    if (updating_)
        return;
    if (valueBoxes_[3]->isChecked()) {
        for (QCheckBox* box : decimalBoxes_)
            box->setChecked(false);
        return;
    }
    if (!checked)
        return;
    static constexpr std::array<int, 4> kScales{1000, 100, 10, 1};
    valueScale_ = kScales[index];
    for (int i = 0; i < 4; ++i) {
        if (i != index)
            decimalBoxes_[i]->setChecked(false);
    }
}

void ParameterPanel::onErrorControlToggled(bool checked)
{
    if (updating_)
        return;
    errorControl_ = checked ? 1 : 0;
    if (checked) {
        combo2_->setEnabled(true);
        setComboBack(combo2_, kWhite);
        applyIntervalRule();
    } else {
        applyIntervalRule();
        paintErrorBoxDisabled();
    }
}

void ParameterPanel::onObserveToggled(bool checked)
{
    if (!updating_ && checked)
        observeFlag_ = "Y";
}

void ParameterPanel::onSmoothnessChanged(int value)
{
    if (!updating_)
        smoothValue_ = value;
    showSmoothness();
}

// The error must stay below the interval while error control is on; a red
// error box is the only signal, nothing is refused. A disabled error box
// keeps its grey, so that it still reads as switched off.
void ParameterPanel::applyIntervalRule()
{
    if (updating_ || !combo2_->isEnabled())
        return;
    const bool broken = check16_->isChecked() && errorValue() >= intervalValue();
    setComboBack(combo2_, broken ? kRed : kWhite);
}

// Typing into the error box compares without looking at the error switch.
void ParameterPanel::applyTypedErrorRule()
{
    if (updating_ || !combo2_->isEnabled())
        return;
    setComboBack(combo2_, errorValue() >= intervalValue() ? kRed : kWhite);
}

void ParameterPanel::chooseBlockColour(int index)
{
    const std::optional<Colour> chosen = prompter_.chooseColour(blockColours_[index]);
    if (!chosen)
        return;
    blockColours_[index] = *chosen;
    paintBlock(index);
}

void ParameterPanel::paintCheckBox(QCheckBox* box)
{
    const bool on = box->isChecked();
    QPalette palette = box->palette();
    palette.setColor(QPalette::All, box->backgroundRole(), toQColor(on ? kCheckedBack : kUncheckedBack));
    palette.setColor(QPalette::All, box->foregroundRole(), toQColor(on ? kCheckedText : kUncheckedText));
    palette.setColor(QPalette::All, QPalette::WindowText, toQColor(on ? kCheckedText : kUncheckedText));
    box->setPalette(palette);
}

void ParameterPanel::paintLineWidth()
{
    setComboBack(combo3_, leadingNumber(combo3_->currentText().toStdString()) < 0 ? kRed : kWhite);
}

// Types 0..6 exist; 5 draws nothing, so it is flagged as well.
void ParameterPanel::paintLineType()
{
    const double type = leadingNumber(combo4_->currentText().toStdString());
    setComboBack(combo4_, (type < 0 || type > 6 || type == 5) ? kRed : kWhite);
}

void ParameterPanel::paintErrorBoxDisabled()
{
    combo2_->setEnabled(false);
    setComboBack(combo2_, kGrey);
}

void ParameterPanel::paintBlock(int index)
{
    setRoleColour(blocks_[index], QPalette::Window, blockColours_[index]);
}

void ParameterPanel::showSmoothness()
{
    label12_->setText(QString::number(hScroll1_->value() - 2));
}

void ParameterPanel::showHpglCaption()
{
    check15_->setText(check15_->isChecked() ? QStringLiteral("录制") : QStringLiteral("HPGL"));
}

// Brings every derived appearance in line with the state, after apply().
void ParameterPanel::refreshAll()
{
    for (QCheckBox* box : findChildren<QCheckBox*>())
        paintCheckBox(box);
    if (check16_->isChecked()) {
        combo2_->setEnabled(true);
        setComboBack(combo2_, kWhite);
        applyIntervalRule();
    } else {
        paintErrorBoxDisabled();
    }
    paintLineWidth();
    paintLineType();
    for (int i = 0; i < 8; ++i)
        paintBlock(i);
    showSmoothness();
    showHpglCaption();
    picture3_->update();
}

double ParameterPanel::intervalValue() const
{
    return leadingNumber(combo1_->currentText().toStdString());
}

double ParameterPanel::errorValue() const
{
    return leadingNumber(combo2_->currentText().toStdString());
}

} // namespace tervane
