// The survey data file reader: any bytes as a .D3D file.
#include "FuzzSupport.h"

#include "engine/survey/SurveyFile.h"

#include <cstdlib>

using namespace tervane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fuzz::writeFile("input.D3D", bytes);
    const SurveyReadResult result = readSurveyFile(fuzz::scratchFolder() + "/input.D3D");
    // Blank records at the end are skipped; no other record is lost.
    if (!result.ok || result.recordCount > static_cast<long>(size / kRecordLength) ||
        result.records.size() != static_cast<std::size_t>(result.recordCount))
        std::abort();
    // Once written back, a record reads and writes the same bytes again:
    // whatever the decoding replaced, the editor's saves do not drift.
    for (const SurveyRecord& record : result.records) {
        const RecordBytes once = encodeRecord(record);
        if (encodeRecord(decodeRecord(once.data())) != once)
            std::abort();
        (void)record.x();
        (void)record.y();
        (void)record.z();
    }
    return 0;
}
