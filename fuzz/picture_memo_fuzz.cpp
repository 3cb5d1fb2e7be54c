// The main window's start-up, which reads the remembered background picture
// from photofiles1.txt in the current folder: any bytes as that file.
#include "FuzzSupport.h"
#include "RunSurroundings.h"

#include "engine/commands/MainCommands.h"

#include <cstdlib>
#include <unistd.h>

using namespace tervane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool inScratch = ::chdir(fuzz::scratchFolder().c_str()) == 0;
    if (!inScratch)
        std::abort();
    fuzz::writeFile("photofiles1.txt", std::string_view(reinterpret_cast<const char*>(data), size));
    fuzz::RunSurroundings run;
    MainCommands(run.ctx).startUp();
    return 0;
}
