#pragma once
#include "engine/base/Prompter.h"
#include "engine/state/SharedState.h"
#include "engine/view3d/LevelColours.h"
#include "engine/view3d/SurfaceGrid.h"
#include "engine/view3d/SurfaceProjection.h"

#include <QWidget>

#include <array>
#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QScrollBar;

namespace tervane {

class CanvasWidget;
class QtEscapeKey;
class SurfaceArea;

// The 3D view Form4: the shaded surface of the 21 x 21 grid in MAINMAP,
// the level colour table, brightness and background, the angle, height and
// zoom, the level editing boxes, save, print and return. The drawing and
// every rule are engine code (engine/view3d); the window holds the
// controls and hands their values over.
//
// The application makes the window with launch(); when the user returns
// (the return button, or the close box when returning is allowed) the
// window is deleted from the event loop and backToMainWindow runs.
class View3dWindow final : public QWidget {
    Q_OBJECT
public:
    View3dWindow(SharedState& state, Prompter& prompter, QtEscapeKey& escape, QWidget* parent = nullptr);
    ~View3dWindow() override;

    static View3dWindow* launch(SharedState& state, Prompter& prompter, QtEscapeKey& escape,
                                std::function<void()> backToMainWindow);

    SurfaceGrid& grid() { return grid_; }
    const SurfaceProjection& projection() const { return projection_; }
    LevelColours& colours() { return colours_; }
    SurfaceArea* drawingArea() const { return mainmap_; }
    QLineEdit* gridBox(int k) const { return gridBoxes_.at(static_cast<std::size_t>(k)); }
    bool editing() const;
    bool finished() const { return finished_; }
    // The printer dialog; tests put their own in place of Qt's.
    void setPrinterDialog(std::function<bool(QPrinter&)> dialog) { printerDialog_ = std::move(dialog); }

    // The handlers, one per control and event; each control carries its
    // own name as its object name.
    void onGoEdit();                       // GoEdit
    void onEditMap();                      // EditMap
    void onPreview();                      // yulanstep
    void onShowGridHelp();                 // ShowGridHelp
    void onSave();                         // cuntu
    void onPrint();                        // dayin
    void onReturn();                       // Command1
    void onColourSample(int slot);         // ColorSample(slot)
    void onBrightness();                   // HScroll1..HScroll3
    void onReset();                        // fuwei
    void onBackground();                   // beijing
    void onTableChanged();                 // biao
    bool onAngleLeft();                    // DataAngle loses the focus
    bool onHeightLeft();                   // DataHeight loses the focus
    bool onGridBoxLeft(int k);             // Grid(k) loses the focus

signals:
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createDrawingArea();
    void createColourFrame();
    void createGridFrame();
    void createHelpText();
    void createBrightnessFrame();
    void createChoiceFrame();
    void createButtons();
    void createGridBoxes();
    void openView();

    void drawSurfaceNow(bool preview);
    bool boxesAccepted();
    // Reads the table the list names and shows its blocks; a notice about
    // the table is shown once, however often the same table is read again.
    // False when no usable table was found.
    bool loadLevelColours(bool deferNotice = false);
    void tell(const std::string& message, bool defer);
    void showColourBlocks();
    void paintStrip();
    void showThumbnail();
    void fillGridBoxes();
    int levelCount() const;
    void keepFocus(QLineEdit* box, bool selectAll);
    void paintBlock(QPushButton* block, Colour c);
    void watchColourFiles();
    bool runPrinterDialog(QPrinter& printer);

    SharedState& state_;
    Prompter& prompter_;
    QtEscapeKey& escape_;
    SurfaceGrid grid_;
    SurfaceProjection projection_;
    LevelColours colours_;

    SurfaceArea* mainmap_ = nullptr;
    CanvasWidget* statusBar_ = nullptr;
    CanvasWidget* gridSample_ = nullptr;
    CanvasWidget* picture1_ = nullptr;
    std::array<QPushButton*, kLevelColourSlots> colorSample_{};
    QLineEdit* dataHeight_ = nullptr;
    QLineEdit* dataAngle_ = nullptr;
    QScrollBar* sf_ = nullptr;
    QPlainTextEdit* helpBox_ = nullptr;
    QPushButton* showGridHelp_ = nullptr;
    QPlainTextEdit* text3_ = nullptr;
    std::array<QScrollBar*, 3> hScroll_{};
    QPushButton* fuwei_ = nullptr;
    QComboBox* fenji_ = nullptr;
    QCheckBox* wangge_ = nullptr;
    QCheckBox* guocheng_ = nullptr;
    QCheckBox* qumian_ = nullptr;
    QPushButton* beijing_ = nullptr;
    QComboBox* biao_ = nullptr;
    QPushButton* goEdit_ = nullptr;
    QPushButton* editMap_ = nullptr;
    QPushButton* yulanstep_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* cuntu_ = nullptr;
    QPushButton* dayin_ = nullptr;
    std::array<QLineEdit*, kSurfaceNodes> gridBoxes_{};
    QFileSystemWatcher* watcher_ = nullptr;
    std::function<bool(QPrinter&)> printerDialog_;
    std::string colourNotice_;
    // The texts of the angle and height boxes the projection now holds.
    QString acceptedAngle_;
    QString acceptedHeight_;
    bool finished_ = false;
};

} // namespace tervane
