#pragma once
#include "engine/state/PanelSettings.h"
#include "engine/base/Prompter.h"

#include <QWidget>

#include <array>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QScrollBar;

namespace tervane {

// The drawing parameter panel on the right of the main window: contour
// interval, fitting error, line width and type, smoothness, which values are
// written and with how many decimals, the palette and the transition colour
// sample. It only holds and checks the settings; a run reads them through
// snapshot() when it starts and hands back what it changed through apply().
//
// Controls carry their program names as object names ("Combo1", "Check16",
// "beijing", "Picture3" ...), so the window and the tests can find them.
class ParameterPanel : public QWidget {
    Q_OBJECT

public:
    explicit ParameterPanel(Prompter& prompter, QWidget* parent = nullptr);

    // The settings as a run should see them.
    PanelSettings snapshot() const;
    // Shows settings a run changed (a box filled in, the HPGL box unticked).
    void apply(const PanelSettings& settings);

    // The HPGL box can be ticked (it is disabled while playback is shown).
    void setHpglEnabled(bool enabled);
    // The background colour block is disabled while a picture is in use.
    void setBackgroundBlockEnabled(bool enabled);
    // The transition colour sample and its two scroll bars give way to the
    // help panels.
    void setRampControlsVisible(bool visible);
    // Where a help panel lies over the panel: below the contour group, down
    // to the bottom, so that the contour settings stay in sight.
    QRect helpPlace() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Building the controls.
    QWidget* createContourGroup();
    QWidget* createValuesGroup();
    QWidget* createDecimalsGroup();
    QWidget* createPaletteGroup();
    QCheckBox* createCheckBox(const char* name, const QString& caption, const QString& tip);
    QComboBox* createComboBox(const char* name, const QStringList& items, const QString& tip);
    QLabel* createLabel(const char* name, const QString& caption, const QString& tip, QWidget* parent);
    QScrollBar* createScrollBar(const char* name, int minimum, int maximum, int value);
    void connectControls();

    // Widget changed: update the state.
    void onValueBoxToggled(int index, bool checked);
    void onDecimalBoxToggled(int index, bool checked);
    void onErrorControlToggled(bool checked);
    void onObserveToggled(bool checked);
    void onSmoothnessChanged(int value);
    void applyIntervalRule();
    void applyTypedErrorRule();
    void chooseBlockColour(int index);

    // State changed: update the widgets.
    void paintCheckBox(QCheckBox* box);
    void paintLineWidth();
    void paintLineType();
    void paintErrorBoxDisabled();
    void paintBlock(int index);
    void showSmoothness();
    void showHpglCaption();
    void refreshAll();

    double intervalValue() const;
    double errorValue() const;

    Prompter& prompter_;
    bool updating_ = false;  // set while state is pushed into the widgets

    QWidget* contourGroup_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QComboBox* combo2_ = nullptr;
    QComboBox* combo3_ = nullptr;
    QComboBox* combo4_ = nullptr;
    // Check1..Check4 and Check5, no labels (point label mode 5).
    static constexpr int kValueBoxes = 5;
    static constexpr int kNoLabelsBox = 4;
    static constexpr int kNoLabelsMode = 5;
    std::array<QCheckBox*, kValueBoxes> valueBoxes_{};
    std::array<QCheckBox*, 4> decimalBoxes_{};  // Check9..Check12
    QCheckBox* check13_ = nullptr;
    QCheckBox* check14_ = nullptr;
    QCheckBox* check15_ = nullptr;
    QCheckBox* check16_ = nullptr;
    QScrollBar* hScroll1_ = nullptr;
    QScrollBar* hScroll3_ = nullptr;
    QScrollBar* hScroll4_ = nullptr;
    QLabel* label12_ = nullptr;
    QWidget* picture3_ = nullptr;

    // Palette blocks in the order beijing, wangxian, quxian, jiange, zhuji,
    // dian, wucha, chadian.
    std::array<QLabel*, 8> blocks_{};
    std::array<Colour, 8> blockColours_{};

    // Settings kept outside the controls.
    int pointLabelMode_ = 1;
    int valueScale_ = 1000;
    int errorControl_ = 0;
    std::string observeFlag_;
    int smoothValue_ = 4;
};

} // namespace tervane
