#include "engine/interchange/ContourExport.h"
#include "engine/interchange/GdalModule.h"

#include "engine/base/FileReplace.h"

#include <cpl_vsi.h>
#include <gdal.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <cstdlib>

namespace tervane {

namespace fs = std::filesystem;

namespace {

// The program's texts for an export.
namespace say {
inline std::string unknownFormat(const std::string& path)
{
    return "不认识的导出格式: " + path + "（可用 .dxf、.shp、.gpkg、.geojson、.kml）";
}
inline const std::string kKmlNeedsCrs = "KML 只能存经纬度，导出 KML 须给出数据的坐标系（EPSG:NNNN）。";
inline std::string badCrs(const std::string& crs)
{
    return "坐标系 " + crs + " 无法识别，请写作 EPSG:NNNN。";
}
inline std::string notWritten(const std::string& path, const std::string& why)
{
    return "等值线没有导出，原有文件保持不变: " + path + (why.empty() ? std::string() : " (" + why + ")");
}
} // namespace say



void registerDrivers()
{
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

std::string lastLibraryError()
{
    const char* text = CPLGetLastErrorMsg();
    return text ? std::string(text) : std::string();
}

struct DatasetClose {
    void operator()(GDALDataset* d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetClose>;

struct FeatureFree {
    void operator()(OGRFeature* f) const { OGRFeature::DestroyFeature(f); }
};
using Feature = std::unique_ptr<OGRFeature, FeatureFree>;

// A scratch folder beside the target, removed with whatever it still holds.
class ScratchBeside {
public:
    explicit ScratchBeside(const std::string& target)
    {
        const fs::path folder = fs::path(folderOf(target));
        std::string name = (folder / ("." + fs::path(target).filename().string() + ".export-XXXXXX")).string();
        if (::mkdtemp(name.data()) == nullptr) {
            error_ = errno;
            return;
        }
        path_ = name;
    }
    ~ScratchBeside()
    {
        if (path_.empty())
            return;
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchBeside(const ScratchBeside&) = delete;
    ScratchBeside& operator=(const ScratchBeside&) = delete;
    bool made() const { return !path_.empty(); }
    int error() const { return error_; }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
    int error_ = 0;
};

// Writes the set's layers into the scratch folder, one dataset at a time.
class LayerWriter {
public:
    LayerWriter(ExportFormat format, const fs::path& scratch, const std::string& target,
                const OGRSpatialReference* srs, OGRCoordinateTransformation* toLonLat)
        : format_(format), scratch_(scratch), target_(target), srs_(srs), toLonLat_(toLonLat)
    {
    }

    ~LayerWriter()
    {
        if (!memory_.empty())
            VSIRmdirRecursive(memory_.c_str());
    }
    LayerWriter(const LayerWriter&) = delete;
    LayerWriter& operator=(const LayerWriter&) = delete;

    // The message of the first failure, empty while all went well.
    const std::string& failure() const { return failure_; }
    // Every file made, in the order the layers were written.
    const std::vector<std::string>& files() const { return files_; }

    bool write(const ExportSet& set)
    {
        set_ = &set;
        const bool oneFile = format_ == ExportFormat::Dxf || format_ == ExportFormat::GeoPackage ||
                             format_ == ExportFormat::Kml;
        if (oneFile) {
            Dataset ds = create(fs::path(target_).filename().string());
            if (!ds)
                return false;
            bool ok = writeContours(*ds, "contours");
            if (ok && set.withPoints)
                ok = writePoints(*ds, "points");
            if (ok && set.withTriangles)
                ok = writeTriangles(*ds, "triangles");
            return finish(std::move(ds), ok);
        }
        // One layer per file: the contours under the target's own name.
        if (!writeAlone(fs::path(target_).filename().string(), [&](GDALDataset& d) { return writeContours(d, {}); }))
            return false;
        if (set.withPoints &&
            !writeAlone(fs::path(companionPath(target_, "points")).filename().string(),
                        [&](GDALDataset& d) { return writePoints(d, {}); }))
            return false;
        if (set.withTriangles &&
            !writeAlone(fs::path(companionPath(target_, "triangles")).filename().string(),
                        [&](GDALDataset& d) { return writeTriangles(d, {}); }))
            return false;
        return true;
    }

private:
    template <typename Fill>
    bool writeAlone(const std::string& name, Fill fill)
    {
        Dataset ds = create(name);
        if (!ds)
            return false;
        const bool ok = fill(*ds);
        return finish(std::move(ds), ok);
    }

    const char* driverName() const
    {
        switch (format_) {
        case ExportFormat::Dxf:
            return "DXF";
        case ExportFormat::Shapefile:
            return "ESRI Shapefile";
        case ExportFormat::GeoPackage:
            return "GPKG";
        case ExportFormat::GeoJson:
            return "GeoJSON";
        case ExportFormat::Kml:
            return "KML";
        case ExportFormat::Unknown:
            break;
        }
        return "";
    }

    // The text formats are written in memory and then to disk in one piece:
    // on disk their drivers seek before every small write, and a large map
    // spent most of its export in those system calls.
    bool inMemory() const
    {
        return format_ == ExportFormat::Dxf || format_ == ExportFormat::GeoJson || format_ == ExportFormat::Kml;
    }

    Dataset create(const std::string& name)
    {
        GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName());
        if (!driver)
            return fail("GDAL 缺少 " + std::string(driverName()) + " 驱动");
        CPLErrorReset();
        if (inMemory() && memory_.empty()) {
            static std::atomic<unsigned> serial{0};
            memory_ = "/vsimem/tervane-export-" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
            VSIMkdir(memory_.c_str(), 0755);
        }
        const std::string file = inMemory() ? memory_ + "/" + name : (scratch_ / name).string();
        Dataset ds(driver->Create(file.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        if (!ds)
            return fail(lastLibraryError());
        current_ = name;
        return ds;
    }

    bool finish(Dataset ds, bool ok)
    {
        CPLErrorReset();
        // Closing flushes: a full disk may show itself only here.
        GDALClose(ds.release());
        if (ok && CPLGetLastErrorType() >= CE_Failure) {
            fail(lastLibraryError());
            ok = false;
        }
        if (ok && inMemory())
            ok = copyOutOfMemory();
        if (!ok)
            return false;
        // The main file first, then the parts the driver made beside it.
        files_.push_back(current_);
        for (const std::string& made : listing())
            if (made != current_ && std::find(files_.begin(), files_.end(), made) == files_.end())
                files_.push_back(made);
        return true;
    }

    // Moves what the driver wrote in memory into the scratch folder.
    bool copyOutOfMemory()
    {
        char** names = VSIReadDir(memory_.c_str());
        bool ok = true;
        for (char** n = names; ok && n && *n; ++n) {
            const std::string inMemory = memory_ + "/" + *n;
            vsi_l_offset length = 0;
            GByte* bytes = VSIGetMemFileBuffer(inMemory.c_str(), &length, TRUE);
            const std::string target = (scratch_ / *n).string();
            const WriteOutcome outcome =
                writeWholeFile(target, std::string_view(reinterpret_cast<const char*>(bytes), length));
            CPLFree(bytes);
            VSIUnlink(inMemory.c_str());
            if (!outcome) {
                fail(writeFailureMessage(target, outcome));
                ok = false;
            }
        }
        CSLDestroy(names);
        return ok;
    }

    std::set<std::string> listing() const
    {
        std::set<std::string> names;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(scratch_, ec))
            names.insert(entry.path().filename().string());
        return names;
    }

    std::nullptr_t fail(const std::string& why)
    {
        if (failure_.empty())
            failure_ = why.empty() ? std::string("GDAL") : why;
        return nullptr;
    }

    // Layers of a DXF file are a field of one entity layer.
    bool isDxf() const { return format_ == ExportFormat::Dxf; }

    OGRLayer* layer(GDALDataset& ds, const std::string& name, OGRwkbGeometryType type)
    {
        char** options = nullptr;
        if (format_ == ExportFormat::Shapefile)
            options = CSLSetNameValue(options, "ENCODING", "UTF-8");
        if (format_ == ExportFormat::GeoJson)
            options = CSLSetNameValue(options, "RFC7946", "NO");
        const std::string layerName = name.empty() ? fs::path(current_).stem().string() : name;
        OGRSpatialReference* srs = nullptr;
        if (toLonLat_)
            srs = toLonLat_->GetTargetCS();
        else if (srs_)
            srs = const_cast<OGRSpatialReference*>(srs_);
        CPLErrorReset();
        OGRLayer* made = ds.CreateLayer(isDxf() ? "entities" : layerName.c_str(), srs, type, options);
        CSLDestroy(options);
        if (!made)
            fail(lastLibraryError());
        return made;
    }

    OGRLayer* dxfLayer(GDALDataset& ds)
    {
        if (ds.GetLayerCount() > 0)
            return ds.GetLayer(0);
        return layer(ds, {}, wkbUnknown);
    }

    bool addField(OGRLayer& l, const char* name, OGRFieldType type)
    {
        OGRFieldDefn field(name, type);
        if (l.CreateField(&field) != OGRERR_NONE) {
            fail(lastLibraryError());
            return false;
        }
        return true;
    }

    bool put(OGRLayer& l, OGRFeature& f, OGRGeometry* geometry)
    {
        if (toLonLat_ && geometry->transform(toLonLat_) != OGRERR_NONE) {
            delete geometry;
            fail("坐标无法换算为经纬度");
            return false;
        }
        f.SetGeometryDirectly(geometry);
        CPLErrorReset();
        if (l.CreateFeature(&f) != OGRERR_NONE) {
            fail(lastLibraryError());
            return false;
        }
        return true;
    }

    bool writeContours(GDALDataset& ds, const std::string& name)
    {
        OGRLayer* l = isDxf() ? dxfLayer(ds) : layer(ds, name, wkbLineString25D);
        if (!l)
            return false;
        if (!isDxf() && (!addField(*l, "level", OFTReal) || !addField(*l, "index", OFTInteger)))
            return false;
        // Many features per transaction: a GeoPackage otherwise commits each.
        const bool batched = ds.StartTransaction() == OGRERR_NONE;
        for (const ExportContour& c : set_->contours) {
            Feature f(OGRFeature::CreateFeature(l->GetLayerDefn()));
            if (isDxf()) {
                f->SetField("Layer", c.index ? "INDEX_CONTOURS" : "CONTOURS");
            } else {
                f->SetField("level", c.level);
                f->SetField("index", c.index ? 1 : 0);
            }
            auto* line = new OGRLineString();
            line->setNumPoints(static_cast<int>(c.vertices.size()));
            for (std::size_t k = 0; k < c.vertices.size(); ++k)
                line->setPoint(static_cast<int>(k), c.vertices[k][0], c.vertices[k][1], c.level);
            if (!put(*l, *f, line))
                return false;
        }
        return !batched || commit(ds);
    }

    bool writePoints(GDALDataset& ds, const std::string& name)
    {
        OGRLayer* l = isDxf() ? dxfLayer(ds) : layer(ds, name, wkbPoint25D);
        if (!l)
            return false;
        if (!isDxf() && (!addField(*l, "value", OFTReal) || !addField(*l, "note", OFTString)))
            return false;
        const bool batched = ds.StartTransaction() == OGRERR_NONE;
        for (const ExportPoint& p : set_->points) {
            Feature f(OGRFeature::CreateFeature(l->GetLayerDefn()));
            if (isDxf()) {
                f->SetField("Layer", "POINTS");
            } else {
                f->SetField("value", p.value);
                f->SetField("note", p.note.c_str());
            }
            if (!put(*l, *f, new OGRPoint(p.x, p.y, p.value)))
                return false;
            // DXF has no attributes: a note is a text at its point.
            if (isDxf() && !p.note.empty()) {
                Feature text(OGRFeature::CreateFeature(l->GetLayerDefn()));
                text->SetField("Layer", "POINT_NOTES");
                std::string quoted;
                for (char ch : p.note)
                    quoted += ch == '"' ? std::string("\\\"") : std::string(1, ch);
                text->SetStyleString(("LABEL(f:\"Arial\",t:\"" + quoted + "\")").c_str());
                if (!put(*l, *text, new OGRPoint(p.x, p.y, p.value)))
                    return false;
            }
        }
        return !batched || commit(ds);
    }

    bool writeTriangles(GDALDataset& ds, const std::string& name)
    {
        OGRLayer* l = isDxf() ? dxfLayer(ds) : layer(ds, name, wkbPolygon25D);
        if (!l)
            return false;
        const bool batched = ds.StartTransaction() == OGRERR_NONE;
        for (const ExportTriangle& t : set_->triangles) {
            Feature f(OGRFeature::CreateFeature(l->GetLayerDefn()));
            if (isDxf())
                f->SetField("Layer", "TRIANGLES");
            // A DXF polygon becomes a filled hatch: there the triangle is its
            // closed outline instead.
            OGRSimpleCurve* outline = isDxf() ? static_cast<OGRSimpleCurve*>(new OGRLineString())
                                              : static_cast<OGRSimpleCurve*>(new OGRLinearRing());
            for (int k = 0; k <= 3; ++k) {
                const auto& c = t.corners[static_cast<std::size_t>(k % 3)];
                outline->addPoint(c[0], c[1], c[2]);
            }
            OGRGeometry* shape = outline;
            if (!isDxf()) {
                auto* polygon = new OGRPolygon();
                polygon->addRingDirectly(static_cast<OGRLinearRing*>(outline));
                shape = polygon;
            }
            if (!put(*l, *f, shape))
                return false;
        }
        return !batched || commit(ds);
    }

    bool commit(GDALDataset& ds)
    {
        if (ds.CommitTransaction() != OGRERR_NONE) {
            fail(lastLibraryError());
            return false;
        }
        return true;
    }

    ExportFormat format_;
    fs::path scratch_;
    std::string target_;
    const OGRSpatialReference* srs_;
    OGRCoordinateTransformation* toLonLat_;
    // The in-memory folder of the text formats, once made.
    std::string memory_;
    const ExportSet* set_ = nullptr;
    std::string current_;
    std::string failure_;
    std::vector<std::string> files_;
};

bool wellFormedCrs(const std::string& crs)
{
    if (crs.size() < 6 || crs.size() > 12)
        return false;
    std::string head = crs.substr(0, 5);
    std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return std::toupper(c); });
    return head == "EPSG:" &&
           std::all_of(crs.begin() + 5, crs.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

} // namespace

ExportResult writeContourExportWithGdal(const std::string& path, const ExportSet& set, const std::string& crs)
{
    ExportResult result;
    const ExportFormat format = exportFormatOf(path);
    if (format == ExportFormat::Unknown) {
        result.message = say::unknownFormat(path);
        return result;
    }
    if (format == ExportFormat::Kml && crs.empty()) {
        result.message = say::kKmlNeedsCrs;
        return result;
    }
    registerDrivers();
    // The library's complaints reach the user through the result's message,
    // not on the terminal.
    CPLPushErrorHandler(CPLQuietErrorHandler);
    struct PopHandler {
        ~PopHandler() { CPLPopErrorHandler(); }
    } popHandler;

    OGRSpatialReference srs;
    std::unique_ptr<OGRCoordinateTransformation> toLonLat;
    OGRSpatialReference lonLat;
    if (!crs.empty()) {
        if (!wellFormedCrs(crs) || srs.SetFromUserInput(crs.c_str()) != OGRERR_NONE) {
            result.message = say::badCrs(crs);
            return result;
        }
        srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        if (format == ExportFormat::Kml) {
            lonLat.importFromEPSG(4326);
            lonLat.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
            toLonLat.reset(OGRCreateCoordinateTransformation(&srs, &lonLat));
            if (!toLonLat) {
                result.message = say::badCrs(crs);
                return result;
            }
        }
    }

    // Every name the export will take must be free for a file before any
    // is replaced, so that a refusal leaves all of them as they were.
    std::vector<std::string> targets{path};
    if (format == ExportFormat::Shapefile || format == ExportFormat::GeoJson) {
        if (set.withPoints)
            targets.push_back(companionPath(path, "points"));
        if (set.withTriangles)
            targets.push_back(companionPath(path, "triangles"));
    }
    for (const std::string& target : targets) {
        std::error_code ec;
        const auto status = fs::status(target, ec);
        if (!ec && fs::exists(status) && !fs::is_regular_file(status)) {
            result.message = writeFailureMessage(target, WriteOutcome{WriteFault::NotRegular, 0});
            return result;
        }
    }

    ScratchBeside scratch(path);
    if (!scratch.made()) {
        result.message = writeFailureMessage(path, WriteOutcome{writeFaultOf(scratch.error()), scratch.error()});
        return result;
    }
    LayerWriter writer(format, scratch.path(), path, crs.empty() ? nullptr : &srs, toLonLat.get());
    if (!writer.write(set)) {
        result.message = say::notWritten(path, writer.failure());
        return result;
    }
    // Only now, with every part whole, does any file take its final name.
    const fs::path folder = fs::path(folderOf(path));
    for (const std::string& name : writer.files()) {
        const std::string target = (folder / name).string();
        if (const int err = replaceFile((scratch.path() / name).string(), target); err != 0) {
            result.message = writeFailureMessage(target, WriteOutcome{writeFaultOf(err), err});
            return result;
        }
        result.written.push_back(path.find('/') == std::string::npos ? name : target);
    }
    result.ok = true;
    return result;
}

} // namespace tervane
