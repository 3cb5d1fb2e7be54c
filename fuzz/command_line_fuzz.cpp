// The command line's option parsing: the input cut at NUL bytes into the
// arguments after the program name.
#include "app/CommandLine.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace tervane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> args;
    std::string current;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    if (size > 0)
        args.push_back(current);
    const CommandLine line = parseCommandLine(args);
    // A mistake always says what was wrong; a command always names its file.
    if (line.mode == CommandLine::Mode::Usage && line.error.empty())
        std::abort();
    if ((line.mode == CommandLine::Mode::Render || line.mode == CommandLine::Mode::Play) && !line.file)
        std::abort();
    (void)dialogPath(line.file.value_or(""));
    return 0;
}
