#include "ui/View3dWindow.h"

#include "engine/view3d/SurfaceDrawer.h"
#include "ui/CanvasWidget.h"
#include "ui/QtEscapeKey.h"
#include "ui/SurfaceArea.h"
#include "ui/View3dTexts.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <cmath>

namespace tervane {

namespace text = view3d_text;

namespace {

int px(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

QRect pixelRect(double left, double top, double width, double height)
{
    return {px(left), px(top), px(width), px(height)};
}

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

// Client area and the places of the window's controls, in twips.
constexpr double kClientWidth = 11880;
constexpr double kClientHeight = 8400;
constexpr double kMapLeft = 240, kMapTop = 360, kMapWidth = 7695, kMapHeight = 7575;
constexpr double kButtonLeft = 10200, kButtonWidth = 1575, kButtonHeight = 375;
// The level boxes: box k = a x 21 + b lies at (360 + 360 a, 7560 - 360 b).
constexpr double kBoxLeft = 360, kBoxBottom = 7560, kBoxPitch = 360, kBoxWidth = 255, kBoxHeight = 270;

constexpr Colour kStripBack = rgb(192, 192, 192);
constexpr Colour kStripBar = rgb(0, 0, 255);
constexpr Colour kThumbnailLines = rgb(0, 255, 0);
constexpr Colour kBlockWaiting = 12632256;
constexpr Colour kHelpBack = rgb(192, 255, 192);

QGroupBox* frame(QWidget* parent, const char* caption, double left, double top, double width, double height)
{
    auto* box = new QGroupBox(qs(caption), parent);
    box->setGeometry(pixelRect(left, top, width, height));
    return box;
}

QLabel* label(QWidget* parent, const char* caption, double left, double top, double width, double height)
{
    auto* l = new QLabel(qs(caption), parent);
    l->setGeometry(pixelRect(left, top, width, height));
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, double left, double top,
                    double width, double height)
{
    auto* b = new QPushButton(qs(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(pixelRect(left, top, width, height));
    return b;
}

// A level box on its level's colour, its text readable on dark and light.
QString levelBoxStyle(Colour c)
{
    const int luma = (299 * redOf(c) + 587 * greenOf(c) + 114 * blueOf(c)) / 1000;
    return QStringLiteral("QLineEdit { background-color: rgb(%1, %2, %3); color: %4; }")
        .arg(redOf(c))
        .arg(greenOf(c))
        .arg(blueOf(c))
        .arg(luma < 128 ? QStringLiteral("white") : QStringLiteral("black"));
}

} // namespace

View3dWindow::View3dWindow(SharedState& state, Prompter& prompter, QtEscapeKey& escape, QWidget* parent)
    : QWidget(parent), state_(state), prompter_(prompter), escape_(escape)
{
    setObjectName(QStringLiteral("Form4"));
    setFixedSize(px(kClientWidth), px(kClientHeight));
    createGridBoxes();
    createDrawingArea();
    createColourFrame();
    createGridFrame();
    createHelpText();
    createBrightnessFrame();
    createChoiceFrame();
    createButtons();
    watchColourFiles();
    openView();
}

View3dWindow::~View3dWindow() = default;

View3dWindow* View3dWindow::launch(SharedState& state, Prompter& prompter, QtEscapeKey& escape,
                                   std::function<void()> backToMainWindow)
{
    auto* window = new View3dWindow(state, prompter, escape);
    connect(window, &View3dWindow::closed, window, [window, back = std::move(backToMainWindow)] {
        window->deleteLater();
        if (back)
            back();
    });
    window->show();
    return window;
}

void View3dWindow::createDrawingArea()
{
    mainmap_ = new SurfaceArea(kMapWidth, kMapHeight, this);
    mainmap_->setObjectName(QStringLiteral("MAINMAP"));
    mainmap_->move(px(kMapLeft), px(kMapTop));
    mainmap_->setBackground(rgb(0, 0, 0));

    statusBar_ = new CanvasWidget(7665, 135, this);
    statusBar_->setObjectName(QStringLiteral("StatusBar"));
    statusBar_->move(px(240), px(8040));
    statusBar_->canvas().setForeColour(kStripBar);
    statusBar_->canvas().setBackColour(kStripBack);
}

void View3dWindow::createColourFrame()
{
    QGroupBox* box = frame(this, "立体分级颜色表", 8160, 240, 1815, 3615);
    for (int slot = 0; slot < kLevelColourSlots; ++slot) {
        const bool gridLine = slot == kGridLineSlot;
        const double top = gridLine ? 3240 : 300 + 255 * slot;
        QPushButton* block = button(box, "ColorSample", "", 600, top, 530, 135);
        block->setProperty("slot", slot);
        block->setFlat(true);
        block->setAutoFillBackground(true);
        colorSample_[static_cast<std::size_t>(slot)] = block;
        connect(block, &QPushButton::clicked, this, [this, slot] { onColourSample(slot); });
        if (!gridLine)
            label(box, std::to_string(slot).c_str(), 360, top - 45, 200, 225);
    }
    label(box, "(击色条选颜色)", 240, 2790, 1500, 225);
    label(box, " 网格线条颜色", 240, 3015, 1500, 225);
}

void View3dWindow::createGridFrame()
{
    QGroupBox* box = frame(this, "网格", 8160, 3960, 1815, 3880);
    label(box, " 高度 ( 10-200 )", 120, 260, 1600, 225);
    dataHeight_ = new QLineEdit(box);
    dataHeight_->setObjectName(QStringLiteral("DataHeight"));
    dataHeight_->setGeometry(pixelRect(240, 500, 1335, 285));
    label(box, " 角度 ( 1-360 )", 120, 800, 1600, 225);
    dataAngle_ = new QLineEdit(box);
    dataAngle_->setObjectName(QStringLiteral("DataAngle"));
    dataAngle_->setGeometry(pixelRect(240, 1040, 1335, 285));
    for (QLineEdit* entry : {dataHeight_, dataAngle_})
        entry->installEventFilter(this);

    label(box, "缩放", 240, 1340, 1335, 225);
    sf_ = new QScrollBar(Qt::Horizontal, box);
    sf_->setObjectName(QStringLiteral("sf"));
    sf_->setGeometry(pixelRect(240, 1580, 1335, 255));
    // The left end is the largest margin, the smallest picture.
    sf_->setRange(100, 3000);
    sf_->setInvertedAppearance(true);
    sf_->setValue(1450);

    label(box, "网格形状略图", 240, 1920, 1335, 225);
    gridSample_ = new CanvasWidget(1335, 1215, box);
    gridSample_->setObjectName(QStringLiteral("GridSample"));
    gridSample_->move(px(240), px(2160));
    gridSample_->canvas().setBackColour(rgb(0, 0, 0));
    gridSample_->canvas().setForeColour(kThumbnailLines);

    helpBox_ = new QPlainTextEdit(qs(text::kGridHelp), box);
    helpBox_->setObjectName(QStringLiteral("HelpBox"));
    helpBox_->setGeometry(pixelRect(180, 2160, 1455, 1245));
    helpBox_->setReadOnly(true);
    // The text breaks its own lines to fit the narrow box.
    helpBox_->setLineWrapMode(QPlainTextEdit::NoWrap);
    helpBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont helpFont = helpBox_->font();
    helpFont.setPixelSize(11);
    helpBox_->setFont(helpFont);
    helpBox_->hide();

    showGridHelp_ = button(box, "ShowGridHelp", text::kHelpOpen, 180, 3480, 1455, 330);
    connect(showGridHelp_, &QPushButton::clicked, this, &View3dWindow::onShowGridHelp);
}

void View3dWindow::createHelpText()
{
    text3_ = new QPlainTextEdit(qs(text::kViewHelp), this);
    text3_->setObjectName(QStringLiteral("Text3"));
    text3_->setGeometry(pixelRect(10200, 360, 1575, 2055));
    text3_->setReadOnly(true);
    QPalette palette = text3_->palette();
    palette.setColor(QPalette::Base, QColor(192, 255, 192));
    text3_->setPalette(palette);
}

void View3dWindow::createBrightnessFrame()
{
    QGroupBox* box = frame(this, "RGB 亮度", 10200, 2520, 1575, 1335);
    picture1_ = new CanvasWidget(1335, 240, box);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->move(px(120), px(270));
    const char* names[] = {"HScroll1", "HScroll2", "HScroll3"};
    for (std::size_t i = 0; i < hScroll_.size(); ++i) {
        auto* bar = new QScrollBar(Qt::Horizontal, box);
        bar->setObjectName(QString::fromLatin1(names[i]));
        bar->setGeometry(pixelRect(120, 600 + 240.0 * static_cast<double>(i), 1335, 200));
        bar->setRange(-99, 99);
        bar->setValue(0);
        connect(bar, &QScrollBar::valueChanged, this, &View3dWindow::onBrightness);
        hScroll_[i] = bar;
    }
    // The red line marks the bars' middle, where the colours are unchanged.
    auto* middle = new QLabel(box);
    middle->setGeometry(px(120 + 1335 / 2.0), px(570), 1, px(780));
    middle->setStyleSheet(QStringLiteral("background: red"));
    middle->setAttribute(Qt::WA_TransparentForMouseEvents);

    fuwei_ = button(this, "fuwei", "复位", 11280, 2520, 250, 180);
    fuwei_->setToolTip(QStringLiteral("复位"));
    QFont small = fuwei_->font();
    small.setPixelSize(8);
    fuwei_->setFont(small);
    connect(fuwei_, &QPushButton::clicked, this, &View3dWindow::onReset);
}

void View3dWindow::createChoiceFrame()
{
    QGroupBox* box = frame(this, "选择", 10200, 3960, 1575, 2400);
    label(box, "立体分级", 120, 270, 700, 285);
    fenji_ = new QComboBox(box);
    fenji_->setObjectName(QStringLiteral("fenji"));
    fenji_->setGeometry(pixelRect(840, 240, 615, 315));
    for (int n = 9; n >= 2; --n)
        fenji_->addItem(QString::number(n));

    auto option = [box](const char* name, const char* caption, double top) {
        auto* check = new QCheckBox(qs(caption), box);
        check->setObjectName(QString::fromLatin1(name));
        check->setGeometry(pixelRect(120, top, 1400, 285));
        check->setChecked(true);
        return check;
    };
    wangge_ = option("wangge", "显示网格", 630);
    guocheng_ = option("guocheng", "演示过程", 930);
    qumian_ = option("qumian", "悬空曲面", 1230);

    label(box, "背景颜色", 120, 1560, 840, 285);
    beijing_ = button(box, "beijing", "", 960, 1560, 495, 285);
    beijing_->setToolTip(QStringLiteral("点击色块选择背景颜色"));
    beijing_->setFlat(true);
    beijing_->setAutoFillBackground(true);
    paintBlock(beijing_, rgb(0, 0, 0));
    connect(beijing_, &QPushButton::clicked, this, &View3dWindow::onBackground);

    label(box, "自选色表", 120, 1950, 840, 285);
    biao_ = new QComboBox(box);
    biao_->setObjectName(QStringLiteral("biao"));
    biao_->setGeometry(pixelRect(960, 1920, 495, 315));
    for (const std::string& name : colourTableNames())
        biao_->addItem(QString::fromStdString(name));
    connect(biao_, &QComboBox::currentIndexChanged, this, &View3dWindow::onTableChanged);
}

void View3dWindow::createButtons()
{
    goEdit_ = button(this, "GoEdit", text::kEditOn, kButtonLeft, 6480, kButtonWidth, kButtonHeight);
    editMap_ = button(this, "EditMap", text::kRedraw, kButtonLeft, 6960, kButtonWidth, kButtonHeight);
    yulanstep_ = button(this, "yulanstep", text::kPreview, kButtonLeft, 7440, kButtonWidth, kButtonHeight);
    command1_ = button(this, "Command1", text::kReturn, kButtonLeft, 7920, kButtonWidth, kButtonHeight);
    cuntu_ = button(this, "cuntu", text::kSave, 8160, 7920, 855, kButtonHeight);
    dayin_ = button(this, "dayin", text::kPrint, 9120, 7920, 855, kButtonHeight);
    connect(goEdit_, &QPushButton::clicked, this, &View3dWindow::onGoEdit);
    connect(editMap_, &QPushButton::clicked, this, &View3dWindow::onEditMap);
    connect(yulanstep_, &QPushButton::clicked, this, &View3dWindow::onPreview);
    connect(command1_, &QPushButton::clicked, this, &View3dWindow::onReturn);
    connect(cuntu_, &QPushButton::clicked, this, &View3dWindow::onSave);
    connect(dayin_, &QPushButton::clicked, this, &View3dWindow::onPrint);
}

// The level boxes lie under the drawing area; they show while it is hidden.
void View3dWindow::createGridBoxes()
{
    QFont small;
    small.setPixelSize(10);
    for (int k = 0; k < kSurfaceNodes; ++k) {
        const int a = k / kSurfaceSide, b = k % kSurfaceSide;
        auto* box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("Grid"));
        box->setProperty("node", k);
        box->setGeometry(pixelRect(kBoxLeft + kBoxPitch * a, kBoxBottom - kBoxPitch * b, kBoxWidth, kBoxHeight));
        box->setFont(small);
        box->setAlignment(Qt::AlignCenter);
        box->setTextMargins(0, 0, 0, 0);
        box->setFrame(false);
        box->setAutoFillBackground(true);
        box->hide();
        box->installEventFilter(this);
        gridBoxes_[static_cast<std::size_t>(k)] = box;
    }
}

// The opening: caption, defaults, the grid read and classified, the colour
// table, the thumbnail and the strip. Nothing is drawn.
void View3dWindow::openView()
{
    const QString name = QString::fromStdString(state_.dataFileName).trimmed();
    setWindowTitle(qs(text::kCaptionStart) + name + QStringLiteral("  : Record   1") + QStringLiteral(" to  ") +
                   QString::number(state_.fileRecordCount));
    const std::optional<std::string> fault = grid_.load();
    grid_.classifyInitial(levelCount());
    dataAngle_->setText(QStringLiteral("45"));
    dataHeight_->setText(QStringLiteral("120"));
    acceptedAngle_ = dataAngle_->text();
    acceptedHeight_ = dataHeight_->text();
    loadLevelColours(true);
    showThumbnail();
    paintStrip();
    if (fault) {
        // Without a grid there is nothing to draw or edit.
        for (QPushButton* b : {goEdit_, editMap_, yulanstep_})
            b->setEnabled(false);
        const std::string message = *fault;
        QTimer::singleShot(0, this, [this, message] { prompter_.message(message); });
    }
}

bool View3dWindow::editing() const { return goEdit_->text() == qs(text::kEditOff); }

int View3dWindow::levelCount() const { return fenji_->currentText().toInt(); }

void View3dWindow::paintBlock(QPushButton* block, Colour c)
{
    block->setStyleSheet(QStringLiteral("QPushButton { background-color: rgb(%1, %2, %3); border: 1px solid gray; }")
                             .arg(redOf(c))
                             .arg(greenOf(c))
                             .arg(blueOf(c)));
}

// LoadLevelColours: the table the list names, shown in the blocks.
bool View3dWindow::loadLevelColours(bool deferNotice)
{
    const ColourTableLoad load = colours_.load(biao_->currentText().toStdString());
    showColourBlocks();
    // The folder watcher reads the table again on every change in the
    // current folder; one notice per problem is enough.
    if (load.notice != colourNotice_ && !load.notice.empty())
        tell(load.notice, deferNotice);
    colourNotice_ = load.notice;
    return load.usable();
}

// While the window opens, a message waits until it is shown.
void View3dWindow::tell(const std::string& message, bool defer)
{
    if (defer)
        QTimer::singleShot(0, this, [this, message] { prompter_.message(message); });
    else
        prompter_.message(message);
}

void View3dWindow::showColourBlocks()
{
    for (int slot = 0; slot < kLevelColourSlots; ++slot)
        paintBlock(colorSample_[static_cast<std::size_t>(slot)], colours_.colour(slot));
}

void View3dWindow::paintStrip() { paintBrightnessStrip(picture1_->canvas(), colours_); }

void View3dWindow::showThumbnail()
{
    helpBox_->hide();
    showGridHelp_->setText(qs(text::kHelpOpen));
    drawCellThumbnail(gridSample_->canvas(), projection_);
}

// The tables are read when the list changes and when a colour file in the
// current folder changes; nothing polls.
void View3dWindow::watchColourFiles()
{
    watcher_ = new QFileSystemWatcher(this);
    watcher_->addPath(QDir::currentPath());
    for (const std::string& name : colourTableNames()) {
        const QString file = QString::fromStdString(colourFileName(name));
        if (QFileInfo::exists(file))
            watcher_->addPath(QDir::current().absoluteFilePath(file));
    }
    auto reload = [this] {
        if (escape_.running())
            return;
        const QString file = QString::fromStdString(colourFileName(biao_->currentText().toStdString()));
        if (QFileInfo::exists(file))
            watcher_->addPath(QDir::current().absoluteFilePath(file));
        loadLevelColours();
        paintStrip();
    };
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, reload);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, reload);
}

// A box checks its text when it is left, but a drawing can be asked for
// while the box still holds text it has not judged (a button pressed from
// the keyboard, or before the box lost the focus). So every drawing first
// puts each box's text through the box's own rule; a refused text draws
// nothing, is said, and keeps the focus in its box. Text already accepted
// is not entered again: a second entry of the same height after an angle
// above 90 would change the column spacing the user saw in the thumbnail.
bool View3dWindow::boxesAccepted()
{
    struct Box {
        QLineEdit* entry;
        const QString& accepted;
        bool (View3dWindow::*leave)();
        const char* refused;
    };
    // Height first, as the command line enters them.
    const Box boxes[] = {{dataHeight_, acceptedHeight_, &View3dWindow::onHeightLeft, text::kHeightRefused},
                         {dataAngle_, acceptedAngle_, &View3dWindow::onAngleLeft, text::kAngleRefused}};
    for (const Box& box : boxes) {
        if (box.entry->text().trimmed() == box.accepted)
            continue;
        if (!(this->*box.leave)()) {
            prompter_.message(text::refusedEntry(box.refused, box.entry->text().toStdString()));
            return false;
        }
    }
    return true;
}

void View3dWindow::drawSurfaceNow(bool preview)
{
    if (escape_.running() || !grid_.loaded())
        return;
    if (!boxesAccepted())
        return;
    mainmap_->clearPicture();
    const bool live = guocheng_->isChecked();
    QtCanvas& target = live ? mainmap_->shown() : mainmap_->hidden();
    // Without a usable table every level would come out black.
    if (!loadLevelColours())
        return;
    SurfaceOptions options;
    options.levelCount = levelCount();
    options.zoomMargin = sf_->value();
    options.showGrid = wangge_->isChecked();
    options.floating = qumian_->isChecked();
    options.preview = preview;
    bool whole = false;
    {
        EscapeRun run(escape_);
        whole = drawSurface(grid_, projection_, projection_.viewAngle, colours_, options,
                            {target, statusBar_->canvas(), escape_, prompter_});
    }
    if (!live) {
        if (whole)
            mainmap_->showHidden();
        else
            mainmap_->shown().clear();
    }
}

void View3dWindow::onEditMap() { drawSurfaceNow(false); }

void View3dWindow::onPreview() { drawSurfaceNow(true); }

void View3dWindow::onGoEdit()
{
    if (!editing()) {
        mainmap_->hide();
        yulanstep_->setEnabled(false);
        loadLevelColours();
        grid_.classifyLevels(levelCount());
        goEdit_->setText(qs(text::kEditOff));
        editMap_->setEnabled(false);
        command1_->setEnabled(false);
        fillGridBoxes();
        return;
    }
    goEdit_->setText(qs(text::kEditOn));
    yulanstep_->setEnabled(true);
    for (QLineEdit* box : gridBoxes_)
        box->hide();
    mainmap_->show();
    editMap_->setEnabled(true);
    command1_->setEnabled(true);
}

// FillGridBoxes: each interior box shows its level on the level's raw colour.
void View3dWindow::fillGridBoxes()
{
    for (int k = 0; k < kSurfaceNodes; ++k) {
        QLineEdit* box = gridBoxes_[static_cast<std::size_t>(k)];
        box->setText(QString::number(grid_.level(k)));
        if (SurfaceGrid::isBorder(k)) {
            box->hide();
            continue;
        }
        box->setStyleSheet(levelBoxStyle(colours_.colour(grid_.level(k))));
        box->show();
    }
}

bool View3dWindow::onGridBoxLeft(int k)
{
    QLineEdit* box = gridBoxes_.at(static_cast<std::size_t>(k));
    box->setText(box->text().trimmed());
    const std::optional<double> level = grid_.enterLevel(k, box->text().toStdString(), levelCount());
    if (!level) {
        keepFocus(box, false);
        return false;
    }
    box->setStyleSheet(levelBoxStyle(colours_.colour(static_cast<int>(std::nearbyint(*level)))));
    return true;
}

bool View3dWindow::onAngleLeft()
{
    dataAngle_->setText(dataAngle_->text().trimmed());
    if (!projection_.enterAngle(dataAngle_->text().toStdString())) {
        keepFocus(dataAngle_, true);
        return false;
    }
    acceptedAngle_ = dataAngle_->text();
    showThumbnail();
    return true;
}

bool View3dWindow::onHeightLeft()
{
    dataHeight_->setText(dataHeight_->text().trimmed());
    if (!projection_.enterHeight(dataHeight_->text().toStdString())) {
        keepFocus(dataHeight_, true);
        return false;
    }
    acceptedHeight_ = dataHeight_->text();
    showThumbnail();
    return true;
}

// A refused entry keeps the focus; the angle and height boxes also select
// their whole text.
void View3dWindow::keepFocus(QLineEdit* box, bool selectAll)
{
    QTimer::singleShot(0, box, [box, selectAll] {
        box->setFocus(Qt::OtherFocusReason);
        if (selectAll)
            box->selectAll();
    });
}

void View3dWindow::onShowGridHelp()
{
    if (showGridHelp_->text() == qs(text::kHelpOpen)) {
        helpBox_->show();
        helpBox_->raise();
        showGridHelp_->setText(qs(text::kHelpClose));
        return;
    }
    helpBox_->hide();
    showGridHelp_->setText(qs(text::kHelpOpen));
}

void View3dWindow::onColourSample(int slot)
{
    QPushButton* block = colorSample_.at(static_cast<std::size_t>(slot));
    const Colour remembered = colours_.colour(slot);
    paintBlock(block, kBlockWaiting);
    const std::optional<Colour> chosen = prompter_.chooseColour(remembered);
    if (!chosen) {
        paintBlock(block, remembered);
        return;
    }
    // The block shows what the table really holds: a colour that could
    // not be stored goes back to the old one.
    const BlockSave save = colours_.saveBlock(slot, *chosen);
    paintBlock(block, save ? *chosen : remembered);
    if (!save)
        prompter_.message(save.message);
    // Another table keeps its own colours: it is read again at once.
    if (biao_->currentText() != QStringLiteral("0") && slot != kGridLineSlot) {
        const Colour gridLines = colours_.colour(kGridLineSlot);
        colours_.load(biao_->currentText().toStdString());
        colours_.setColour(kGridLineSlot, gridLines);
        showColourBlocks();
    }
    paintStrip();
}

void View3dWindow::onBrightness()
{
    colours_.setPercents(hScroll_[0]->value(), hScroll_[1]->value(), hScroll_[2]->value());
    paintStrip();
}

void View3dWindow::onReset()
{
    for (QScrollBar* bar : hScroll_) {
        bar->setRange(-99, 99);
        bar->setValue(0);
    }
}

void View3dWindow::onBackground()
{
    const std::optional<Colour> chosen = prompter_.chooseColour(mainmap_->background());
    if (!chosen)
        return;
    paintBlock(beijing_, *chosen);
    mainmap_->setBackground(*chosen);
}

void View3dWindow::onTableChanged()
{
    loadLevelColours();
    paintStrip();
}

void View3dWindow::onReturn()
{
    if (finished_ || !command1_->isEnabled())
        return;
    finished_ = true;
    QTimer::singleShot(0, this, [this] { emit closed(); });
}

bool View3dWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && !finished_) {
        if (watched == dataAngle_)
            onAngleLeft();
        else if (watched == dataHeight_)
            onHeightLeft();
        else if (const QVariant node = watched->property("node"); node.isValid() && editing())
            onGridBoxLeft(node.toInt());
    }
    return QWidget::eventFilter(watched, event);
}

// The close box returns as the return button does, and does nothing while
// the return button is disabled (during editing).
void View3dWindow::closeEvent(QCloseEvent* event)
{
    onReturn();
    if (isSignalConnected(QMetaMethod::fromSignal(&View3dWindow::closed)))
        event->ignore();
    else
        event->setAccepted(finished_);
}

} // namespace tervane
