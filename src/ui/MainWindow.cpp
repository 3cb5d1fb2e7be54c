#include "ui/MainWindow.h"

#include "ui/ExportContours.h"
#include "ui/ImportData.h"

#include "engine/network/WorkingFiles.h"

#include "ui/ParameterPanel.h"
#include "engine/state/HelpTexts.h"
#include "engine/state/PlotFrame.h"
#include "engine/hpgl/PlayCommand.h"
#include "engine/pictures/PictureCommands.h"
#include "engine/state/LegendLayout.h"
#include "ui/CanvasWidget.h"
#include "ui/LegendWindow.h"
#include "ui/MapView.h"
#include "ui/MainLayout.h"
#include "ui/PrintFitted.h"
#include "ui/QtCanvas.h"
#include "ui/QtEscapeKey.h"
#include "ui/VectorExport.h"
#include "engine/base/NumberText.h"
#include "engine/survey/DataCheck.h"
#include "engine/survey/SurveyFile.h"
#include "ui/TeachingWindow.h"

#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include "ui/RecentFiles.h"
#include "engine/base/FileKinds.h"
#include "ui/TeachingWindow.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QDragEnterEvent>
#include <QActionGroup>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QMenuBar>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>
#include <QShowEvent>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace tervane {

namespace {

const std::string kNothingToPrint = "没有可打印的图形";
const std::string kPrintNotStarted = "没有打印：打印机无法开始打印";

int twipsToPixels(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

// What 存图 takes of the drawing area, and so what Print prints: its
// top-left 626 x 497 pixels, the picture under the drawing and the drawing.
QImage shownDrawing(const QtCanvas& area)
{
    const QImage& image = area.image();
    const double ratio = image.devicePixelRatio();
    const int width = std::min(kPictureWidth, area.pixelWidth());
    const int height = std::min(kPictureHeight, area.pixelHeight());
    return image.copy(0, 0, static_cast<int>(std::ceil(width * ratio)), static_cast<int>(std::ceil(height * ratio)));
}

bool isOneColour(const QImage& image)
{
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    const QRgb first = pixels.pixel(0, 0);
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        if (std::any_of(row, row + pixels.width(), [first](QRgb p) { return p != first; }))
            return false;
    }
    return true;
}

// Why a plot file drew nothing: it cannot be read, or its pen-down points
// span no width or no height, as in a file that is no plot file at all (a
// survey file typed into the dialog, say).
std::string notPlayedMessage(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return "无法读取绘图文件 " + path;
    return "无法播放 " + path + "：它不是 HPGL 绘图文件，或其中落笔画的线没有宽度或高度。";
}

// New file names its file through the Open dialog, whose filter shows only
// .D3D files; a name typed without an extension gets .D3D, so the file the
// editor makes is one that Open will list. A file that already exists is
// taken as it is named.
class NewFileNaming final : public Prompter {
public:
    explicit NewFileNaming(Prompter& inner) : inner_(inner) {}

    Answer message(const std::string& text, const std::string& title, MessageIcon icon,
                   MessageButtons buttons) override
    {
        return inner_.message(text, title, icon, buttons);
    }
    std::optional<std::string> openFile(const std::string& filter, int filterIndex, const std::string& initialName,
                                        const std::string& title) override
    {
        std::optional<std::string> chosen = inner_.openFile(filter, filterIndex, initialName, title);
        if (chosen && needsExtension(*chosen))
            *chosen += ".D3D";
        return chosen;
    }
    std::optional<std::string> saveFile(const std::string& filter, int filterIndex, const std::string& initialName,
                                        const std::string& title) override
    {
        return inner_.saveFile(filter, filterIndex, initialName, title);
    }
    std::optional<Colour> chooseColour(Colour initial) override { return inner_.chooseColour(initial); }
    std::optional<int> choosePrinter(int copies) override { return inner_.choosePrinter(copies); }
    void beep() override { inner_.beep(); }

private:
    static bool needsExtension(const std::string& path)
    {
        const std::filesystem::path name(path);
        if (name.filename().empty() || name.has_extension())
            return false;
        std::error_code ec;
        return !std::filesystem::exists(name, ec);
    }

    Prompter& inner_;
};

// The Esc key's own filter holds back a close box clicked during a run (it
// would otherwise close the window the run draws in). This one, installed
// in front of it for the run, hands such a click to the window instead.
class CloseWatcher final : public QObject {
public:
    CloseWatcher(QWidget& window, std::function<void()> onClose) : window_(window), onClose_(std::move(onClose))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~CloseWatcher() override { QCoreApplication::instance()->removeEventFilter(this); }
    CloseWatcher(const CloseWatcher&) = delete;
    CloseWatcher& operator=(const CloseWatcher&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The program's own closes are not user input; they reach the window.
        if (event->type() != QEvent::Close || !event->spontaneous())
            return false;
        if (watched != &window_ && watched != window_.windowHandle())
            return false;
        event->ignore();
        onClose_();
        return true;
    }

private:
    QWidget& window_;
    std::function<void()> onClose_;
};

QRect pixelRect(const TwipsRect& r)
{
    return {twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width), twipsToPixels(r.height)};
}

// The window's size and place, in the settings file the recent files use.
const QString kGeometryKey = QStringLiteral("mainWindow/geometry");

QSettings userSettings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("tervane"), QStringLiteral("tervane"));
}

} // namespace

MainWindow::MainWindow(SharedState& state, Random& random, Prompter& prompter, QtEscapeKey& escape,
                       QWidget* parent, const PanelSettings* keptPanel)
    : QMainWindow(parent),
      state_(state),
      escape_(escape),
      ctx_{state, panel_, *this, prompter, escape, random},
      commands_(ctx_)
{
    setObjectName(QStringLiteral("form1"));
    setWindowTitle(QString::fromStdString(kProgramTitle));
    createMenus();
    createDrawingArea();
    createStrips();
    createStatusBoxes();
    createPanel();
    if (keptPanel != nullptr)
        parameterPanel_->apply(*keptPanel);
    createHelpPanels();
    // The program's own notices go along the bottom: the window is the
    // bar's height taller and nothing else moves. The window's edges resize
    // it; a grip would only draw over the bar.
    statusBar()->setSizeGripEnabled(false);
    resize(minimumSizeHint());
    connectMouse();
    printerDialog_ = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    setAcceptDrops(true);
    runCommand([this] {
        commands_.startUp();
        // Start-up fills the area with the background colour over the
        // picture it has just loaded; the window coming back from the editor
        // or the 3D view must show the picture as it did before it went.
        QtCanvas& area = picture1_->canvas();
        if (state_.pictureInserted == 1 && area.hasPicture())
            area.clear();
    });
}

MainWindow::~MainWindow()
{
    // The record editor and the 3D view unload the window: where it was is
    // where it comes back.
    rememberGeometry();
}

void MainWindow::rememberGeometry() const
{
    if (geometryShown_)
        userSettings().setValue(kGeometryKey, saveGeometry());
}

void MainWindow::showEvent(QShowEvent* event)
{
    if (!geometryShown_ && !event->spontaneous()) {
        geometryShown_ = true;
        const QByteArray kept = userSettings().value(kGeometryKey).toByteArray();
        if (!kept.isEmpty())
            restoreGeometry(kept);
    }
    QMainWindow::showEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == central_ && event->type() == QEvent::Resize)
        placeControls();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::placeControls()
{
    const int grownX = std::max(0, central_->width() - twipsToPixels(kMainWidth));
    const int grownY = std::max(0, central_->height() - twipsToPixels(kMainHeight));
    const QRect area = pixelRect(layout::kDrawingArea);
    picture1_->setGeometry(area.left(), area.top(), picture1_->minimumWidth() + grownX,
                           picture1_->minimumHeight() + grownY);
    const auto under = [grownY](QWidget* control, const TwipsRect& place) {
        control->move(twipsToPixels(place.left), twipsToPixels(place.top) + grownY);
    };
    under(picture2_, layout::kProgressStrip);
    under(picture4_, layout::kLevelStrip);
    under(picture5_, layout::kLevelDisplay);
    under(text1_, layout::kStatusBox);
    under(zuobiaox_, layout::kCursorBox);
    panelArea_->move(twipsToPixels(layout::kPanelArea.left) + grownX, twipsToPixels(layout::kPanelArea.top));
    // The legend stays beside the window, clear of the larger map.
    if (legendWindow_ && legendWindow_->isVisible())
        showLegend();
}

// Menu bar. Each command is one line; commands whose logic is not built yet
// are left out rather than shown dead.
void MainWindow::createMenus()
{
    // The captions stay as they are; the usual shortcuts are shown beside
    // them, and a caption with a mnemonic (&X) opens with Alt and its letter.
    // The file menu's caption has none, so Alt+F is given to it directly.
    QMenu* file = menuBar()->addMenu(QStringLiteral("文件"));
    file->setObjectName(QStringLiteral("wenjian"));
    auto* altF = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F), this);
    connect(altF, &QShortcut::activated, this, [this, file] { menuBar()->setActiveAction(file->menuAction()); });
    addCommand(file, "xinjian", "新建文件", &MainWindow::onNewFile, QKeySequence::New);
    addCommand(file, "daikai", "打开文件", &MainWindow::onOpen, QKeySequence::Open);
    addCommand(file, "daoru", "导入数据…", &MainWindow::onImportData);
    addCommand(file, "daochu", "导出矢量图…", &MainWindow::onExportVector);
    addCommand(file, "daochudzx", "导出等值线…", &MainWindow::onExportContours);
    addCommand(file, "jiancha", "数据检查…", &MainWindow::onDataCheck);
    file->addSeparator();
    exitAction_ = addCommand(file, "tuichu", "退出", &MainWindow::onExit, QKeySequence(Qt::CTRL | Qt::Key_Q));
    fileMenu_ = file;
    showRecentFiles();

    addCommand(menuBar(), "bj", "编辑", &MainWindow::onEdit);

    networkMenu_ = menuBar()->addMenu(QStringLiteral("网络"));
    networkMenu_->setObjectName(QStringLiteral("wl"));
    addCommand(networkMenu_, "yuanshiwangluo", "原始网络", &MainWindow::onRawNetwork);
    addCommand(networkMenu_, "youhuawangluo", "优化网络", &MainWindow::onOptimizedNetwork);
    addCommand(networkMenu_, "sanweiwangluo", "三维网络", &MainWindow::onNetwork3d);
    for (QAction* kind : networkMenu_->actions())
        kind->setCheckable(true);
    connect(networkMenu_, &QMenu::aboutToShow, this, [this] {
        markNetworkKind();
        if (state_.fileOpen != 0) {
            onNetworkMenu();
            return;
        }
        // With no file the entries stay closed and the message shows
        // once the menu is gone.
        QTimer::singleShot(0, networkMenu_, [this] { networkMenu_->close(); });
        QTimer::singleShot(0, this, &MainWindow::onNetworkMenu);
    });

    addCommand(menuBar(), "ht", "绘图", &MainWindow::onDraw, QKeySequence(Qt::Key_F5));
    addCommand(menuBar(), "sw", "三维", &MainWindow::onView3d);
    addCommand(menuBar(), "CR", "插图(&I)", &MainWindow::onInsertPicture);
    addCommand(menuBar(), "qt", "清图(&C)", &MainWindow::onClearPicture);
    addCommand(menuBar(), "ct", "存图(&S)", &MainWindow::onSavePicture);
    addCommand(menuBar(), "qp", "清屏(&D)", &MainWindow::onClearScreen);
    addCommand(menuBar(), "dyt", "打印(&P)", &MainWindow::onPrint);
    addCommand(menuBar(), "bf", "播放", &MainWindow::onPlay);
    addCommand(menuBar(), "jx", "教学(&X)", &MainWindow::onTeaching);
    createViewMenu();
    createOptionsMenu();
    createHelpMenu();
}

// The drawing area's zoom. Ctrl++ is the usual zoom-in key too; on most
// keyboards it needs Shift, and Ctrl+= does not.
void MainWindow::createViewMenu()
{
    QMenu* view = menuBar()->addMenu(QStringLiteral("视图(&V)"));
    view->setObjectName(QStringLiteral("st"));
    QAction* zoomIn = addCommand(view, "fd", "放大", &MainWindow::onZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal));
    zoomIn->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)});
    addCommand(view, "sx", "缩小", &MainWindow::onZoomOut, QKeySequence(Qt::CTRL | Qt::Key_Minus));
    addCommand(view, "qtu", "全图", &MainWindow::onFitView, QKeySequence(Qt::CTRL | Qt::Key_0));
}

void MainWindow::onZoomIn() { picture1_->zoomIn(); }

void MainWindow::onZoomOut() { picture1_->zoomOut(); }

void MainWindow::onFitView() { picture1_->fitAll(); }

// An on/off choice of the options menu, shown as remembered; `toggled`
// remembers a change and acts on it.
QAction* MainWindow::addRememberedOption(QMenu* menu, const char* name, const char* caption, bool on,
                                         const std::function<void(bool)>& toggled)
{
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromUtf8(name));
    action->setCheckable(true);
    action->setChecked(on);
    connect(action, &QAction::toggled, this, toggled);
    return action;
}

// Choices of how the map looks, beyond the panel's, remembered between runs.
void MainWindow::createOptionsMenu()
{
    QMenu* options = menuBar()->addMenu(QStringLiteral("选项(&O)"));
    options->setObjectName(QStringLiteral("xx"));

    QMenu* contourLabels = options->addMenu(QStringLiteral("等值线注记"));
    contourLabels->setObjectName(QStringLiteral("dzxzj"));
    auto* choices = new QActionGroup(this);
    choices->setExclusive(true);
    const int remembered = MapOptions::contourLabels();
    const QString captions[] = {QStringLiteral("无"), QStringLiteral("计曲线"), QStringLiteral("全部")};
    for (int choice = 0; choice < 3; ++choice) {
        QAction* entry = contourLabels->addAction(captions[choice]);
        entry->setObjectName(QStringLiteral("dzxzj%1").arg(choice));
        entry->setCheckable(true);
        entry->setChecked(choice == remembered);
        choices->addAction(entry);
        connect(entry, &QAction::toggled, this, [choice](bool on) {
            if (on)
                MapOptions::setContourLabels(choice);
        });
        contourLabelActions_.append(entry);
    }

    legendAction_ = addRememberedOption(options, "tl", "图例", MapOptions::legend(), [this](bool on) {
        MapOptions::setLegend(on);
        showLegend();
    });
    coordinatesAction_ = addRememberedOption(options, "zb", "坐标", MapOptions::coordinates(),
                                             [](bool on) { MapOptions::setCoordinates(on); });
    fillAction_ = addRememberedOption(options, "tcsd", "填充色带", MapOptions::fillBands(), [this](bool on) {
        MapOptions::setFillBands(on);
        showLegend();
    });

    options->addSeparator();
    classicAction_ = addRememberedOption(options, "yys", "原样式", MapOptions::classic(), [this](bool on) {
        MapOptions::setClassic(on);
        showLegend();
    });
}

void MainWindow::createHelpMenu()
{
    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    help->setObjectName(QStringLiteral("bz"));
    addCommand(help, "czbz", "操作方法(&C)", &MainWindow::onOperatingHelp)->setShortcut(QKeySequence::HelpContents);
    help->addSeparator();
    addCommand(help, "csbz", "参数设置(&S)", &MainWindow::onParameterHelp);
    help->addSeparator();
    addCommand(help, "jjbz", "关于等值线(&G)", &MainWindow::onAboutHelp);
    help->addSeparator();
    addCommand(help, "tcbz", "退出帮助(&T)", &MainWindow::onCloseHelp);
}

QAction* MainWindow::addCommand(QWidget* menu, const char* name, const char* caption,
                                void (MainWindow::*handler)(), const QKeySequence& shortcut)
{
    auto* action = new QAction(QString::fromUtf8(caption), this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    // A shortcut works in the whole window, whether or not its menu is open.
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
    connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    menu->addAction(action);
    return action;
}

// The network menu ticks the kind the last build used.
void MainWindow::markNetworkKind()
{
    const char* names[] = {"yuanshiwangluo", "youhuawangluo", "sanweiwangluo"};
    for (int kind = 1; kind <= 3; ++kind)
        if (auto* a = findChild<QAction*>(QString::fromLatin1(names[kind - 1])))
            a->setChecked(state_.networkKind == kind);
}

void MainWindow::createDrawingArea()
{
    central_ = new QWidget(this);
    // The original size is the least; what the window gains goes to the
    // drawing area (placeControls).
    central_->setMinimumSize(twipsToPixels(kMainWidth), twipsToPixels(kMainHeight));
    central_->resize(central_->minimumSize());
    central_->installEventFilter(this);
    setCentralWidget(central_);
    // The image is made at the screen's full resolution; the frame stays
    // the area's 631 x 497 pixels whatever the ratio.
    picture1_ = new MapView(layout::kDrawingArea.width, layout::kDrawingArea.height, central_,
                            QGuiApplication::instance() ? qGuiApp->devicePixelRatio() : 1.0);
    picture1_->setObjectName(QStringLiteral("Picture1"));
    picture1_->move(twipsToPixels(layout::kDrawingArea.left), twipsToPixels(layout::kDrawingArea.top));
    QtCanvas& area = picture1_->canvas();
    drawingRecord_ = std::make_unique<DrawingRecord>(area.pixelWidth(), area.pixelHeight());
    area.setRecord(drawingRecord_.get());
}

void MainWindow::createStrips()
{
    picture2_ = createCanvas("Picture2", layout::kProgressStrip);
    picture4_ = createCanvas("Picture4", layout::kLevelStrip);
    picture5_ = createCanvas("Picture5", layout::kLevelDisplay);
    for (CanvasWidget* strip : {picture2_, picture4_, picture5_}) {
        strip->canvas().setForeColour(layout::kStripBar);
        strip->canvas().setBackColour(layout::kStripBack);
    }
}

void MainWindow::createStatusBoxes()
{
    text1_ = createBox("Text1", layout::kStatusBox);
    text1_->setAlignment(Qt::AlignCenter);
    zuobiaox_ = createBox("zuobiaox", layout::kCursorBox);
    zuobiaox_->setToolTip(QStringLiteral("光标所在地坐标"));
}

void MainWindow::createPanel()
{
    panelArea_ = new QWidget(central_);
    panelArea_->setObjectName(QStringLiteral("panelArea"));
    panelArea_->setGeometry(pixelRect(layout::kPanelArea));
    panelLayout_ = new QVBoxLayout(panelArea_);
    panelLayout_->setContentsMargins(0, 0, 0, 0);
    parameterPanel_ = new ParameterPanel(ctx_.prompter, panelArea_);
    parameterPanel_->setObjectName(QStringLiteral("ParameterPanel"));
    panelLayout_->addWidget(parameterPanel_);
}

// The help panels lie over the lower part of the panel column, where the
// colour-ramp controls are; those give way while a panel is up. A missing
// help file shows where it was looked for rather than an empty box.
void MainWindow::createHelpPanels()
{
    const auto make = [this](const char* name, HelpTopic topic) {
        auto* panel = new QPlainTextEdit(panelArea_);
        panel->setObjectName(QString::fromLatin1(name));
        panel->setReadOnly(true);
        panel->setFont(parameterPanel_->font());
        panel->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        panel->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        panel->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        const std::optional<std::string> text = readHelpText(topic);
        const QString missing = QString::fromStdString(helpFileName(topic));
        panel->setPlainText(text ? QString::fromStdString(*text) : QStringLiteral("找不到帮助文件 %1").arg(missing));
        panel->hide();
        return panel;
    };
    bz0_ = make("bz0", HelpTopic::About);
    bz1_ = make("bz1", HelpTopic::Operating);
    bz3_ = make("bz3", HelpTopic::Parameters);
}

void MainWindow::showHelp(QPlainTextEdit* panel)
{
    for (QPlainTextEdit* p : {bz0_, bz1_, bz3_}) {
        if (p != panel)
            p->hide();
    }
    parameterPanel_->setRampControlsVisible(panel == nullptr);
    if (!panel)
        return;
    const QRect place = parameterPanel_->helpPlace();
    panel->setGeometry(place.translated(parameterPanel_->pos()));
    panel->show();
    panel->raise();
}

void MainWindow::connectMouse()
{
    connect(picture1_, &CanvasWidget::mouseMoved, this,
            [this](double x, double y, Qt::MouseButtons) { showCursor(x, y); });
}

CanvasWidget* MainWindow::createCanvas(const char* name, const TwipsRect& place)
{
    auto* widget = new CanvasWidget(place.width, place.height, central_);
    widget->setObjectName(QString::fromLatin1(name));
    widget->move(twipsToPixels(place.left), twipsToPixels(place.top));
    return widget;
}

QLineEdit* MainWindow::createBox(const char* name, const TwipsRect& place)
{
    auto* box = new QLineEdit(central_);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(pixelRect(place));
    box->setReadOnly(true);
    box->setFont(QtCanvas::textFont());
    return box;
}

template <typename Command>
bool MainWindow::runCommand(Command&& command)
{
    // A command cannot start inside a running one.
    if (escape_.running())
        return false;
    readPanel();
    {
        EscapeRun run(escape_);
        // The first look at the key puts its filter in place; the close
        // watcher goes in front of it.
        escape_.isDown();
        const CloseWatcher watcher(*this, [this] { stopRunForClose(); });
        command();
    }
    // A large map's record is tens of megabytes; what it grew beyond that goes back.
    if (drawingRecord_)
        drawingRecord_->trim();
    showPanel();
    showWhatIsOpen();
    if (closeAskedDuringRun_) {
        closeAskedDuringRun_ = false;
        onExit();
    }
    return true;
}

// Builds and Draw runs write and read the working files of the current
// folder, which another run of the program there may share.
template <typename Command>
bool MainWindow::runWorkingFilesCommand(Command&& command)
{
    return runCommand([&] {
        const WorkingFilesLock lock({}, [this] {
            setStatus("等待本目录中另一个运行用完工作文件 (" + kWorkingLockFile + ")…", rgb(255, 255, 255), rgb(0, 0, 0));
        });
        command();
    });
}

void MainWindow::stopRunForClose()
{
    closeAskedDuringRun_ = true;
    escape_.press();
}

std::string MainWindow::captionFromState() const
{
    const SharedState& s = state_;
    if (s.fileOpen == 1 && !s.dataFileName.empty()) {
        long records = s.fileRecordCount;
        // After the editor the file is ahead of the records last loaded.
        if (s.dataEdited == 1) {
            const long onDisk = surveyRecordCount(s.dataFileName);
            if (onDisk >= 0)
                records = onDisk;
        }
        return text::kCaptionTitle + s.dataFileName + "  : Record   1" + " to  "
            + numberText(static_cast<double>(records));
    }
    if (plotShown_ && !s.dataFileName.empty())
        return text::kCaptionTitle + s.dataFileName;
    return kProgramTitle;
}

void MainWindow::showWhatIsOpen() { setCaption(captionFromState()); }

void MainWindow::requestChange(WindowChange change)
{
    if (change != WindowChange::None)
        emit windowChangeRequested(change);
}

// A command sees the panel as it stood when the command began.
void MainWindow::readPanel()
{
    panel_ = parameterPanel_->snapshot();
    readMapOptions(panel_);
}

void MainWindow::readMapOptions(PanelSettings& panel) const
{
    // Unticked, labels are kept apart; ticked, the map is drawn as it always was.
    panel.classic = classicAction_ && classicAction_->isChecked();
    for (int choice = 0; choice < contourLabelActions_.size(); ++choice)
        if (contourLabelActions_[choice]->isChecked())
            panel.contourLabels = choice;
    panel.legend = legendAction_ && legendAction_->isChecked();
    panel.coordinates = coordinatesAction_ && coordinatesAction_->isChecked();
    // Filled in the panel's transition colours; a 3D colour table is the command line's.
    panel.fillBands = fillAction_ && fillAction_->isChecked();
    // 导出等值线… writes the curves of the last Draw.
    panel.keepCurves = true;
}

bool MainWindow::legendApplies() const
{
    PanelSettings now = legendPanel_;
    readMapOptions(now);
    return legendBelongsToDrawing_ && legendShown(now, state_.legend);
}

void MainWindow::showLegend()
{
    if (!legendApplies()) {
        if (legendWindow_)
            legendWindow_->hide();
        return;
    }
    if (!legendWindow_)
        legendWindow_ = new LegendWindow(this);
    // To the right of the whole window, level with the drawing area's top:
    // beside the panel column, well away from the map.
    const QPoint areaTop = picture1_->mapToGlobal(QPoint(0, 0));
    legendWindow_->showLegend(state_.legend, legendPanel_, QPoint(frameGeometry().right() + 8, areaTop.y()),
                              areaTop.x() + picture1_->width());
}

void MainWindow::forgetLegend()
{
    legendBelongsToDrawing_ = false;
    showLegend();
}

// What a command changed in the settings shows on the panel afterwards.
void MainWindow::showPanel()
{
    parameterPanel_->apply(panel_);
    parameterPanel_->setBackgroundBlockEnabled(state_.pictureInserted == 0);
}

void MainWindow::showCursor(double x, double y)
{
    if (const auto text = cursorReadout(state_, x, y))
        zuobiaox_->setText(QString::fromStdString(*text));
}

CanvasWidget* MainWindow::drawingWidget() const { return picture1_; }

Canvas& MainWindow::drawingArea() { return picture1_->canvas(); }
Canvas& MainWindow::progressStrip() { return picture2_->canvas(); }
Canvas& MainWindow::levelStrip() { return picture4_->canvas(); }
Canvas& MainWindow::levelDisplay() { return picture5_->canvas(); }

void MainWindow::setCaption(const std::string& text) { setWindowTitle(QString::fromStdString(text)); }

std::string MainWindow::caption() const { return windowTitle().toStdString(); }

void MainWindow::setStatus(const std::string& text, Colour back, Colour fore)
{
    QPalette palette = text1_->palette();
    palette.setColor(QPalette::Base, toQColor(back));
    palette.setColor(QPalette::Text, toQColor(fore));
    text1_->setPalette(palette);
    text1_->setText(QString::fromStdString(text));
}

std::string MainWindow::status() const { return text1_->text().toStdString(); }

void MainWindow::showNotice(const std::string& text)
{
    statusBar()->showMessage(QString::fromStdString(text));
}

void MainWindow::openRecordEditor() { requestChange(WindowChange::OpenRecordEditor); }

void MainWindow::openFile(const std::string& path)
{
    WindowChange change = WindowChange::None;
    if (runWorkingFilesCommand([&] {
            plotShown_ = false;
            change = commands_.open(path);
        }))
        forgetLegend();
    rememberOpenedFile();
    requestChange(change);
}

void MainWindow::onOpen()
{
    WindowChange change = WindowChange::None;
    if (runWorkingFilesCommand([&] {
            plotShown_ = false;
            change = commands_.open();
        }))
        forgetLegend();
    rememberOpenedFile();
    requestChange(change);
}

void MainWindow::playFile(const std::string& path) { play(path); }

void MainWindow::play(const std::optional<std::string>& presetPath)
{
    const bool ran = runCommand([&] {
        const PlaybackEnd end = playCommand(ctx_, presetPath);
        // A run stopped by Esc leaves what it drew so far.
        plotShown_ = end == PlaybackEnd::Completed || end == PlaybackEnd::Stopped;
        if (end == PlaybackEnd::Failed)
            ctx_.prompter.message(notPlayedMessage(state_.dataFileName));
    });
    if (ran)
        forgetLegend();
}

void MainWindow::rememberOpenedFile()
{
    if (state_.fileOpen == 0 || state_.dataFileName.empty())
        return;
    RecentFiles().add(QString::fromStdString(state_.dataFileName));
    showRecentFiles();
}

void MainWindow::showRecentFiles()
{
    for (QAction* action : recentActions_) {
        fileMenu_->removeAction(action);
        delete action;
    }
    recentActions_.clear();
    const QStringList files = RecentFiles().files();
    for (int i = 0; i < files.size(); ++i) {
        QString shown = files[i];
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown), this);
        action->setObjectName(QStringLiteral("recentFile%1").arg(i + 1));
        const QString path = files[i];
        connect(action, &QAction::triggered, this, [this, path] { openRecentFile(path); });
        fileMenu_->insertAction(exitAction_, action);
        recentActions_.append(action);
    }
    if (!files.isEmpty())
        recentActions_.append(fileMenu_->insertSeparator(exitAction_));
}

void MainWindow::onImportData()
{
    // The new survey file opens as 打开文件 would open it.
    if (const std::optional<std::string> written = importFromWindow(this, ctx_.prompter))
        openFile(*written);
}

void MainWindow::onExportContours() { exportContoursFromWindow(this, state_, ctx_.prompter); }

void MainWindow::openRecentFile(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        RecentFiles().remove(path);
        showRecentFiles();
        showNotice("文件已不存在，已从最近打开的文件中删去：" + path.toStdString());
        return;
    }
    openFile(path.toStdString());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    // Nothing lands while a run draws; the refusals are explained on drop.
    if (!escape_.running() && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    const QString path = urls.size() == 1 && urls[0].isLocalFile() ? urls[0].toLocalFile() : QString();
    const std::string name = path.toStdString();
    // The command runs once the drop is over: its message boxes must not
    // hold the dragging program waiting for the drop's answer.
    if (!path.isEmpty() && isSurveyFileName(name)) {
        event->acceptProposedAction();
        QMetaObject::invokeMethod(this, [this, name] { openFile(name); }, Qt::QueuedConnection);
    } else if (!path.isEmpty() && isPlotFileName(name)) {
        event->acceptProposedAction();
        QMetaObject::invokeMethod(this, [this, name] { playFile(name); }, Qt::QueuedConnection);
    } else {
        event->ignore();
        showNotice("只能放下一个 .D3D 数据文件（打开）或一个 .PLT 绘图文件（播放）");
    }
}

void MainWindow::onNewFile()
{
    WindowChange change = WindowChange::None;
    const bool ran = runCommand([&] {
        plotShown_ = false;
        NewFileNaming naming(ctx_.prompter);
        RunContext ctx{ctx_.state, ctx_.panel, ctx_.view, naming, ctx_.escape, ctx_.random};
        change = MainCommands(ctx).newFile();
    });
    if (ran)
        forgetLegend();
    requestChange(change);
}

void MainWindow::onEdit()
{
    WindowChange change = WindowChange::None;
    runCommand([&] { change = commands_.edit(); });
    requestChange(change);
}

void MainWindow::onExit()
{
    WindowChange change = WindowChange::None;
    runCommand([&] { change = commands_.exit(); });
    exitConfirmed_ = change == WindowChange::Quit;
    requestChange(change);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (exitConfirmed_) {
        rememberGeometry();
        event->accept();
        return;
    }
    event->ignore();
    if (escape_.running()) {
        stopRunForClose();
        return;
    }
    onExit();
    if (exitConfirmed_) {
        rememberGeometry();
        event->accept();
    }
}

bool MainWindow::onNetworkMenu()
{
    runCommand([this] { commands_.networkMenu(); });
    return state_.fileOpen != 0;
}

void MainWindow::onRawNetwork()
{
    if (runWorkingFilesCommand([this] { commands_.rawNetwork(); }))
        forgetLegend();
}

void MainWindow::onOptimizedNetwork()
{
    if (runWorkingFilesCommand([this] { commands_.optimizedNetwork(); }))
        forgetLegend();
}

void MainWindow::onNetwork3d()
{
    if (runWorkingFilesCommand([this] { commands_.network3d(); }))
        forgetLegend();
}

void MainWindow::onDraw()
{
    const bool ran = runWorkingFilesCommand([this] {
        // A run that stops early or fails leaves no legend: the one of the
        // run before would describe another map.
        state_.legend = MapLegend{};
        commands_.draw();
    });
    if (!ran)
        return;
    legendPanel_ = panel_;
    legendBelongsToDrawing_ = !state_.legend.empty();
    showLegend();
}

void MainWindow::onView3d()
{
    WindowChange change = WindowChange::None;
    runWorkingFilesCommand([&] { change = commands_.view3d(); });
    requestChange(change);
}

void MainWindow::onInsertPicture()
{
    runCommand([this] { insertPicture(ctx_); });
}

void MainWindow::onClearPicture()
{
    runCommand([this] {
        plotShown_ = false;
        clearPicture(ctx_);
    });
}

void MainWindow::onSavePicture()
{
    runCommand([this] { savePicture(ctx_); });
}

void MainWindow::onClearScreen()
{
    if (runCommand([this] {
            plotShown_ = false;
            clearScreen(ctx_);
        }))
        forgetLegend();
}

QImage MainWindow::printedPicture() const
{
    const QImage shown = shownDrawing(picture1_->canvas());
    // An area of one colour throughout (start-up, 清屏 with no picture) has
    // nothing on it to print.
    if (shown.isNull() || isOneColour(shown))
        return {};
    if (picture1_->showsCanvasImage())
        return shown;
    return picture1_->shownMap();
}

// Prints what the drawing area shows, one job per copy.
void MainWindow::onPrint()
{
    if (escape_.running())
        return;
    const QImage picture = printedPicture();
    if (picture.isNull()) {
        showNotice(kNothingToPrint);
        return;
    }
    QPrinter printer;
    if (!printerDialog_ || !printerDialog_(printer))
        return;
    if (printCopies(printer, picture) == 0)
        showNotice(kPrintNotStarted);
}

void MainWindow::onPlay() { play(std::nullopt); }

bool MainWindow::exportVector(const QString& path)
{
    const auto format = vectorFormatOf(path);
    // The legend the window shows beside the map stands beside it in the file too.
    std::optional<DrawingRecord> legend;
    if (legendApplies())
        legend = legendStripRecord(state_.legend, legendPanel_);
    // Zoomed in, the file holds what the view shows, at its scale; the
    // whole map, however large the window shows it, is the record itself.
    std::optional<ReplayView> zoomed;
    if (picture1_->viewport().zoom() > 1)
        zoomed = picture1_->shownPart();
    if (!format || !writeVectorDrawing(path.toStdString(), *drawingRecord_, *format, legend ? &*legend : nullptr,
                                       zoomed ? &*zoomed : nullptr)) {
        ctx_.prompter.message(kFileUnwritableMessage);
        return false;
    }
    showNotice("已导出 " + QDir::toNativeSeparators(path).toStdString());
    return true;
}

void MainWindow::onExportVector()
{
    // The data file's name with the new suffix is the likely choice.
    const QString dataFile = QString::fromStdString(state_.dataFileName);
    const QString suggested =
        dataFile.isEmpty() ? QString() : QFileInfo(dataFile).completeBaseName() + QStringLiteral(".svg");
    const QString svgFilter = QStringLiteral("SVG (*.svg)");
    const QString pdfFilter = QStringLiteral("PDF (*.pdf)");
    QString chosenFilter = svgFilter;
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("导出矢量图"), suggested,
                                                svgFilter + QStringLiteral(";;") + pdfFilter, &chosenFilter);
    if (path.isEmpty())
        return;
    if (!vectorFormatOf(path))
        path += chosenFilter == pdfFilter ? QStringLiteral(".pdf") : QStringLiteral(".svg");
    exportVector(path);
}

QDialog* MainWindow::showDataCheck()
{
    if (!commands_.requireFile())
        return nullptr;
    // Judged as the next build and Draw would judge it: by the network kind
    // in use and the interval on the panel now.
    readPanel();
    const DataCheckReport report =
        checkSurveyFile(state_.dataFileName, checkOptionsFor(state_.networkKind, panel_.intervalText));
    auto* dialog = new QDialog(this);
    dialog->setObjectName(QStringLiteral("dataCheckDialog"));
    dialog->setWindowTitle(QStringLiteral("数据检查"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* box = new QPlainTextEdit(dialog);
    box->setObjectName(QStringLiteral("dataCheckReport"));
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setPlainText(QString::fromStdString(report.text()));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
    connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(box);
    layout->addWidget(buttons);
    dialog->resize(560, 400);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->show();
    return dialog;
}

void MainWindow::onDataCheck()
{
    runCommand([this] { showDataCheck(); });
}

void MainWindow::onTeaching() { TeachingWindow::showBeside(this); }

void MainWindow::onOperatingHelp() { showHelp(bz1_); }

void MainWindow::onParameterHelp() { showHelp(bz3_); }

void MainWindow::onAboutHelp() { showHelp(bz0_); }

void MainWindow::onCloseHelp() { showHelp(nullptr); }

} // namespace tervane
