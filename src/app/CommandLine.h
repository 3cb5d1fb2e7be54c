#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tervane {

inline const std::string kVersionText = "Tervane 2.0";

// What the program was asked to do on its command line.
struct CommandLine {
    enum class Mode { Gui, Help, Version, Render, Usage };
    Mode mode = Mode::Gui;
    std::optional<std::string> file;     // the data file to open
    int networkKind = 1;                 // render: 1 raw, 2 optimized, 3 3D
    std::optional<std::uint64_t> seed;   // render: fixed random seed
    std::string pngPath;                 // render: drawing area as PNG
    std::string bmpPath;                 // render: drawing area as BMP
    std::string error;                   // Usage: what was wrong
};

// Reads the arguments after the program name:
//   tervane [FILE.D3D]
//   tervane --help | --version
//   tervane render FILE.D3D [--network raw|optimized|3d] [--seed N]
//                           [--png OUT.png] [--bmp OUT.bmp]
// Anything else gives Mode::Usage with the reason in `error`.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// The usage text printed for --help and after a mistake.
std::string usageText();

} // namespace tervane
