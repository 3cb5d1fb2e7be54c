#include "app/OutputClash.h"

#include <filesystem>
#include <sys/stat.h>

namespace tervane {

namespace {

// Made absolute first: a relative name none of whose parts exists would
// otherwise come back as it was. Not normalised before the links are
// resolved, since "link/.." is the link target's parent.
std::filesystem::path resolved(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (ec)
        return std::filesystem::path(path).lexically_normal();
    std::filesystem::path p = std::filesystem::weakly_canonical(absolute, ec);
    return ec ? absolute : p;
}

} // namespace

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat sa {}, sb {};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return resolved(a) == resolved(b);
}

std::optional<std::string> outputClash(const std::vector<RunFile>& outputs, const std::vector<RunFile>& inputs)
{
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const RunFile& out = outputs[i];
        if (out.path.empty())
            continue;
        for (const RunFile& in : inputs)
            if (!in.path.empty() && sameFile(out.path, in.path))
                return "the output " + out.path + " (" + out.what + ") is also an input of this run (" + in.what +
                       "); it would be written over";
        for (std::size_t j = 0; j < i; ++j)
            if (!outputs[j].path.empty() && sameFile(out.path, outputs[j].path))
                return outputs[j].what + " and " + out.what + " name the same file " + out.path +
                       "; each output needs a file of its own";
    }
    return std::nullopt;
}

} // namespace tervane
