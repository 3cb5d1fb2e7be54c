#include "engine/base/DataFileNames.h"

namespace tervane {

std::string derivedName(const std::string& dataPath, const std::string& ending)
{
    const std::size_t slash = dataPath.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = dataPath.find('.', nameStart);
    return dataPath.substr(0, dot == std::string::npos ? dataPath.size() : dot) + ending;
}

} // namespace tervane
