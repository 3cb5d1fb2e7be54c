#include "engine/survey/RecordEditor.h"

#include "engine/base/FileOpenAsk.h"
#include "engine/base/Gbk.h"
#include "engine/base/Limits.h"
#include "engine/base/NumberText.h"
#include "engine/state/PictureMemo.h"

#include <algorithm>
#include <cmath>
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

bool blank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

} // namespace

std::string editortext::noteBytesLeftText(std::size_t left) { return "余 " + std::to_string(left) + " 字节"; }

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
    if (pickPending_ && !indicatorParked()) {
        parkIndicator();
        picture_.setDrawWidth(1);
        picture_.circle(x, y, kMarkerRadius);
        picture_.setForeColour(foreground_);
        picture_.setCurrent(x, y);
        picture_.print(" " + recordNumberText_);
    }
    parkIndicator();
}

void RecordEditor::parkIndicator()
{
    indicatorX_ = 1;
    indicatorY_ = kFrameHeight;
}

bool RecordEditor::indicatorParked() const { return indicatorX_ == 1 || indicatorY_ == kFrameHeight; }

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
    // The file being left is saved and compacted before the name moves on,
    // so its records can never be copied over the next file.
    if (recordTotal_ > 0 && file_) {
        saveCurrentRecord();
        compactFile();
    }
    editFileName_ = trimBlanks(state_.dataFileName);
    if (file_ && file_.path() != editFileName_)
        file_.close();
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
    loadRecordCount();
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

// A record goes to disk only with a finite number in X, Y and value, as it
// will be stored (cut to its field). Otherwise the first box at fault is
// named, marked and given the focus, and nothing is written.
bool RecordEditor::storableBuffer()
{
    const SurveyRecord stored = decodeRecord(recordBuffer_.data());
    const std::array<const std::string*, 3> numbers = {&stored.xText, &stored.yText, &stored.zText};
    for (int f = 0; f < 3; ++f) {
        const std::string& text = *numbers[static_cast<std::size_t>(f)];
        if (isWholeNumber(text))
            continue;
        refusedField_ = f;
        notice_ = editortext::kNotStored + editortext::kNumberFieldNames[static_cast<std::size_t>(f)]
                  + (blank(text) ? editortext::kMustNotBeEmpty : editortext::kMustBeNumber);
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
        bool replaced = false;
        if (!rewriteFile(recordTotal_, currentRecord_, &replaced) && !replaced) {
            if (outcome_ == EditorOutcome::Stay) {
                prompter_.message(editortext::kDeleteFailed);
                showCurrentRecord();
            }
            return;
        }
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
    file_.close();
    ::unlink(editFileName_.c_str());
    outcome_ = EditorOutcome::ToMainWindow;
}

void RecordEditor::undoDelete()
{
    requestFocus(kFieldX);
    if (!file_ || !undoAvailable_ || !saveCurrentRecord() || recordLimitReached())
        return;
    boxes_ = deletedRecord_;
    copyBoxesToBuffer();
    if (appendBuffer())
        undoAvailable_ = false;
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
    compactFile();
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
    // Without an open file (a reopen after a compaction failed) this opens
    // the file again rather than leaving the user no way out.
    compactFile();
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
    compactFile();
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

bool RecordEditor::compactFile()
{
    return file_ && rewriteFile(recordTotal_, 0);
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
// into the temporary file, flushes it and moves it over the data file. The
// data file is never written in place here: until the move it is the old
// file, after it the new one. Returns false when any step fails; *replaced
// then says whether the data file is already the new one (only its reopen
// failed) or still the old one.
bool RecordEditor::rewriteFile(long sourceRecords, long skipRecord, bool* replaced)
{
    if (replaced)
        *replaced = false;
    // Copies a killed replacement left beside the data file (on another
    // file system than the current folder) go now; ours holds its lock.
    removeStaleCopies(folderOf(editFileName_));
    const std::string& tempName = editortext::kTempFileName;
    FileHandle temp = openWithoutQuestions(tempName);
    if (!temp)
        return false;
    // Another copy of the program rewriting through the same temporary
    // holds its lock: cutting the file under it would spoil its data file.
    // A temporary file left by a crash may be longer than what is written
    // now; and a data file that is itself the temporary must not be cut.
    if (!temp.tryLock() || temp.refersToSameFileAs(file_) || !temp.resize(0))
        return false;
    bool ok = true;
    long written = 0;
    RecordBytes bytes{};
    for (long i = 1; ok && i <= sourceRecords; ++i) {
        if (i == skipRecord)
            continue;
        ok = file_.readRecord(i, bytes.data()) && temp.writeRecord(++written, bytes.data());
    }
    ok = ok && temp.flushToDisk();
    bool moved = false;
    if (ok) {
        // The temporary stays open, and locked, until it has been moved.
        file_.close();
        moved = replaceFile(tempName, editFileName_, replaceOps_) == 0;
        ok = moved;
        if (replaced)
            *replaced = moved;
        file_ = openWithoutQuestions(editFileName_);
    }
    if (!moved)
        ::unlink(tempName.c_str());
    temp.close();
    return ok && file_;
}

} // namespace tervane
