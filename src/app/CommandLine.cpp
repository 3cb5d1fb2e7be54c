#include "app/CommandLine.h"

#include <charconv>

namespace tervane {

namespace {

CommandLine usage(std::string error)
{
    CommandLine line;
    line.mode = CommandLine::Mode::Usage;
    line.error = std::move(error);
    return line;
}

std::optional<int> networkKindOf(const std::string& name)
{
    if (name == "raw")
        return 1;
    if (name == "optimized")
        return 2;
    if (name == "3d")
        return 3;
    return std::nullopt;
}

std::optional<std::uint64_t> seedOf(const std::string& text)
{
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

// Applies one "--name value" option of render; returns the error, if any.
std::string applyRenderOption(CommandLine& line, const std::string& name, const std::string& value)
{
    if (name == "--network") {
        const auto kind = networkKindOf(value);
        if (!kind)
            return "unknown network kind '" + value + "' (raw, optimized or 3d)";
        line.networkKind = *kind;
    } else if (name == "--seed") {
        line.seed = seedOf(value);
        if (!line.seed)
            return "the seed must be a whole number, not '" + value + "'";
    } else if (name == "--png") {
        line.pngPath = value;
    } else if (name == "--bmp") {
        line.bmpPath = value;
    } else {
        return "unknown option " + name;
    }
    return {};
}

CommandLine parseRender(const std::vector<std::string>& args)
{
    CommandLine line;
    line.mode = CommandLine::Mode::Render;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() > 1 && arg[0] == '-') {
            std::string name = arg;
            std::string value;
            if (const auto eq = arg.find('='); eq != std::string::npos) {
                name = arg.substr(0, eq);
                value = arg.substr(eq + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return usage("option " + arg + " needs a value");
            }
            if (auto error = applyRenderOption(line, name, value); !error.empty())
                return usage(error);
        } else if (line.file) {
            return usage("render takes one data file");
        } else {
            line.file = arg;
        }
    }
    if (!line.file)
        return usage("render needs a data file");
    return line;
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args)
{
    if (args.empty())
        return {};
    const std::string& first = args[0];
    if (first == "render")
        return parseRender(args);
    if (args.size() == 1) {
        CommandLine line;
        if (first == "--help" || first == "-h")
            line.mode = CommandLine::Mode::Help;
        else if (first == "--version")
            line.mode = CommandLine::Mode::Version;
        else if (first.size() > 1 && first[0] == '-')
            return usage("unknown option " + first);
        else
            line.file = first;
        return line;
    }
    return usage("too many arguments");
}

std::string usageText()
{
    return "Usage:\n"
           "  tervane                 start the program\n"
           "  tervane FILE.D3D        start it with the data file open\n"
           "  tervane render FILE.D3D [--network raw|optimized|3d] [--seed N]\n"
           "                          [--png OUT.png] [--bmp OUT.bmp]\n"
           "                          open the file, build its network and draw its contour\n"
           "                          map without a window, writing the working files to the\n"
           "                          current folder and the drawing area to the images named\n"
           "  tervane --help          show this text\n"
           "  tervane --version       show the version\n";
}

} // namespace tervane
