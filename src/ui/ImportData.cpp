#include "ui/ImportData.h"

#include "engine/base/DataFileNames.h"
#include "engine/interchange/PointImport.h"

#include <QApplication>
#include <QWidget>

namespace tervane {

namespace {

const std::string kImportTitle = "导入数据";
const std::string kInputFilter =
    "测量数据 (*.csv *.txt *.xyz *.dat *.shp *.gpkg *.geojson *.json *.dxf *.kml)|"
    "*.csv;*.txt;*.xyz;*.dat;*.shp;*.gpkg;*.geojson;*.json;*.dxf;*.kml|"
    "All Files (*.*)|*.*";
const std::string kSurveyFilter = "等值线(*.D3D)|*.D3D";
// A message box holds a screenful; the command line lists more.
constexpr std::size_t kListedInWindow = 20;

// The wait cursor over the window while the file is read.
class BusyCursor {
public:
    explicit BusyCursor(QWidget* parent) : widget_(parent)
    {
        if (widget_)
            widget_->setCursor(Qt::WaitCursor);
    }
    ~BusyCursor()
    {
        if (widget_)
            widget_->unsetCursor();
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    QWidget* widget_;
};

} // namespace

std::optional<std::string> importFromWindow(QWidget* parent, Prompter& prompter)
{
    const std::optional<std::string> input = prompter.openFile(kInputFilter, 1, {}, kImportTitle);
    if (!input)
        return std::nullopt;
    const std::optional<std::string> output =
        prompter.saveFile(kSurveyFilter, 1, derivedName(*input, ".D3D"), "保存数据文件");
    if (!output)
        return std::nullopt;
    if (*output == *input || isImportInput(*output)) {
        prompter.message("导入的数据要存为数据文件 (.D3D)，不能写到 " + *output, kImportTitle,
                         MessageIcon::Exclamation);
        return std::nullopt;
    }
    ImportReport report;
    {
        BusyCursor busy(parent);
        report = importPoints(*input, *output, {});
    }
    if (!report.ok) {
        prompter.message("没有导入 " + *input + ":\n" + report.text(kListedInWindow), kImportTitle,
                         MessageIcon::Critical);
        return std::nullopt;
    }
    prompter.message(report.text() + "已写入 " + *output, kImportTitle, MessageIcon::Information);
    return output;
}

} // namespace tervane
