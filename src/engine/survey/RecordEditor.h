#pragma once
#include "engine/state/SharedState.h"
#include "engine/survey/SurveyFile.h"
#include "engine/base/Canvas.h"
#include "engine/base/FileHandle.h"
#include "engine/base/FileReplace.h"
#include "engine/base/Prompter.h"
#include "engine/base/Random.h"

#include <array>
#include <optional>
#include <string>

namespace tervane {

// The record editor's own texts.
namespace editortext {
inline const std::string kOpenFilter = "All Files (*.*)|*.*|等值线(*.D3D)|*.D3D";
inline const std::string kRecordWord = " : Record   1";
inline const std::string kNoRecordAbove = "没有记录大于 ";
inline const std::string kNoRecordBelowOne = "没有记录号小于 1.";
inline const std::string kNoSuchRecord = "没有这个记录！ ";
inline const std::string kDeleteFileTitle = "About to delete file!";
inline const std::string kDeleteFileText =
    std::string("  这是最前面的记录,若删除它,将删除整个文件,记录编辑器也被关闭.         ")
    + "若选择{确定}就删除文件.";
// The exit question's title bar is blank. An empty title would give the
// program's own title, so the title is a single blank.
inline const std::string kBlankTitle = " ";
inline const std::string kExitQuestion =
    "请检查最后一个记录。必须保证全部记录的完整性。若按［是］则保存并退出，若按［否］就不退出。现在就退出吗？";
// Refusals of this program's own: the editor numbers records in 16 bits.
inline const std::string kRecordLimit = "记录数已达到 32767 个,不能再添加记录!";
inline const std::string kFileTooLarge = kTooManyRecordsMessage;
// A record or a delete that could not be written: the user must know.
inline const std::string kWriteFailed = "数据写入文件失败,记录没有保存!";
inline const std::string kDeleteFailed = "文件写入失败,记录没有删除,数据文件保持原样!";
// A remembered background picture that no longer loads: the editor opens
// without it.
inline const std::string kPictureGone = "背景图片无法载入,编辑器不显示图片: ";
// Notices of the status bar: why a record was not stored.
inline const std::string kNotStored = "记录没有保存: ";
inline const std::string kMustBeNumber = " 必须是一个数值!";
inline const std::string kMustNotBeEmpty = " 不能为空!";
inline const std::string kBeyondSingle = " 超出单精度范围(绝对值不能超过 3.402823E+38)!";
inline const std::array<std::string, 3> kNumberFieldNames = {"[坐标X]", "[坐标Y]", "[观测值]"};
// Bytes still free in the note (it holds 20 bytes of GBK).
std::string noteBytesLeftText(std::size_t left);
// Where an undone delete put the record back (always at the end).
std::string restoredAsText(long recordNumber);
} // namespace editortext

// The longest start of a UTF-8 text that takes at most `bytes` bytes in
// GBK, never cut inside a character.
std::string cutToGbkBytes(const std::string& utf8, std::size_t bytes);
// Bytes of GBK the text takes.
std::size_t gbkByteCount(const std::string& utf8);

// The 16-colour palette the record markers take their random fill from.
inline constexpr std::array<Colour, 16> kMarkerPalette = {
    rgb(0, 0, 0),       rgb(0, 0, 128),   rgb(0, 128, 0),   rgb(0, 128, 128),
    rgb(128, 0, 0),     rgb(128, 0, 128), rgb(128, 128, 0), rgb(192, 192, 192),
    rgb(128, 128, 128), rgb(0, 0, 255),   rgb(0, 255, 0),   rgb(0, 255, 255),
    rgb(255, 0, 0),     rgb(255, 0, 255), rgb(255, 255, 0), rgb(255, 255, 255),
};

// Where the editor's user goes next.
enum class EditorOutcome {
    Stay,          // the editor stays open
    ToMainWindow,  // the editor closes and the main window comes back
    EndProgram,    // a file failure was answered with OK: the program ends
};

// The record editor's command logic, free of any widget. It edits a survey
// data file in place, one 65-byte record at a time, and marks each record's
// point on its drawing area.
//
// While the editor has a file open it holds an advisory lock (flock) on it,
// so a second editor, or any other writer of survey files, refuses to touch
// it instead of losing one side's edits. A delete or compaction replaces
// the file by a rename; the editor locks the new file at once and checks
// that the name still leads to the file it holds.
//
// The four input boxes, the record-number box and the find box live here as
// texts; the window copies the user's typing in (edit...) and shows what the
// editor holds after each command. Invariant: the boxes always hold the
// record currentRecord(), so an edit is only ever written to the record it
// was typed into.
class RecordEditor {
public:
    static constexpr int kFieldCount = 4;  // X, Y, value, note
    static constexpr int kFieldX = 0;
    static constexpr int kFieldY = 1;
    static constexpr int kFieldValue = 2;
    static constexpr int kFieldNote = 3;

    // Drawing frame of the drawing area, shared with the main window's
    // frame when a background picture is in use (picking depends on it).
    // Without a picture the frame is fitted to the file's points instead.
    static constexpr double kFrameWidth = 9464;
    static constexpr double kFrameHeight = 7410;

    RecordEditor(SharedState& state, Prompter& prompter, Canvas& picture, Random& random);

    // The opening sequence: record count and undo reset, the data marked as
    // edited, the drawing area prepared, then the file taken from the main
    // window (or chosen), opened (asking to create a missing one) and its
    // first record shown. A new, empty file shows a blank record for typing,
    // which is written only once something is typed into it.
    void open();

    // What the input boxes hold. The window calls the edit functions for
    // the user's typing only, never to echo the editor's own texts.
    const std::string& fieldText(int field) const { return boxes_.at(static_cast<std::size_t>(field)); }
    void editField(int field, const std::string& text);
    const std::string& recordNumberText() const { return recordNumberText_; }
    // A typed record number: the record shown is saved to its own place,
    // then the typed record is shown at once.
    void editRecordNumber(const std::string& text);
    const std::string& findText() const { return findText_; }
    void editFindText(const std::string& text) { findText_ = text; }

    void addRecord();
    void deleteRecord();
    void undoDelete();
    void nextRecord();
    void previousRecord();
    void firstRecord();
    void lastRecord();
    // The browse scroll bar moved to value (1 to recordTotal).
    void browse(int value);
    void findOnScreen();
    void refresh();
    void clearScreen();
    void saveAndExit();
    // The window is closed some other way (its close box): the record shown
    // is saved and the file closed, without questions. A record that may not
    // be stored keeps the editor open (false).
    bool closeWithoutQuestion();
    // The colour blocks: text (fore) and background of the drawing area.
    void setForeground(Colour c);
    void setBackground(Colour c);
    Colour foreground() const { return foreground_; }
    Colour background() const { return picture_.backColour(); }

    // The record shown is a new one, not yet in the file: it is written when
    // it is left with something typed in it, and dropped when left blank.
    bool newRecordPending() const { return pendingNew_; }
    // The box whose text kept the record from being stored (X, Y or value),
    // until the box is typed in again or a store succeeds.
    std::optional<int> refusedField() const { return refusedField_; }
    // The status bar's notice after the last command, once.
    std::optional<std::string> takeNotice();

    long currentRecord() const { return currentRecord_; }
    long recordTotal() const { return recordTotal_; }
    bool fileOpen() const { return static_cast<bool>(file_); }
    bool undoAvailable() const { return undoAvailable_; }
    bool fieldsChanged() const { return fieldsChanged_; }
    const std::string& editFileName() const { return editFileName_; }
    std::string title() const;
    EditorOutcome outcome() const { return outcome_; }
    // The box that should get the focus after the last command, once.
    std::optional<int> takeFocusRequest();

    // Digitizing on the background picture, in frame units: press, drag and
    // release put the pointer's position into the X and Y boxes and mark
    // the spot with the record number. A plain click picks nothing.
    void pressPicture(double x, double y);
    void movePicture(double x, double y);
    void releasePicture(double x, double y);
    bool dragging() const { return dragging_; }
    // The drag indicator: shown from the first drag on, its top-left corner
    // at the pointer (indicatorX, indicatorY) while dragging, and parked at
    // the area's top-left corner otherwise; a parked indicator's position
    // means nothing.
    bool indicatorVisible() const { return indicatorVisible_; }
    bool indicatorParked() const { return indicatorParked_; }
    double indicatorX() const { return indicatorX_; }
    double indicatorY() const { return indicatorY_; }

    // How a delete or a compaction writes the new data file (tests make a
    // write, flush or rename fail).
    void setWriteOps(FileWriteOps ops) { writeOps_ = std::move(ops); }

private:
    void prepareDrawingArea();
    void loadRememberedPicture();
    void parkIndicator();
    void fitFrameToPoints();
    void pressOpenFile();
    void openEditFile();
    void loadRecordCount();
    void copyBoxesToBuffer();
    bool saveCurrentRecord();
    void showCurrentRecord(bool keepRecordNumberText = false);
    void markPoint(double x, double y, long recordNumber);
    void eraseMarker(double x, double y);
    bool compactFile();
    // How a rewrite of the data file went.
    struct Rewrite {
        bool replaced = false;  // the data file on disk is the new one
        bool held = false;      // and the editor holds it, locked, again
        std::string failure;    // why not, naming the cause (empty: already said or nothing to say)
        bool ok() const { return replaced && held; }
    };
    Rewrite rewriteFile(long sourceRecords, long skipRecord);
    // Whether the editor has the data file to itself.
    enum class Hold { Held, Busy, Lost };
    Hold holdEditFile();
    bool nameLeadsToHeldFile() const;
    void reportBusy();
    FileHandle openWithoutQuestions(const std::string& name);
    bool appendBuffer();
    void beginNewRecord();
    bool storableBuffer();
    bool recordLimitReached();
    void requestFocus(int field) { focus_ = field; }

    SharedState& state_;
    Prompter& prompter_;
    Canvas& picture_;
    Random& random_;
    FileWriteOps writeOps_ = systemFileWriteOps();

    FileHandle file_;
    std::string editFileName_;
    long currentRecord_ = 0;
    long recordTotal_ = 0;
    // The record the boxes were filled from; 0 when they hold none.
    long shownRecord_ = 0;
    bool fieldsChanged_ = false;
    bool undoAvailable_ = false;
    double ringExtra_ = 0;
    // Drawing units per twip of the frame: markers keep their size on screen
    // whatever units the points are drawn in.
    double unitsPerTwip_ = 1;
    std::array<std::string, kFieldCount> boxes_;
    std::array<std::string, kFieldCount> deletedRecord_;
    RecordBytes recordBuffer_{};
    RecordBytes loadedRecord_{};
    std::string recordNumberText_;
    std::string findText_;
    Colour foreground_ = rgb(0, 255, 0);
    EditorOutcome outcome_ = EditorOutcome::Stay;
    std::optional<int> focus_;
    bool dragging_ = false;
    bool pickPending_ = false;
    bool indicatorVisible_ = false;
    bool indicatorParked_ = true;
    double indicatorX_ = 0;
    double indicatorY_ = 0;
    bool pendingNew_ = false;
    std::optional<int> refusedField_;
    std::optional<std::string> notice_;
};

} // namespace tervane
