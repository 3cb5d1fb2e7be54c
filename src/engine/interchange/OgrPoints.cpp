#include "engine/interchange/GdalModule.h"
#include "engine/interchange/OgrPoints.h"

#include <cpl_error.h>
#include <gdal.h>
#include <ogr_api.h>

#include <cmath>
#include <mutex>
#include <strings.h>

namespace tervane {

namespace {

void registerDrivers()
{
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

// Library messages would go to standard error in its own words; the import
// reports in the program's.
struct QuietErrors {
    QuietErrors() { CPLPushErrorHandler(CPLQuietErrorHandler); }
    ~QuietErrors() { CPLPopErrorHandler(); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;
};

struct Dataset {
    GDALDatasetH handle = nullptr;
    ~Dataset()
    {
        if (handle)
            GDALClose(handle);
    }
};

struct Feature {
    OGRFeatureH handle = nullptr;
    ~Feature()
    {
        if (handle)
            OGR_F_Destroy(handle);
    }
};

int fieldNamed(OGRFeatureDefnH definition, const std::string& name)
{
    for (int i = 0; i < OGR_FD_GetFieldCount(definition); ++i)
        if (strcasecmp(OGR_Fld_GetNameRef(OGR_FD_GetFieldDefn(definition, i)), name.c_str()) == 0)
            return i;
    return -1;
}

// An attribute as number text: numeric fields through their double, text
// fields as written.
std::string numberOfField(OGRFeatureH feature, int field)
{
    const OGRFieldType type = OGR_Fld_GetType(OGR_F_GetFieldDefnRef(feature, field));
    if (type == OFTReal || type == OFTInteger || type == OFTInteger64)
        return shortestText(OGR_F_GetFieldAsDouble(feature, field));
    return OGR_F_GetFieldAsString(feature, field);
}

void collectPoint(OGRGeometryH point, OGRFeatureH feature, int zIndex, int noteIndex, LayerPoint base,
                  LayerPointRead& read)
{
    LayerPoint p = std::move(base);
    const double x = OGR_G_GetX(point, 0);
    const double y = OGR_G_GetY(point, 0);
    if (!std::isfinite(x) || !std::isfinite(y)) {
        read.bad.emplace_back(p.feature, "坐标不是有限数值");
        return;
    }
    p.x = shortestText(x);
    p.y = shortestText(y);
    if (zIndex >= 0) {
        if (!OGR_F_IsFieldSetAndNotNull(feature, zIndex)) {
            read.bad.emplace_back(p.feature, "观测值字段为空");
            return;
        }
        p.z = numberOfField(feature, zIndex);
    } else if (OGR_G_Is3D(point)) {
        p.z = shortestText(OGR_G_GetZ(point, 0));
    } else {
        read.bad.emplace_back(p.feature, "点没有 Z 值 (可用 --z-field 指定观测值字段)");
        return;
    }
    if (noteIndex >= 0 && OGR_F_IsFieldSetAndNotNull(feature, noteIndex))
        p.note = OGR_F_GetFieldAsString(feature, noteIndex);
    read.points.push_back(std::move(p));
}

} // namespace

LayerPointRead readLayerPointsWithGdal(const std::string& path, const std::string& zField, const std::string& noteField)
{
    registerDrivers();
    QuietErrors quiet;
    LayerPointRead read;
    Dataset dataset;
    dataset.handle = GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
    if (!dataset.handle) {
        read.error = "无法读取文件: " + path;
        return read;
    }
    long featureNumber = 0;
    bool zFieldFound = zField.empty();
    bool noteFieldFound = noteField.empty();
    for (int l = 0; l < GDALDatasetGetLayerCount(dataset.handle); ++l) {
        OGRLayerH layer = GDALDatasetGetLayer(dataset.handle, l);
        OGRFeatureDefnH definition = OGR_L_GetLayerDefn(layer);
        const int zIndex = zField.empty() ? -1 : fieldNamed(definition, zField);
        const int noteIndex = fieldNamed(definition, noteField.empty() ? std::string("name") : noteField);
        zFieldFound = zFieldFound || zIndex >= 0;
        noteFieldFound = noteFieldFound || (!noteField.empty() && noteIndex >= 0);
        if (!zField.empty() && zIndex < 0)
            continue;
        OGR_L_ResetReading(layer);
        while (true) {
            Feature feature;
            feature.handle = OGR_L_GetNextFeature(layer);
            if (!feature.handle)
                break;
            LayerPoint base;
            base.feature = ++featureNumber;
            OGRGeometryH geometry = OGR_F_GetGeometryRef(feature.handle);
            if (!geometry) {
                read.bad.emplace_back(base.feature, "没有几何形状");
                continue;
            }
            const OGRwkbGeometryType type = wkbFlatten(OGR_G_GetGeometryType(geometry));
            if (type == wkbPoint) {
                collectPoint(geometry, feature.handle, zIndex, noteIndex, base, read);
            } else if (type == wkbMultiPoint) {
                for (int k = 0; k < OGR_G_GetGeometryCount(geometry); ++k)
                    collectPoint(OGR_G_GetGeometryRef(geometry, k), feature.handle, zIndex, noteIndex, base, read);
            } else {
                ++read.otherGeometries;
            }
        }
    }
    if (!zFieldFound)
        read.error = "文件中没有字段 " + zField;
    else if (!noteFieldFound)
        read.error = "文件中没有字段 " + noteField;
    return read;
}

} // namespace tervane
