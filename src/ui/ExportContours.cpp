#include "ui/ExportContours.h"

#include "engine/interchange/ContourExport.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QStringList>

namespace tervane {

namespace {

const std::string kNothingDrawn = "还没有画出等值线，请先画等值线图再导出。";
const std::string kExportTitle = "导出等值线";

struct Filter {
    QString text;
    QString suffix;
};

const std::vector<Filter>& filters()
{
    static const std::vector<Filter> list{
        {QStringLiteral("AutoCAD DXF (*.dxf)"), QStringLiteral(".dxf")},
        {QStringLiteral("Shapefile (*.shp)"), QStringLiteral(".shp")},
        {QStringLiteral("GeoPackage (*.gpkg)"), QStringLiteral(".gpkg")},
        {QStringLiteral("GeoJSON (*.geojson)"), QStringLiteral(".geojson")},
        {QStringLiteral("KML (*.kml)"), QStringLiteral(".kml")},
    };
    return list;
}

} // namespace

bool writeContoursFromWindow(const std::string& path, const SharedState& state, const std::string& crs,
                             Prompter& prompter)
{
    if (state.keptCurves.empty()) {
        prompter.message(kNothingDrawn, kExportTitle, MessageIcon::Exclamation);
        return false;
    }
    const ExportResult result = writeContourExport(path, exportSetFromState(state, {}), crs);
    if (!result.ok) {
        prompter.message(result.message, kExportTitle, MessageIcon::Exclamation);
        return false;
    }
    std::string files;
    for (const std::string& file : result.written)
        files += "\n" + file;
    prompter.message("已导出 " + std::to_string(state.keptCurves.size()) + " 条等值线:" + files, kExportTitle,
                     MessageIcon::Information);
    return true;
}

void exportContoursFromWindow(QWidget* parent, const SharedState& state, Prompter& prompter)
{
    if (state.keptCurves.empty()) {
        prompter.message(kNothingDrawn, kExportTitle, MessageIcon::Exclamation);
        return;
    }
    // The data file's name with the format's suffix is the likely choice.
    const QString dataFile = QString::fromStdString(state.dataFileName);
    const QString suggested =
        dataFile.isEmpty() ? QString() : QFileInfo(dataFile).completeBaseName() + filters().front().suffix;
    QStringList texts;
    for (const Filter& f : filters())
        texts << f.text;
    QString chosen = texts.front();
    QString path = QFileDialog::getSaveFileName(parent, QString::fromStdString(kExportTitle), suggested,
                                                texts.join(QStringLiteral(";;")), &chosen);
    if (path.isEmpty())
        return;
    if (exportFormatOf(path.toStdString()) == ExportFormat::Unknown)
        for (const Filter& f : filters())
            if (f.text == chosen)
                path += f.suffix;
    std::string crs;
    // KML holds only longitude and latitude: the data's own system is needed.
    if (exportFormatOf(path.toStdString()) == ExportFormat::Kml) {
        bool ok = false;
        const QString answer =
            QInputDialog::getText(parent, QString::fromStdString(kExportTitle),
                                  QStringLiteral("KML 只存经纬度。数据的坐标系（如 EPSG:32650）:"),
                                  QLineEdit::Normal, QStringLiteral("EPSG:"), &ok);
        if (!ok)
            return;
        crs = answer.trimmed().toStdString();
    }
    writeContoursFromWindow(path.toStdString(), state, crs, prompter);
}

} // namespace tervane
