// The record editor's field parsing: the leading-number rule that reads X,
// Y and the value, the record-number box, and a record built from the four
// boxes, written and read back.
#include "engine/base/NumberText.h"
#include "engine/survey/SurveyFile.h"

#include "FuzzSupport.h"

#include <cstdlib>

using namespace tervane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto boxes = fuzz::splitParts(data, size, 4);
    for (const std::string_view box : boxes) {
        const double value = leadingNumber(box);
        (void)numberText(value);
        (void)plainNumberText(value);
        (void)truncateToScale(value, 1000);
    }
    const SurveyRecord typed{std::string(boxes[0]), std::string(boxes[1]), std::string(boxes[2]),
                             std::string(boxes[3])};
    const RecordBytes bytes = encodeRecord(typed);
    const SurveyRecord stored = decodeRecord(bytes.data());
    // What the editor stores it reads back, and storing that changes nothing.
    if (encodeRecord(stored) != bytes)
        std::abort();
    return 0;
}
