#include "engine/interchange/GdalModule.h"

// Only this name leaves the module: everything else it holds, the engine's
// pieces it was linked with included, stays private to it.
extern "C" __attribute__((visibility("default"))) const tervane::GdalModule* tervaneGdalModule()
{
    static const tervane::GdalModule functions{tervane::writeContourExportWithGdal,
                                               tervane::readLayerPointsWithGdal};
    return &functions;
}
