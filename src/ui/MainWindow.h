#pragma once
#include "engine/commands/MainCommands.h"
#include "engine/hpgl/PlotFilePlayer.h"
#include "engine/state/MainView.h"
#include "engine/state/PanelSettings.h"
#include "engine/state/RunContext.h"

#include <QImage>
#include <QKeySequence>
#include <QMainWindow>

#include <functional>

#include <memory>
#include <optional>

class QDialog;
class QDragEnterEvent;
class QDropEvent;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPrinter;
class QVBoxLayout;

namespace tervane {

class CanvasWidget;
class MapView;
class LegendWindow;
class ParameterPanel;
class QtEscapeKey;
struct TwipsRect;

// The main window form1: the drawing area, the progress strips, the status
// and cursor boxes, the parameter panel's place and the menu bar. Its
// handlers hand every command to MainCommands; the window only shows.
class MainWindow final : public QMainWindow, public MainView {
    Q_OBJECT
public:
    // With `keptPanel`, the panel starts from those settings instead of its
    // defaults (the window coming back from the editor or the 3D view); the
    // rest of start-up runs as always.
    MainWindow(SharedState& state, Random& random, Prompter& prompter, QtEscapeKey& escape,
               QWidget* parent = nullptr, const PanelSettings* keptPanel = nullptr);
    ~MainWindow() override;

    // MainView.
    Canvas& drawingArea() override;
    Canvas& progressStrip() override;
    Canvas& levelStrip() override;
    Canvas& levelDisplay() override;
    void setCaption(const std::string& text) override;
    std::string caption() const override;
    void setStatus(const std::string& text, Colour back, Colour fore) override;
    std::string status() const override;
    void showNotice(const std::string& text) override;
    void openRecordEditor() override;

    // The panel's snapshot the commands read.
    PanelSettings& panelSettings() { return panel_; }
    // Where the parameter panel lives: a widget with a vertical layout.
    QWidget* panelArea() const { return panelArea_; }
    ParameterPanel* parameterPanel() const { return parameterPanel_; }
    CanvasWidget* drawingWidget() const;
    // The drawing area as a view that zooms and pans (the 视图 menu).
    MapView* mapView() const { return picture1_; }
    // The legend of the last Draw run, in a window of its own beside this one.
    LegendWindow* legendWindow() const { return legendWindow_; }

    // The printer dialog of Print: true when the user chose to print on
    // the printer it set up. Tests put a PDF printer in its place.
    void setPrinterDialog(std::function<bool(QPrinter&)> dialog) { printerDialog_ = std::move(dialog); }
    // What Print prints: what the drawing area shows, the picture under the
    // drawing and the drawing, as 存图 takes it, or the view as it is shown
    // when it is zoomed or enlarged; null when nothing is shown.
    QImage printedPicture() const;

    // Opens a data file as Open file does, without the dialog.
    void openFile(const std::string& path);
    // Writes what the drawing area shows as SVG or PDF (by the suffix), the
    // view as it is shown; false, after telling the user, when it cannot.
    bool exportVector(const QString& path);
    // Shows the data check's report for the open file; null when no file
    // is open (the user is told).
    QDialog* showDataCheck();
    // Plays a plot file as Play does, without the dialog.
    void playFile(const std::string& path);

public slots:
    void onNewFile();       // xinjian
    void onOpen();          // daikai
    void onExit();          // tuichu
    void onEdit();          // bj
    bool onNetworkMenu();   // wl: true when its entries may drop down
    void onRawNetwork();    // yuanshiwangluo
    void onOptimizedNetwork();  // youhuawangluo
    void onNetwork3d();     // sanweiwangluo
    void onDraw();          // ht
    void onView3d();        // sw
    void onInsertPicture(); // CR
    void onClearPicture();  // qt
    void onSavePicture();   // ct
    void onClearScreen();   // qp
    void onPrint();         // dyt
    void onPlay();          // bf
    void onImportData();      // 导入数据…
    void onExportVector();  // 导出矢量图…
    void onExportContours();  // 导出等值线…
    void onDataCheck();     // 数据检查…
    void onTeaching();      // jx
    void onOperatingHelp(); // czbz
    void onParameterHelp(); // csbz
    void onAboutHelp();     // jjbz
    void onCloseHelp();     // tcbz
    void onZoomIn();        // 放大
    void onZoomOut();       // 缩小
    void onFitView();       // 全图

protected:
    // A dropped .D3D opens, a dropped .PLT plays; anything else is refused.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // The close box asks Exit's question, as the menu's Exit does; during a
    // run it stops the run first, as Esc does, and asks once it has ended.
    void closeEvent(QCloseEvent* event) override;
    // The window comes up where and as large as it was last left.
    void showEvent(QShowEvent* event) override;
    // The central area's resizes place its controls.
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // Another window is to replace this one, or the program is to end.
    void windowChangeRequested(tervane::WindowChange change);

private:
    void createMenus();
    // The recent data files between the File menu's own entries and 退出.
    void showRecentFiles();
    void openRecentFile(const QString& path);
    void rememberOpenedFile();
    QAction* addCommand(QWidget* menu, const char* name, const char* caption, void (MainWindow::*handler)(),
                        const QKeySequence& shortcut = {});
    void markNetworkKind();
    void createDrawingArea();
    void createStrips();
    void createStatusBoxes();
    void createPanel();
    QAction* addRememberedOption(QMenu* menu, const char* name, const char* caption, bool on,
                                 const std::function<void(bool)>& toggled);
    void createOptionsMenu();
    void createViewMenu();
    // Places the controls for the central area's size: the drawing area
    // takes what the window gains over its original size, the strips and
    // boxes stay under it and the panel stays at the right-hand side.
    void placeControls();
    // The window's size and place, kept in the user's settings once it has
    // been shown; a window never shown (a test's) leaves them alone.
    void rememberGeometry() const;
    void createHelpMenu();
    void createHelpPanels();
    void showHelp(QPlainTextEdit* panel);
    void connectMouse();

    CanvasWidget* createCanvas(const char* name, const TwipsRect& place);
    QLineEdit* createBox(const char* name, const TwipsRect& place);

    // Runs a command with Esc watching and the panel read before and shown
    // after, then sets the caption from what is open. False when it could
    // not start because another run is active.
    template <typename Command>
    bool runCommand(Command&& command);
    // The same, holding the current folder's working files for the command.
    template <typename Command>
    bool runWorkingFilesCommand(Command&& command);
    void requestChange(WindowChange change);
    // The caption says what is open: the data file and its records, the
    // plot file last played while it is still shown, or nothing.
    void showWhatIsOpen();
    std::string captionFromState() const;
    void play(const std::optional<std::string>& presetPath);
    // A close asked for while a run draws: the run stops as on Esc.
    void stopRunForClose();
    void readPanel();
    void showPanel();
    // The 选项 menu's choices of how the map looks, as the panel carries them.
    void readMapOptions(PanelSettings& panel) const;
    // The legend window shows the legend of the drawing on the area, while
    // the options allow it; a command that draws something else hides it.
    bool legendApplies() const;
    void showLegend();
    void forgetLegend();
    void showCursor(double x, double y);

    SharedState& state_;
    QtEscapeKey& escape_;
    PanelSettings panel_;
    RunContext ctx_;
    MainCommands commands_;

    QWidget* central_ = nullptr;
    MapView* picture1_ = nullptr;
    CanvasWidget* picture2_ = nullptr;
    CanvasWidget* picture4_ = nullptr;
    CanvasWidget* picture5_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLineEdit* zuobiaox_ = nullptr;
    QWidget* panelArea_ = nullptr;
    QVBoxLayout* panelLayout_ = nullptr;
    ParameterPanel* parameterPanel_ = nullptr;
    QMenu* networkMenu_ = nullptr;
    std::function<bool(QPrinter&)> printerDialog_;
    std::unique_ptr<DrawingRecord> drawingRecord_;
    QMenu* fileMenu_ = nullptr;
    QAction* classicAction_ = nullptr;  // 选项 > 原样式
    QList<QAction*> contourLabelActions_;  // 选项 > 等值线注记: 无, 计曲线, 全部
    QAction* legendAction_ = nullptr;       // 选项 > 图例
    QAction* coordinatesAction_ = nullptr;  // 选项 > 坐标
    QAction* fillAction_ = nullptr;         // 选项 > 填充色带
    LegendWindow* legendWindow_ = nullptr;
    // The area shows the map of the last completed Draw run, whose legend
    // is state_.legend, drawn with legendPanel_.
    bool legendBelongsToDrawing_ = false;
    PanelSettings legendPanel_;
    QAction* exitAction_ = nullptr;
    QList<QAction*> recentActions_;
    // Exit was answered Yes: the closing that follows asks nothing more.
    bool exitConfirmed_ = false;
    // The close box was clicked during a run; Exit's question waits for its end.
    bool closeAskedDuringRun_ = false;
    // The drawing area shows a played plot file (dataFileName names it).
    bool plotShown_ = false;
    // The window has been shown, and its geometry is worth keeping.
    bool geometryShown_ = false;
    // Help panels bz0 (about), bz1 (operating), bz3 (parameters).
    QPlainTextEdit* bz0_ = nullptr;
    QPlainTextEdit* bz1_ = nullptr;
    QPlainTextEdit* bz3_ = nullptr;
};

} // namespace tervane
