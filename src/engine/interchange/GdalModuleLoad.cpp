#include "engine/interchange/GdalModule.h"

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

#ifndef TERVANE_MODULE_DIR_FROM_BIN
#define TERVANE_MODULE_DIR_FROM_BIN "../lib/tervane"
#endif

namespace tervane {

namespace fs = std::filesystem;

namespace {

struct Loaded {
    const GdalModule* module = nullptr;
    std::string why;
};

Loaded load()
{
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    std::vector<fs::path> places;
    if (!ec) {
        places.push_back(program.parent_path() / kGdalModuleFile);
        places.push_back(program.parent_path() / TERVANE_MODULE_DIR_FROM_BIN / kGdalModuleFile);
    }
    std::string why = "找不到矢量格式模块 " + std::string(kGdalModuleFile);
    for (const fs::path& place : places) {
        if (!fs::exists(place, ec))
            continue;
        // Never unloaded: the library registers its drivers once per process.
        void* handle = ::dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* error = ::dlerror();
            why = "矢量格式模块无法载入: " + std::string(error ? error : place.string());
            continue;
        }
        using Entry = const GdalModule* (*)();
        if (const auto entry = reinterpret_cast<Entry>(::dlsym(handle, "tervaneGdalModule")))
            return {entry(), {}};
        why = "矢量格式模块无法载入: " + place.string();
    }
    return {nullptr, why};
}

} // namespace

const GdalModule* gdalModule(std::string& why)
{
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] { loaded = load(); });
    why = loaded.why;
    return loaded.module;
}

LayerPointRead readLayerPoints(const std::string& path, const std::string& zField, const std::string& noteField)
{
    std::string why;
    if (const GdalModule* gdal = gdalModule(why))
        return gdal->readLayerPoints(path, zField, noteField);
    LayerPointRead read;
    read.error = why;
    return read;
}

} // namespace tervane
