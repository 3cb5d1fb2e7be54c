#pragma once
#include "engine/survey/RecordEditor.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <string>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollBar;

namespace tervane {

class CanvasWidget;

// The record editor Form2: the input boxes, the record buttons, the browse
// bar, find on screen, the colour blocks, the cursor coordinates, the help
// pages and the drawing area. Every handler hands its command to
// RecordEditor and then shows what the editor holds; the window keeps no
// record state of its own.
//
// The application shows the window and calls start(). When the user leaves
// (save and exit, deleting the only record, the close box, or a cancelled
// opening), closed() is emitted once, after the handler has returned; the
// application then deletes the window and brings the main window back.
// dataEdited is already set by then. A file failure answered with OK emits
// programEndRequested() instead; with nothing connected to it the window
// ends the event loop.
class RecordEditorWindow final : public QMainWindow {
    Q_OBJECT
public:
    RecordEditorWindow(SharedState& state, Random& random, Prompter& prompter, QWidget* parent = nullptr);
    ~RecordEditorWindow() override;

    // The opening sequence: the editor opens its file and shows record 1.
    void start();

    // A notice of the editor's own (why a record was refused, a picture that
    // no longer loads) in the status bar along the bottom.
    void showNotice(const std::string& text);

    // Everything the application needs in one call: makes the window,
    // shows it and starts it. When the user leaves, the window is deleted
    // and backToMainWindow runs; when a file failure ends the program, the
    // window is deleted and endProgram runs. Both run from the event loop,
    // never inside an editor handler.
    static RecordEditorWindow* launch(SharedState& state, Random& random, Prompter& prompter,
                                      std::function<void()> backToMainWindow,
                                      std::function<void()> endProgram);

    RecordEditor& editor() { return editor_; }
    CanvasWidget* drawingArea() const { return picture1_; }
    QLineEdit* fieldBox(int field) const { return fieldBoxes_.at(static_cast<std::size_t>(field)); }
    bool finished() const { return finished_; }

    // The handlers, one per control and event; each control carries its
    // own name as its object name.
    void onAddRecord();          // AddRecord
    void onDeleteRecord();       // DeleteRecord
    void onUndoDelete();         // quxiao
    void onNextRecord();         // NextRecord
    void onPreviousRecord();     // PreviousRecord
    void onFirstRecord();        // Command2
    void onLastRecord();         // command3
    void onBrowse(int value);    // tiao
    void onRecordNumberEdited(const QString& text);  // Text1
    void onFindOnScreen();       // Command4
    void onRefresh();            // Command1
    void onClearScreen();        // QINGPING
    void onSaveAndExit();        // ExitButton
    void onForegroundBlock();    // Label7
    void onBackgroundBlock();    // Label8
    void onKeyboardHelp();       // jianpan
    void onDragHelp();           // tuofang
    void onCloseHelp();          // quit

signals:
    void closed();
    void programEndRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void createDrawingArea();
    void createInputGroup();
    void createRecordButtons();
    void createColourGroup();
    void createCoordinateGroup();
    void createHelpPages();
    void setTabOrder();

    // Runs one command of the editor and shows its outcome.
    template <typename Command>
    void run(Command&& command);
    void showEditorState();
    void onFieldEdited(int field, const QString& text);
    // The note's free bytes and the red of a refused box.
    void showFieldState();
    void finishIfLeaving();
    bool handleFieldKey(int field, int key);
    void showCursor(double x, double y);
    void paintColourBlock(QLabel* block, Colour c);

    // The drawing area comes first: the editor draws on its canvas.
    CanvasWidget* picture1_;
    RecordEditor editor_;
    Prompter& prompter_;
    std::array<QLineEdit*, RecordEditor::kFieldCount> fieldBoxes_{};
    QLineEdit* text1_ = nullptr;
    QLineEdit* text4_ = nullptr;
    QLineEdit* zuobiaox_ = nullptr;
    QLineEdit* zuobiaoy_ = nullptr;
    QFrame* fileIOFrame_ = nullptr;
    QPushButton* quxiao_ = nullptr;
    QScrollBar* tiao_ = nullptr;
    QLabel* label7_ = nullptr;
    QLabel* label8_ = nullptr;
    QLabel* noteBytes_ = nullptr;
    QPlainTextEdit* text5_ = nullptr;
    QPlainTextEdit* text6_ = nullptr;
    bool finished_ = false;
    bool refusalShown_ = false;
};

} // namespace tervane
