// Delimited point text as a surveyor's instrument or a colleague might hand
// it over: any bytes as site.csv, read with the settings detected and with
// the options the first byte picks, then imported, so that every refusal
// and every record written stays well formed.
#include "FuzzSupport.h"

#include "engine/interchange/PointImport.h"

using namespace tervane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fuzz::writeFile("site.csv", bytes);
    const std::string input = fuzz::scratchFolder() + "/site.csv";
    ImportOptions options;
    const unsigned pick = size == 0 ? 0 : data[0];
    if (pick & 1)
        options.preset = static_cast<ImportPreset>((pick >> 1) % 3);
    if (pick & 8)
        options.delimiter = ",\t; "[(pick >> 4) % 4];
    options.decimalComma = (pick & 64) != 0;
    options.thin = (pick & 128) != 0;
    const ImportReport read = readPoints(input, options);
    (void)read.text(5);
    const ImportReport written = importPoints(input, fuzz::scratchFolder() + "/site.D3D", options);
    (void)written.text();
    return 0;
}
