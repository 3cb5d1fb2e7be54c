#include "engine/survey/RecordEditor.h"

#include "engine/base/FileOpenAsk.h"
#include "engine/base/Gbk.h"
#include "engine/base/Limits.h"
#include "engine/base/NumberText.h"
#include "engine/state/PictureMemo.h"
#include "engine/survey/DataRules.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <string_view>
#include <unistd.h>

namespace tervane {

namespace {

constexpr double kMarkerRadius = 8;
constexpr double kEraseRadius = 88;
constexpr double kFindRing = 80;
constexpr double kFailedFindRing = 200;

std::string trimBlanks(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// A typed record number, rounded to the nearest whole number with halves
// going to the even neighbour.
long roundedRecordNumber(double value)
{
    return static_cast<long>(std::nearbyint(value));
}

bool blank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

// Why a stored field's text is not a usable number, or nothing when it is
// one, by the rule the loader, the build and the data check share: the
// editor refuses on entry what Open and check would refuse or read as
// something else later.
std::optional<std::string> numberFault(const std::string& text)
{
    using State = NumberReading::State;
    switch (readNumberField(text).state) {
    case State::Ok: return std::nullopt;
    case State::Blank: return editortext::kMustNotBeEmpty;
    case State::NotNumber:
    case State::TrailingText: return editortext::kMustBeNumber;
    case State::Overflow:
    case State::BeyondSingle: return editortext::kBeyondSingle;
    }
    return editortext::kMustBeNumber;
}

} // namespace

std::string editortext::noteBytesLeftText(std::size_t left) { return "余 " + std::to_string(left) + " 字节"; }

std::string editortext::restoredAsText(long recordNumber)
{
    return "已恢复为第 " + std::to_string(recordNumber) + " 个记录";
}

std::size_t gbkByteCount(const std::string& utf8) { return utf8ToGbk(utf8).size(); }

std::string cutToGbkBytes(const std::string& utf8, std::size_t bytes)
{
    // Whole UTF-8 characters are added while the GBK form still fits.
    std::string kept;
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t next = i + 1;
        while (next < utf8.size() && (static_cast<unsigned char>(utf8[next]) & 0xC0) == 0x80)
            ++next;
        const std::string longer = utf8.substr(0, next);
        if (gbkByteCount(longer) > bytes)
            break;
        kept = longer;
        i = next;
    }
    return kept;
}

RecordEditor::RecordEditor(SharedState& state, Prompter& prompter, Canvas& picture, Random& random)
    : state_(state), prompter_(prompter), picture_(picture), random_(random)
{
}

void RecordEditor::open()
{
    recordTotal_ = state_.fileRecordCount;
    undoAvailable_ = false;
    state_.dataEdited = 1;
    prepareDrawingArea();
    requestFocus(kFieldX);
    pressOpenFile();
}

void RecordEditor::prepareDrawingArea()
{
    // Rows below the frame's height are margin under it, as in the main
    // window, so a picked point sits on the same picture pixel in both.
    picture_.setScale(0, kFrameHeight, kFrameWidth, kFrameHeight - picture_.height());
    picture_.setBackColour(rgb(0, 0, 0));
    picture_.setForeColour(foreground_);
    picture_.setDrawWidth(1);
    picture_.setDrawStyle(kSolid);
    loadRememberedPicture();
}

// The picture named in photofiles1.txt lies under the record marks. One
// that no longer loads (moved, deleted, not a picture) is left out.
void RecordEditor::loadRememberedPicture()
{
    const std::optional<std::string> name = readPictureMemo();
    if (name && picture_.loadPicture(*name)) {
        state_.picturePersisted = 1;
        return;
    }
    if (name)
        notice_ = editortext::kPictureGone + *name;
    if (picture_.hasPicture()) {
        picture_.clearPicture();
        picture_.clear();
    }
}

void RecordEditor::pressPicture(double x, double y)
{
    dragging_ = true;
    picture_.setCurrent(x, y);
}

void RecordEditor::movePicture(double x, double y)
{
    if (!dragging_) {
        pickPending_ = false;
        return;
    }
    indicatorVisible_ = true;
    indicatorParked_ = false;
    indicatorX_ = x;
    indicatorY_ = y;
    pickPending_ = true;
    editField(kFieldX, plainNumberTextSingle(static_cast<float>(x)));
    editField(kFieldY, plainNumberTextSingle(static_cast<float>(y)));
    requestFocus(kFieldValue);
}

void RecordEditor::releasePicture(double x, double y)
{
    requestFocus(kFieldValue);
    dragging_ = false;
    if (pickPending_ && !indicatorParked_) {
        parkIndicator();
        picture_.setDrawWidth(1);
        // The same size on screen as a record's marker, whatever units the
        // frame fitted to the points uses.
        picture_.circle(x, y, kMarkerRadius * unitsPerTwip_);
        picture_.setForeColour(foreground_);
        picture_.setCurrent(x, y);
        picture_.print(" " + recordNumberText_);
    }
    parkIndicator();
}

// A parked indicator has no place in the frame: the window puts it in the
// drawing area's top-left corner, whatever units the frame uses.
void RecordEditor::parkIndicator() { indicatorParked_ = true; }

// Without a background picture the points are shown as the main window
// shows them: the frame fitted around them with a margin, X and Y at one
// scale. With a picture, or with nothing to fit, the fixed frame stays.
void RecordEditor::fitFrameToPoints()
{
    // Rows below the frame's height are margin under it, as in the main
    // window, so a picked point sits on the same picture pixel in both.
    picture_.setScale(0, kFrameHeight, kFrameWidth, kFrameHeight - picture_.height());
    unitsPerTwip_ = 1;
    // A picture shown here (inserted, or remembered in photofiles1.txt)
    // keeps the fixed frame: picks are picture units.
    if (state_.pictureInserted == 1 || picture_.hasPicture() || !file_)
        return;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    bool any = false;
    RecordBytes bytes{};
    for (long i = 1; i <= recordTotal_; ++i) {
        if (!file_.readRecord(i, bytes.data()))
            return;
        const SurveyRecord r = decodeRecord(bytes.data());
        if (blank(r.xText) && blank(r.yText))
            continue;
        const double x = r.x();
        const double y = r.y();
        xMin = any ? std::min(xMin, x) : x;
        xMax = any ? std::max(xMax, x) : x;
        yMin = any ? std::min(yMin, y) : y;
        yMax = any ? std::max(yMax, y) : y;
        any = true;
    }
    constexpr double kMargin = 600;  // twips around the points
    const double xRange = xMax - xMin;
    const double yRange = yMax - yMin;
    if (!any || !(xRange > 0 || yRange > 0))
        return;
    const double kx = xRange > 0 ? (kFrameWidth - 2 * kMargin) / xRange : HUGE_VAL;
    const double ky = yRange > 0 ? (picture_.height() - 2 * kMargin) / yRange : HUGE_VAL;
    const double twipsPerUnit = std::min(kx, ky);
    if (!std::isfinite(twipsPerUnit) || twipsPerUnit <= 0)
        return;
    unitsPerTwip_ = 1 / twipsPerUnit;
    // Centred in the frame.
    const double width = kFrameWidth * unitsPerTwip_;
    const double height = picture_.height() * unitsPerTwip_;
    const double left = (xMin + xMax) / 2 - width / 2;
    const double bottom = (yMin + yMax) / 2 - height / 2;
    picture_.setScale(left, bottom + height, left + width, bottom);
}

void RecordEditor::pressOpenFile()
{
    if (state_.editorUsesMainFile == 0.0f) {
        const auto chosen = prompter_.openFile(editortext::kOpenFilter, 2, "");
        if (!chosen) {
            if (editFileName_.empty())
                outcome_ = EditorOutcome::ToMainWindow;
            return;
        }
        state_.dataFileName = trimBlanks(*chosen);
        picture_.clear();
    }
    openEditFile();
}

void RecordEditor::openEditFile()
{
    const std::string name = trimBlanks(state_.dataFileName);
    // The file being left is saved and compacted before the name moves on,
    // so its records can never be copied over the next file.
    if (recordTotal_ > 0 && file_ && name != editFileName_) {
        saveCurrentRecord();
        compactFile();
    }
    editFileName_ = name;
    if (file_ && file_.path() != editFileName_)
        file_.close();
    if (file_) {
        loadRecordCount();
        return;
    }
    while (!file_) {
        if (editFileName_.empty()) {
            outcome_ = EditorOutcome::ToMainWindow;
            return;
        }
        FileOpenReport report;
        file_ = OpenFileAsk(prompter_, editFileName_, FileMode::Random,
                            static_cast<short>(kRecordLength), true, &report);
        if (file_)
            break;
        // Only a Retry answer tries again; anything else would loop for
        // good on a file that cannot be opened.
        if (report.action == fileaction::kRetry)
            continue;
        outcome_ = report.action == fileaction::kEndProgram ? EditorOutcome::EndProgram
                                                            : EditorOutcome::ToMainWindow;
        return;
    }
    const Hold hold = holdEditFile();
    if (hold != Hold::Held) {
        if (hold == Hold::Busy)
            reportBusy();
        file_.close();
        outcome_ = EditorOutcome::ToMainWindow;
        return;
    }
    loadRecordCount();
}

// Takes the editor's lock on the file just opened and makes sure the name
// still leads to it. A file replaced between the open and the lock (by
// another writer's rename) is opened again under its name.
RecordEditor::Hold RecordEditor::holdEditFile()
{
    for (int attempt = 0; attempt < 5 && file_; ++attempt) {
        // A file system without locks guards nothing, but is no reason to
        // refuse the file either.
        if (!file_.tryLock() && file_.lastError() == EWOULDBLOCK)
            return Hold::Busy;
        if (nameLeadsToHeldFile())
            return Hold::Held;
        file_ = openWithoutQuestions(editFileName_);
    }
    file_.close();
    return Hold::Lost;
}

// Whether the data file's name still names the file the editor holds (same
// device and inode), rather than one put there by someone else's rename.
bool RecordEditor::nameLeadsToHeldFile() const
{
    OpenFailure failure;
    const FileHandle probe = FileHandle::open(editFileName_, FileMode::Input, 0, &failure);
    return probe && probe.refersToSameFileAs(file_);
}

void RecordEditor::reportBusy()
{
    const std::string text = kFileBeingEditedMessage + editFileName_;
    prompter_.message(text);
    notice_ = text;
}

void RecordEditor::loadRecordCount()
{
    const long long length = file_.size();
    const long long count = length < 0 ? 0 : length / static_cast<long long>(kRecordLength);
    // Compaction keeps only the records the editor counts, so a file it
    // cannot count in full must not be opened at all.
    if (count > limits::kMaxRecords) {
        prompter_.message(editortext::kFileTooLarge);
        file_.close();
        outcome_ = EditorOutcome::ToMainWindow;
        return;
    }
    recordTotal_ = static_cast<long>(count);
    currentRecord_ = 1;
    pendingNew_ = false;
    fitFrameToPoints();
    if (recordTotal_ > 0)
        showCurrentRecord();
    else
        beginNewRecord();
    fieldsChanged_ = false;
}

void RecordEditor::editField(int field, const std::string& text)
{
    boxes_.at(static_cast<std::size_t>(field)) = text;
    fieldsChanged_ = true;
    if (refusedField_ == field)
        refusedField_.reset();
}

std::optional<std::string> RecordEditor::takeNotice()
{
    auto n = notice_;
    notice_.reset();
    return n;
}

// A record goes to disk only with a usable number in X, Y and value, as it
// will be stored (cut to its field). Otherwise the first box at fault is
// named with the reason, marked and given the focus, and nothing is written.
bool RecordEditor::storableBuffer()
{
    const SurveyRecord stored = decodeRecord(recordBuffer_.data());
    const std::array<const std::string*, 3> numbers = {&stored.xText, &stored.yText, &stored.zText};
    for (int f = 0; f < 3; ++f) {
        const std::optional<std::string> fault = numberFault(*numbers[static_cast<std::size_t>(f)]);
        if (!fault)
            continue;
        refusedField_ = f;
        notice_ = editortext::kNotStored + editortext::kNumberFieldNames[static_cast<std::size_t>(f)] + *fault;
        requestFocus(f);
        return false;
    }
    refusedField_.reset();
    return true;
}

void RecordEditor::editRecordNumber(const std::string& text)
{
    recordNumberText_ = text;
    if (!file_)
        return;
    const double value = leadingNumber(text);
    if (value > recordTotal_ || value < 1) {
        prompter_.message(editortext::kNoSuchRecord);
        return;
    }
    if (!saveCurrentRecord())
        return;
    currentRecord_ = roundedRecordNumber(value);
    showCurrentRecord(true);
}

void RecordEditor::copyBoxesToBuffer()
{
    recordBuffer_ = encodeRecord(SurveyRecord{boxes_[0], boxes_[1], boxes_[2], boxes_[3]});
}

// Writes the boxes back to the record they came from, only when they differ
// from what was loaded. A failed write is reported and keeps the editor on
// the record, so the typing is still in the boxes.
bool RecordEditor::saveCurrentRecord()
{
    if (!file_)
        return true;
    if (pendingNew_) {
        // A new record goes to the end of the file once anything is typed
        // in it; left blank it is simply dropped.
        copyBoxesToBuffer();
        const bool typed = std::any_of(boxes_.begin(), boxes_.end(), [](const std::string& b) { return !blank(b); });
        if (!typed)
            return true;
        if (!storableBuffer())
            return false;
        if (!file_.writeRecord(recordTotal_ + 1, recordBuffer_.data())) {
            prompter_.message(editortext::kWriteFailed);
            return false;
        }
        recordTotal_ += 1;
        pendingNew_ = false;
        shownRecord_ = recordTotal_;
        loadedRecord_ = recordBuffer_;
        return true;
    }
    if (shownRecord_ == 0)
        return true;
    copyBoxesToBuffer();
    if (recordBuffer_ == loadedRecord_)
        return true;
    if (!storableBuffer())
        return false;
    if (!file_.writeRecord(shownRecord_, recordBuffer_.data())) {
        prompter_.message(editortext::kWriteFailed);
        return false;
    }
    loadedRecord_ = recordBuffer_;
    return true;
}

void RecordEditor::showCurrentRecord(bool keepRecordNumberText)
{
    if (!file_)
        return;
    // The new record is not in the file: it stays in the boxes as typed.
    if (pendingNew_ && currentRecord_ == recordTotal_ + 1)
        return;
    RecordBytes bytes{};
    if (!file_.readRecord(currentRecord_, bytes.data())) {
        // The boxes keep the record they hold, and so does currentRecord.
        if (shownRecord_ != 0)
            currentRecord_ = shownRecord_;
        return;
    }
    const SurveyRecord record = decodeRecord(bytes.data());
    pendingNew_ = false;
    refusedField_.reset();
    boxes_ = {trimBlanks(record.xText), trimBlanks(record.yText), trimBlanks(record.zText),
              trimBlanks(record.note)};
    if (!keepRecordNumberText)
        recordNumberText_ = std::to_string(currentRecord_);
    shownRecord_ = currentRecord_;
    // What was loaded is remembered even for a record without coordinates,
    // so leaving it unchanged never writes it.
    copyBoxesToBuffer();
    loadedRecord_ = recordBuffer_;
    if (boxes_[kFieldX].empty() && boxes_[kFieldY].empty())
        return;
    markPoint(leadingNumber(boxes_[kFieldX]), leadingNumber(boxes_[kFieldY]), currentRecord_);
    if (!keepRecordNumberText)
        requestFocus(kFieldX);
}

// A small ring, a disc of a random palette colour (wider by ringExtra when
// a find asks for it) and the record number beside it.
void RecordEditor::markPoint(double x, double y, long recordNumber)
{
    const double marker = kMarkerRadius * unitsPerTwip_;
    const double ring = (ringExtra_ + kMarkerRadius) * unitsPerTwip_;
    picture_.circle(x, y, marker);
    const auto index = static_cast<std::size_t>(random_.next() * 15);
    const Colour fill = kMarkerPalette[index];
    picture_.setFillColour(fill);
    picture_.disc(x, y, ring, fill);
    picture_.circle(x, y, ring);
    picture_.circle(x, y, marker);
    picture_.setCurrent(x, y);
    picture_.print(" " + std::to_string(recordNumber));
}

void RecordEditor::eraseMarker(double x, double y)
{
    const Colour back = picture_.backColour();
    picture_.setFillColour(back);
    picture_.disc(x, y, kEraseRadius * unitsPerTwip_, back);
    picture_.setForeColour(back);
    picture_.setCurrent(x, y);
    picture_.print(" " + std::to_string(currentRecord_));
    picture_.setForeColour(foreground_);
    requestFocus(kFieldX);
}

bool RecordEditor::recordLimitReached()
{
    if (recordTotal_ < limits::kMaxRecords)
        return false;
    prompter_.message(editortext::kRecordLimit);
    return true;
}

// Writes recordBuffer as a new last record and shows it.
bool RecordEditor::appendBuffer()
{
    if (!file_.writeRecord(recordTotal_ + 1, recordBuffer_.data())) {
        prompter_.message(editortext::kWriteFailed);
        showCurrentRecord();
        return false;
    }
    recordTotal_ += 1;
    currentRecord_ = recordTotal_;
    showCurrentRecord();
    return true;
}

// Shows a blank record after the last one, for typing. Nothing is written
// yet: a record nobody typed into never reaches the file.
void RecordEditor::beginNewRecord()
{
    pendingNew_ = true;
    boxes_ = {};
    refusedField_.reset();
    shownRecord_ = 0;
    currentRecord_ = recordTotal_ + 1;
    recordNumberText_ = std::to_string(currentRecord_);
    copyBoxesToBuffer();
    loadedRecord_ = recordBuffer_;
    requestFocus(kFieldX);
}

void RecordEditor::addRecord()
{
    if (!file_ || !saveCurrentRecord() || recordLimitReached())
        return;
    beginNewRecord();
}

void RecordEditor::deleteRecord()
{
    if (!file_)
        return;
    if (pendingNew_) {
        // The new record was never written: deleting it only drops it.
        pendingNew_ = false;
        if (recordTotal_ == 0) {
            beginNewRecord();
            return;
        }
        currentRecord_ = recordTotal_;
        showCurrentRecord();
        return;
    }
    const double x = leadingNumber(boxes_[kFieldX]);
    const double y = leadingNumber(boxes_[kFieldY]);
    const auto texts = boxes_;
    eraseMarker(x, y);
    if (recordTotal_ != 1) {
        // The shift and the compaction happen in one replacement of the
        // file, so a stop halfway leaves the file as it was. Once the file
        // is replaced the record is gone, even if it could not be reopened.
        const Rewrite rewrite = rewriteFile(recordTotal_, currentRecord_);
        if (!rewrite.replaced) {
            if (outcome_ == EditorOutcome::Stay) {
                prompter_.message(editortext::kDeleteFailed);
                // The box says what was kept; the status bar says why.
                if (!rewrite.failure.empty())
                    notice_ = rewrite.failure;
                showCurrentRecord();
            }
            return;
        }
        // Deleted, but the new file could not be held (another editor took
        // it): that is said, and the editor leaves.
        if (!rewrite.failure.empty())
            prompter_.message(rewrite.failure);
        deletedRecord_ = texts;
        shownRecord_ = 0;
        recordTotal_ -= 1;
        undoAvailable_ = true;
        currentRecord_ = recordTotal_;
        showCurrentRecord();
        return;
    }
    const Answer a = prompter_.message(editortext::kDeleteFileText, editortext::kDeleteFileTitle,
                                       MessageIcon::Information, MessageButtons::OkCancel);
    if (a != Answer::Ok)
        return;
    // Only the file the editor holds is removed, never one put under its
    // name since; the lock is kept until the name is gone.
    if (nameLeadsToHeldFile())
        ::unlink(editFileName_.c_str());
    file_.close();
    outcome_ = EditorOutcome::ToMainWindow;
}

void RecordEditor::undoDelete()
{
    requestFocus(kFieldX);
    if (!file_ || !undoAvailable_ || !saveCurrentRecord() || recordLimitReached())
        return;
    boxes_ = deletedRecord_;
    copyBoxesToBuffer();
    if (!appendBuffer())
        return;
    undoAvailable_ = false;
    // The record comes back at the end, not where it was: say where.
    notice_ = editortext::restoredAsText(currentRecord_);
}

void RecordEditor::nextRecord()
{
    if (!file_ || !saveCurrentRecord())
        return;
    if (currentRecord_ >= recordTotal_)
        prompter_.message(editortext::kNoRecordAbove + std::to_string(recordTotal_) + ".");
    else
        currentRecord_ += 1;
    showCurrentRecord();
    fieldsChanged_ = false;
}

void RecordEditor::previousRecord()
{
    if (!file_ || !saveCurrentRecord())
        return;
    if (currentRecord_ <= 1)
        prompter_.message(editortext::kNoRecordBelowOne);
    else
        currentRecord_ -= 1;
    showCurrentRecord();
}

void RecordEditor::firstRecord()
{
    requestFocus(kFieldX);
    if (!file_ || !saveCurrentRecord())
        return;
    currentRecord_ = 1;
    showCurrentRecord();
}

void RecordEditor::lastRecord()
{
    requestFocus(kFieldX);
    if (!file_ || !saveCurrentRecord())
        return;
    currentRecord_ = recordTotal_;
    showCurrentRecord();
}

void RecordEditor::browse(int value)
{
    // Browsing saves the record it leaves like every other move, so typing
    // is never dropped by a touch of the scroll bar.
    if (!file_ || value < 1 || value > recordTotal_ || !saveCurrentRecord())
        return;
    currentRecord_ = value;
    showCurrentRecord();
}

void RecordEditor::findOnScreen()
{
    if (!file_ || !saveCurrentRecord())
        return;
    requestFocus(kFieldX);
    if (findText_.empty())
        findText_ = recordNumberText_;
    const double value = leadingNumber(findText_);
    if (value >= 1 && value <= recordTotal_) {
        const long target = roundedRecordNumber(value);
        RecordBytes probe{};
        if (!file_.readRecord(target, probe.data())) {
            currentRecord_ = 1;
            ringExtra_ = kFailedFindRing;
        } else {
            currentRecord_ = target;
            ringExtra_ = kFindRing;
        }
        showCurrentRecord();
        ringExtra_ = 0;
    } else {
        prompter_.message("没有 " + findText_ + " 这个记录!");
    }
    findText_.clear();
}

void RecordEditor::refresh()
{
    requestFocus(kFieldX);
    picture_.clear();
    if (!file_ || !saveCurrentRecord())
        return;
    // A compaction that failed has said why; the file as it was is shown.
    compactFile();
    if (outcome_ != EditorOutcome::Stay)
        return;
    openEditFile();
    ringExtra_ = 0;
    for (long i = 1; i <= recordTotal_ && file_; ++i) {
        currentRecord_ = i;
        showCurrentRecord();
    }
    currentRecord_ = 1;
    showCurrentRecord();
    requestFocus(kFieldX);
}

void RecordEditor::clearScreen()
{
    picture_.clear();
    requestFocus(kFieldX);
    if (state_.pictureInserted == 1)
        picture_.loadPicture(state_.pictureFileName);
}

void RecordEditor::saveAndExit()
{
    picture_.clear();
    if (!saveCurrentRecord())
        return;
    // A compaction that failed before the rename has said why and left
    // the file as it was: the user stays, with the file, and nothing
    // pretends it was saved. Without an open file (a reopen after a
    // compaction failed) this opens the file again rather than leaving the
    // user no way out.
    if (file_ && !compactFile() && file_)
        return;
    if (outcome_ != EditorOutcome::Stay)
        return;
    openEditFile();
    if (!file_ || outcome_ != EditorOutcome::Stay)
        return;
    ringExtra_ = 0;
    if (recordTotal_ > 0) {
        currentRecord_ = recordTotal_;
        showCurrentRecord();
    }
    const Answer a = prompter_.message(editortext::kExitQuestion, editortext::kBlankTitle,
                                       MessageIcon::Question, MessageButtons::YesNo);
    if (a != Answer::Yes)
        return;
    if (fieldsChanged_ && !saveCurrentRecord())
        return;
    if (!compactFile() && file_)
        return;
    file_.close();
    outcome_ = EditorOutcome::ToMainWindow;
}

bool RecordEditor::closeWithoutQuestion()
{
    if (file_ && !saveCurrentRecord() && refusedField_)
        return false;
    file_.close();
    outcome_ = EditorOutcome::ToMainWindow;
    return true;
}

void RecordEditor::setForeground(Colour c)
{
    foreground_ = c;
    picture_.setForeColour(c);
}

void RecordEditor::setBackground(Colour c) { picture_.setBackColour(c); }

std::string RecordEditor::title() const
{
    return "  Tervane V2.0    " + trimBlanks(state_.dataFileName) + editortext::kRecordWord + " to  "
        + std::to_string(recordTotal_);
}

std::optional<int> RecordEditor::takeFocusRequest()
{
    auto f = focus_;
    focus_.reset();
    return f;
}

// Rewrites the data file whole. A failure is said, naming its cause; when
// it came before the rename the file is as it was and still the editor's.
bool RecordEditor::compactFile()
{
    if (!file_)
        return false;
    const Rewrite rewrite = rewriteFile(recordTotal_, 0);
    if (!rewrite.failure.empty()) {
        prompter_.message(rewrite.failure);
        notice_ = rewrite.failure;
    }
    return rewrite.ok();
}

FileHandle RecordEditor::openWithoutQuestions(const std::string& name)
{
    FileOpenReport report;
    FileHandle handle = OpenFileAsk(prompter_, name, FileMode::Random,
                                    static_cast<short>(kRecordLength), false, &report);
    if (!handle && report.action == fileaction::kEndProgram)
        outcome_ = EditorOutcome::EndProgram;
    return handle;
}

// Copies records 1 to sourceRecords, all but skipRecord (0 skips none),
// into a new file made exclusively beside the data file and renames it
// over the data file, so that the file on disk is always either the old
// one or the new one. Nothing goes through a name in the current folder,
// and no link is ever followed to write the new file. The old file stays
// open, and locked, until the new one is locked in its place.
RecordEditor::Rewrite RecordEditor::rewriteFile(long sourceRecords, long skipRecord)
{
    Rewrite result;
    // Someone else's rename put another file under the name: writing over
    // it would drop whatever they wrote, and our records are not in it.
    if (!nameLeadsToHeldFile()) {
        result.failure = kFileBeingEditedMessage + editFileName_;
        return result;
    }
    FileWriter writer(editFileName_, writeOps_);
    // Leftovers of a replacement killed halfway go now; a writer still at
    // work holds its file locked, ours included.
    removeStaleCopies(folderOf(writer.finalPath()));
    constexpr std::size_t kChunk = 1 << 16;
    std::string bytes;
    RecordBytes record{};
    for (long i = 1; writer.good() && i <= sourceRecords; ++i) {
        if (i == skipRecord)
            continue;
        if (!file_.readRecord(i, record.data())) {
            writer.abandon();
            const int err = file_.lastError() != 0 ? file_.lastError() : EIO;
            result.failure = writeFailureMessage(editFileName_, WriteOutcome{writeFaultOf(err), err});
            return result;
        }
        bytes.append(record.begin(), record.end());
        if (bytes.size() >= kChunk) {
            writer.write(bytes);
            bytes.clear();
        }
    }
    writer.write(bytes);
    const WriteOutcome outcome = writer.commit();
    if (!outcome) {
        result.failure = writeFailureMessage(editFileName_, outcome);
        return result;
    }
    result.replaced = true;
    const FileHandle old = std::move(file_);
    file_ = openWithoutQuestions(editFileName_);
    // A reopen that fails has said so itself, or has nothing to say.
    if (!file_)
        return result;
    switch (holdEditFile()) {
    case Hold::Held:
        result.held = true;
        break;
    case Hold::Busy:
        // Another editor took the new file in the moment after the rename.
        // Our records are all in it; the editor gives it up to the other.
        file_.close();
        result.failure = kFileBeingEditedMessage + editFileName_;
        outcome_ = EditorOutcome::ToMainWindow;
        break;
    case Hold::Lost:
        break;
    }
    return result;
}

} // namespace tervane
