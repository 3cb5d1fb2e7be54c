#include "ui/View3dWindow.h"

#include "engine/base/DataFileNames.h"
#include "engine/base/FileReplace.h"
#include "ui/PrintFitted.h"
#include "ui/SurfaceArea.h"
#include "ui/VectorExport.h"
#include "ui/View3dTexts.h"

#include <QFile>
#include <QPrintDialog>
#include <QPrinter>

namespace tervane {

namespace text = view3d_text;

namespace {

// Through the one writer, so a failed write leaves the old picture whole.
WriteOutcome saveBmp(const QImage& picture, const std::string& path)
{
    return writeOutputFile(path, imageBytes(picture, "BMP"));
}

} // namespace

bool View3dWindow::runPrinterDialog(QPrinter& printer)
{
    if (printerDialog_)
        return printerDialog_(printer);
    QPrintDialog dialog(&printer, this);
    return dialog.exec() == QDialog::Accepted;
}

// The drawing area's own image stands in for the screen capture: the
// cut-out is the drawing as the save has always stored it, 511 x 487.
void View3dWindow::onSave()
{
    mainmap_->setPicture(surfaceCutOut(mainmap_->picture()));
    state_.dataFileName = QString::fromStdString(state_.dataFileName).trimmed().toStdString();
    if (state_.dataFileName.empty()) {
        prompter_.message(text::kCannotSave);
        return;
    }
    const std::string name = derivedName(state_.dataFileName, "_D3D.BMP");
    const Answer answer = prompter_.message(std::string(text::kSaveQuestionStart) + name + text::kSaveQuestionEnd,
                                            {}, MessageIcon::Question, MessageButtons::YesNo);
    if (answer != Answer::Yes)
        return;
    if (const WriteOutcome saved = saveBmp(mainmap_->picture(), name); !saved)
        prompter_.message(std::string(text::kCannotWrite) + name + "\n" + writeFailureMessage(name, saved));
}

// One print job per copy; a cancelled dialog or a failing printer ends the
// command without a word.
void View3dWindow::onPrint()
{
    QPrinter printer;
    if (!runPrinterDialog(printer))
        return;
    printCopies(printer, mainmap_->picture());
}

} // namespace tervane
