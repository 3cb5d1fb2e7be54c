#include "app/CommandLine.h"

#include "engine/base/FileKinds.h"

#include "engine/view3d/LevelColours.h"
#include "engine/view3d/SurfaceProjection.h"

#include <algorithm>
#include <filesystem>

#include <array>
#include <charconv>
#include <cmath>

namespace tervane {

namespace {

CommandLine usage(std::string error)
{
    CommandLine line;
    line.mode = CommandLine::Mode::Usage;
    line.error = std::move(error);
    return line;
}

// A command line being read. The label and decimals choices are applied
// only at the end, so that their order on the line does not matter.
struct Reading {
    CommandLine line;
    std::optional<int> labelMode;      // 1 all, 2 half, 3 third, 4 notes
    std::optional<int> decimalsIndex;  // 0..3 for Check9..Check12
};

// The whole text as one number: no blanks, no trailing text, finite.
std::optional<double> wholeNumber(const std::string& text)
{
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The whole text as an integer from lo to hi.
std::optional<int> wholeInt(const std::string& text, int lo, int hi)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < lo || value > hi)
        return std::nullopt;
    return value;
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

// Index of `value` in `names`, if it is one of them.
template <std::size_t N>
std::optional<int> indexOf(const std::string& value, const std::array<const char*, N>& names)
{
    for (std::size_t i = 0; i < N; ++i)
        if (value == names[i])
            return static_cast<int>(i);
    return std::nullopt;
}

// Each handler returns the error text, empty when the value was taken.
using Handler = std::string (*)(Reading&, const std::string&);

// The subcommands an option belongs to.
enum Commands : unsigned { kRender = 1, kPlay = 2, kCheck = 4, kImport = 8 };
// How a file to import is read: import itself, and render and check of one.
constexpr unsigned kReading = kRender | kCheck | kImport;

struct Option {
    const char* name;
    bool takesValue;
    unsigned commands;
    Handler apply;
};

std::string setNetwork(Reading& r, const std::string& value)
{
    const auto kind = indexOf(value, std::array{"raw", "optimized", "3d"});
    if (!kind)
        return "unknown network kind '" + value + "' (raw, optimized or 3d)";
    r.line.networkKind = *kind + 1;
    return {};
}

std::string setSeed(Reading& r, const std::string& value)
{
    r.line.seed = seedOf(value);
    return r.line.seed ? std::string() : "the seed must be a whole number, not '" + value + "'";
}

std::string setScale(Reading& r, const std::string& value)
{
    const auto n = wholeInt(value, 1, 8);
    if (!n)
        return "the scale must be a whole number from 1 to 8, not '" + value + "'";
    r.line.scale = *n;
    return {};
}

std::string setInterval(Reading& r, const std::string& value)
{
    const auto v = wholeNumber(value);
    if (!v || *v <= 0)
        return "the interval must be a number above 0, not '" + value + "'";
    r.line.panel.intervalText = value;
    return {};
}

// A fitting error given is a fitting error wanted: it switches the control on.
std::string setError(Reading& r, const std::string& value)
{
    const auto v = wholeNumber(value);
    if (!v || *v <= 0)
        return "the fitting error must be a number above 0, not '" + value + "'";
    // Like typing into the error box: the switch beside it stays as it is.
    r.line.panel.errorText = value;
    return {};
}

std::string setErrorControl(Reading& r, const std::string&)
{
    r.line.panel.check16 = true;
    r.line.panel.errorControl = 1;
    return {};
}

std::string setWidth(Reading& r, const std::string& value)
{
    if (!wholeInt(value, 1, 99))
        return "the line width must be a whole number from 1 to 99, not '" + value + "'";
    r.line.panel.lineWidthText = value;
    return {};
}

std::string setType(Reading& r, const std::string& value)
{
    if (!wholeInt(value, 0, 6))
        return "the line type must be a whole number from 0 to 6, not '" + value + "'";
    r.line.panel.lineTypeText = value;
    return {};
}

// The smoothness as the panel shows it (0..7); the scroll bar holds it + 2.
std::string setSmooth(Reading& r, const std::string& value)
{
    const auto shown = wholeInt(value, 0, 7);
    if (!shown)
        return "the smoothness must be a whole number from 0 to 7, not '" + value + "'";
    r.line.panel.smoothValue = *shown + 2;
    return {};
}

std::string setLabels(Reading& r, const std::string& value)
{
    const auto mode = indexOf(value, std::array{"all", "half", "third", "notes", "none"});
    if (!mode)
        return "unknown labels '" + value + "' (all, half, third, notes or none)";
    r.labelMode = *mode + 1;
    return {};
}

std::string setDecimals(Reading& r, const std::string& value)
{
    const auto index = indexOf(value, std::array{"3", "2", "1", "0"});
    if (!index)
        return "the decimals must be 3, 2, 1 or 0, not '" + value + "'";
    r.decimalsIndex = *index;
    return {};
}

std::string setClassic(Reading& r, const std::string&)
{
    r.line.panel.classic = true;
    return {};
}

std::string setContourLabels(Reading& r, const std::string& value)
{
    const auto mode = indexOf(value, std::array{"none", "index", "all"});
    if (!mode)
        return "unknown contour labels '" + value + "' (none, index or all)";
    r.line.panel.contourLabels = *mode;
    return {};
}

std::string setNoLegend(Reading& r, const std::string&)
{
    r.line.panel.legend = false;
    return {};
}

std::string setNoCoordinates(Reading& r, const std::string&)
{
    r.line.panel.coordinates = false;
    return {};
}

std::string setAllowCrossings(Reading& r, const std::string&)
{
    r.line.panel.mendCrossings = false;
    return {};
}

std::string setReportCrossings(Reading& r, const std::string&)
{
    r.line.panel.reportCrossings = true;
    return {};
}

std::string setFill(Reading& r, const std::string&)
{
    r.line.panel.fillBands = true;
    return {};
}

// A 3D view colour table for the fill, by its name in the 自选色表 list.
std::string setFillTable(Reading& r, const std::string& value)
{
    const std::vector<std::string>& names = colourTableNames();
    if (std::find(names.begin(), names.end(), value) == names.end())
        return "--fill-table needs a colour table 0..9 or A, not \"" + value + "\"";
    r.line.panel.fillBands = true;
    r.line.panel.fillTable = value;
    return {};
}

std::string setReportFill(Reading& r, const std::string&)
{
    r.line.panel.fillBands = true;
    r.line.reportFill = true;
    return {};
}

std::string setNoNetwork(Reading& r, const std::string&)
{
    r.line.panel.check13 = true;
    return {};
}

std::string setObserve(Reading& r, const std::string&)
{
    r.line.panel.check14 = true;
    r.line.panel.observeFlag = "Y";
    return {};
}

// Two scroll values "A,B" for the transition colours, each 16..255.
std::string setRamp(Reading& r, const std::string& value)
{
    const auto comma = value.find(',');
    const std::string error = "the ramp must be two whole numbers from 16 to 255 as A,B, not '" + value + "'";
    if (comma == std::string::npos)
        return error;
    const auto a = wholeInt(value.substr(0, comma), 16, 255);
    const auto b = wholeInt(value.substr(comma + 1), 16, 255);
    if (!a || !b)
        return error;
    r.line.panel.hScroll3 = *a;
    r.line.panel.hScroll4 = *b;
    return {};
}

// The palette blocks by their English names and by their own.
struct Block {
    const char* name;
    const char* ownName;
    Colour PanelSettings::*colour;
};

const std::array<Block, 8> kBlocks = {{
    {"background", "beijing", &PanelSettings::beijing},
    {"network", "wangxian", &PanelSettings::wangxian},
    {"curve", "quxian", &PanelSettings::quxian},
    {"index", "jiange", &PanelSettings::jiange},
    {"values", "zhuji", &PanelSettings::zhuji},
    {"points", "dian", &PanelSettings::dian},
    {"error", "wucha", &PanelSettings::wucha},
    {"ruler", "chadian", &PanelSettings::chadian},
}};

// "BLOCK=R,G,B": one palette block's colour, each part 0..255.
std::string setColour(Reading& r, const std::string& value)
{
    const std::string error = "a colour is BLOCK=R,G,B with R, G and B from 0 to 255, not '" + value + "'";
    const auto eq = value.find('=');
    const auto comma1 = value.find(',', eq == std::string::npos ? 0 : eq);
    const auto comma2 = comma1 == std::string::npos ? comma1 : value.find(',', comma1 + 1);
    if (eq == std::string::npos || comma2 == std::string::npos)
        return error;
    const std::string name = value.substr(0, eq);
    const Block* block = nullptr;
    for (const Block& b : kBlocks)
        if (name == b.name || name == b.ownName)
            block = &b;
    if (!block)
        return "unknown colour block '" + name +
               "' (background, network, curve, index, values, points, error or ruler)";
    const auto red = wholeInt(value.substr(eq + 1, comma1 - eq - 1), 0, 255);
    const auto green = wholeInt(value.substr(comma1 + 1, comma2 - comma1 - 1), 0, 255);
    const auto blue = wholeInt(value.substr(comma2 + 1), 0, 255);
    if (!red || !green || !blue)
        return error;
    r.line.panel.*(block->colour) = rgb(*red, *green, *blue);
    return {};
}

std::string setHpgl(Reading& r, const std::string&)
{
    r.line.panel.check15 = true;
    return {};
}

// An empty name would be taken as no file at all, and the run would end
// without the file it was asked for.
std::string setPath(std::string& path, const char* option, const std::string& value)
{
    if (value.empty())
        return std::string("option ") + option + " needs a file name, not an empty one";
    path = value;
    return {};
}

std::string setPicture(Reading& r, const std::string& value)
{
    return setPath(r.line.picturePath, "--picture", value);
}

std::string setPng(Reading& r, const std::string& value)
{
    return setPath(r.line.pngPath, "--png", value);
}

std::string setBmp(Reading& r, const std::string& value)
{
    return setPath(r.line.bmpPath, "--bmp", value);
}

std::string setSvg(Reading& r, const std::string& value)
{
    return setPath(r.line.svgPath, "--svg", value);
}

std::string setPdf(Reading& r, const std::string& value)
{
    return setPath(r.line.pdfPath, "--pdf", value);
}

std::string setContours(Reading& r, const std::string& value)
{
    return setPath(r.line.contoursPath, "--contours", value);
}

std::string setExportPoints(Reading& r, const std::string&)
{
    r.line.exportPoints = true;
    return {};
}

std::string setExportNetwork(Reading& r, const std::string&)
{
    r.line.exportNetwork = true;
    return {};
}

// "EPSG:" and the code, as the vector library takes it.
std::string setCrs(Reading& r, const std::string& value)
{
    const std::string prefix = "EPSG:";
    if (value.rfind(prefix, 0) != 0 || !wholeInt(value.substr(prefix.size()), 1, 999999999))
        return "the coordinate system must be EPSG:NNNN, not '" + value + "'";
    r.line.crs = value;
    return {};
}

std::string setPreset(Reading& r, const std::string& value)
{
    r.line.import.preset = presetNamed(value);
    return r.line.import.preset ? std::string()
                                : "unknown preset '" + value + "' (xyz, name-code-enh or name-enh)";
}

// "3,4,5,1" or "E,N,H,name": X, Y, the value and perhaps the note.
std::string setColumns(Reading& r, const std::string& value)
{
    std::vector<std::string> columns;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = value.find(',', start);
        columns.push_back(value.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    const bool emptyPart = std::ranges::any_of(columns, [](const std::string& c) { return c.empty(); });
    if (columns.size() < 3 || columns.size() > 4 || emptyPart)
        return "--columns takes X,Y,VALUE[,NOTE] as column numbers or header names, not '" + value + "'";
    for (const std::string& c : columns)
        if (std::ranges::all_of(c, [](char ch) { return ch >= '0' && ch <= '9'; }) && !wholeInt(c, 1, 10000))
            return "column numbers start at 1, not '" + c + "'";
    r.line.import.columns = columns;
    return {};
}

std::string setDelimiter(Reading& r, const std::string& value)
{
    const auto index = indexOf(value, std::array{"comma", ",", "tab", "\\t", "semicolon", ";", "blanks", " "});
    if (!index)
        return "unknown delimiter '" + value + "' (comma, tab, semicolon or blanks)";
    r.line.import.delimiter = std::array{',', '\t', ';', ' '}[static_cast<std::size_t>(*index / 2)];
    return {};
}

std::string setSkip(Reading& r, const std::string& value)
{
    const auto n = wholeInt(value, 0, 1000000);
    if (!n)
        return "--skip takes a whole number of lines, not '" + value + "'";
    r.line.import.skip = *n;
    return {};
}

std::string setEncoding(Reading& r, const std::string& value)
{
    const auto index = indexOf(value, std::array{"utf-8", "utf8", "gbk"});
    if (!index)
        return "unknown encoding '" + value + "' (utf-8 or gbk)";
    r.line.import.encoding = *index == 2 ? TextEncoding::Gbk : TextEncoding::Utf8;
    return {};
}

std::string setDecimalComma(Reading& r, const std::string&)
{
    r.line.import.decimalComma = true;
    return {};
}

std::string setThin(Reading& r, const std::string&)
{
    r.line.import.thin = true;
    return {};
}

std::string setZField(Reading& r, const std::string& value)
{
    if (value.empty())
        return "--z-field needs a field name";
    r.line.import.zField = value;
    return {};
}

std::string setNoteField(Reading& r, const std::string& value)
{
    if (value.empty())
        return "--note-field needs a field name";
    r.line.import.noteField = value;
    return {};
}

const std::array<Option, 43> kOptions = {{
    {"--scale", true, kRender | kPlay, setScale},
    {"--classic", false, kRender, setClassic},
    {"--contour-labels", true, kRender, setContourLabels},
    {"--no-legend", false, kRender, setNoLegend},
    {"--no-coordinates", false, kRender, setNoCoordinates},
    {"--allow-crossings", false, kRender, setAllowCrossings},
    {"--report-crossings", false, kRender, setReportCrossings},
    {"--fill", false, kRender, setFill},
    {"--fill-table", true, kRender, setFillTable},
    {"--report-fill", false, kRender, setReportFill},
    {"--network", true, kRender | kCheck, setNetwork},
    {"--seed", true, kRender, setSeed},
    {"--interval", true, kRender | kCheck, setInterval},
    {"--error", true, kRender, setError},
    {"--error-control", false, kRender, setErrorControl},
    {"--width", true, kRender, setWidth},
    {"--line-type", true, kRender, setType},
    {"--smooth", true, kRender, setSmooth},
    {"--labels", true, kRender, setLabels},
    {"--decimals", true, kRender, setDecimals},
    {"--no-network", false, kRender, setNoNetwork},
    {"--observe", false, kRender, setObserve},
    {"--ramp", true, kRender, setRamp},
    {"--colour", true, kRender, setColour},
    {"--hpgl", false, kRender, setHpgl},
    {"--picture", true, kRender, setPicture},
    {"--png", true, kRender | kPlay, setPng},
    {"--bmp", true, kRender | kPlay, setBmp},
    {"--svg", true, kRender | kPlay, setSvg},
    {"--pdf", true, kRender | kPlay, setPdf},
    {"--contours", true, kRender, setContours},
    {"--export-points", false, kRender, setExportPoints},
    {"--export-network", false, kRender, setExportNetwork},
    {"--crs", true, kRender, setCrs},
    {"--preset", true, kReading, setPreset},
    {"--columns", true, kReading, setColumns},
    {"--delimiter", true, kReading, setDelimiter},
    {"--skip", true, kReading, setSkip},
    {"--encoding", true, kReading, setEncoding},
    {"--decimal-comma", false, kReading, setDecimalComma},
    {"--thin", false, kReading, setThin},
    {"--z-field", true, kReading, setZField},
    {"--note-field", true, kReading, setNoteField},
}};

const Option* findOption(const std::string& name)
{
    for (const Option& option : kOptions)
        if (name == option.name)
            return &option;
    return nullptr;
}

// Ticks the boxes of the two groups the way clicks on the panel do: one box
// of each group, and the notes box clears every decimals box.
std::string applyLabelChoices(Reading& r)
{
    PanelSettings& p = r.line.panel;
    if ((r.labelMode == 4 || r.labelMode == 5) && r.decimalsIndex)
        return "--decimals does not go with --labels notes or none, which write no values";
    if (r.decimalsIndex) {
        const int i = *r.decimalsIndex;
        p.check9 = i == 0;
        p.check10 = i == 1;
        p.check11 = i == 2;
        p.check12 = i == 3;
        p.valueScale = std::array{1000, 100, 10, 1}[static_cast<std::size_t>(i)];
    }
    if (r.labelMode) {
        const int mode = *r.labelMode;
        p.check1 = mode == 1;
        p.check2 = mode == 2;
        p.check3 = mode == 3;
        p.check4 = mode == 4;
        // None has no box of its own on the panel: no box is ticked.
        p.pointLabelMode = mode;
        if (mode == 4)
            p.check9 = p.check10 = p.check11 = p.check12 = false;
    }
    return {};
}

unsigned commandOf(CommandLine::Mode mode)
{
    switch (mode) {
    case CommandLine::Mode::Render: return kRender;
    case CommandLine::Mode::Play: return kPlay;
    case CommandLine::Mode::Check: return kCheck;
    case CommandLine::Mode::Import: return kImport;
    default: return 0;
    }
}

// Reads the options and the one file after "render", "play" or "check".
CommandLine parseCommand(const std::vector<std::string>& args, CommandLine::Mode mode)
{
    const std::string command = args[0];
    Reading r;
    r.line.mode = mode;
    // A render keeps labels apart unless --classic asks for the old look.
    r.line.panel.classic = mode != CommandLine::Mode::Render;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg[0] != '-') {
            if (mode == CommandLine::Mode::Import && r.line.file && r.line.importOutput.empty()) {
                if (arg.empty())
                    return usage("import needs a survey file name, not an empty one");
                r.line.importOutput = arg;
                continue;
            }
            if (r.line.file)
                return usage(command + (mode == CommandLine::Mode::Check    ? " takes one data file"
                                        : mode == CommandLine::Mode::Import ? " takes an input and a survey file"
                                                                            : " takes one file"));
            if (arg.empty())
                return usage(command + " needs a file name, not an empty one");
            r.line.file = arg;
            continue;
        }
        const auto eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const Option* option = findOption(name);
        if (!option || (option->commands & commandOf(mode)) == 0)
            return usage("unknown option " + name + " for " + command);
        std::string value;
        if (!option->takesValue && eq != std::string::npos)
            return usage("option " + name + " takes no value");
        if (option->takesValue && eq != std::string::npos)
            value = arg.substr(eq + 1);
        else if (option->takesValue && i + 1 < args.size())
            value = args[++i];
        else if (option->takesValue)
            return usage("option " + name + " needs a value");
        if (auto error = option->apply(r, value); !error.empty())
            return usage(error);
    }
    if (!r.line.file)
        return usage(command == "play"     ? "play needs a plot file"
                     : command == "import" ? "import needs a file to import and a survey file to write"
                                           : command + " needs a data file");
    if (mode == CommandLine::Mode::Import && r.line.importOutput.empty())
        return usage("import needs a survey file to write after " + *r.line.file);
    if (mode == CommandLine::Mode::Import && isImportInput(r.line.importOutput))
        return usage("import writes a survey file, not " + r.line.importOutput);
    if (mode == CommandLine::Mode::Play && r.line.pngPath.empty() && r.line.bmpPath.empty() &&
        r.line.svgPath.empty() && r.line.pdfPath.empty())
        return usage("play needs --png, --bmp, --svg or --pdf to show its drawing");
    // The 3D network draws no plan map, so there would be nothing to record.
    if (r.line.panel.check15 && r.line.networkKind == 3)
        return usage("--hpgl records a contour map, which --network 3d does not draw");
    if (auto error = applyLabelChoices(r); !error.empty())
        return usage(error);
    return r.line;
}

// "R,G,B" with each part 0..255 (or -99..99 for brightness).
std::optional<std::array<int, 3>> threeInts(const std::string& text, int lo, int hi)
{
    std::array<int, 3> parts{};
    std::size_t start = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::size_t comma = text.find(',', start);
        if ((i < 2) == (comma == std::string::npos))
            return std::nullopt;
        const auto part = wholeInt(text.substr(start, comma - start), lo, hi);
        if (!part)
            return std::nullopt;
        parts[i] = *part;
        start = comma + 1;
    }
    return parts;
}

// Reads the options of "view3d": each is checked by the rule of the
// control it stands for, so the drawing sees only what the view accepts.
CommandLine parseView3d(const std::vector<std::string>& args)
{
    CommandLine line;
    line.mode = CommandLine::Mode::View3d;
    View3dJob& job = line.view3d;
    bool haveFile = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg[0] != '-') {
            if (haveFile)
                return usage("view3d takes one file");
            if (arg.empty())
                return usage("view3d needs a file name, not an empty one");
            job.file = arg;
            haveFile = true;
            continue;
        }
        if (arg == "--no-grid") {
            job.grid = false;
            continue;
        }
        if (arg == "--no-float") {
            job.floating = false;
            continue;
        }
        if (arg == "--preview") {
            job.preview = true;
            continue;
        }
        if (i + 1 >= args.size())
            return usage("option " + arg + " needs a value");
        const std::string& value = args[++i];
        SurfaceProjection check;
        if (arg == "--angle" && check.enterAngle(value)) {
            job.angle = value;
        } else if (arg == "--height" && check.enterHeight(value)) {
            job.height = value;
        } else if (arg == "--levels" && wholeInt(value, 2, 9)) {
            job.levelCount = *wholeInt(value, 2, 9);
        } else if (arg == "--zoom" && wholeInt(value, 100, 3000)) {
            job.zoom = *wholeInt(value, 100, 3000);
        } else if (arg == "--table" && std::ranges::count(colourTableNames(), value) == 1) {
            job.table = value;
        } else if (arg == "--brightness" && threeInts(value, -99, 99)) {
            job.brightness = *threeInts(value, -99, 99);
        } else if (arg == "--background" && threeInts(value, 0, 255)) {
            const auto c = *threeInts(value, 0, 255);
            job.background = rgb(c[0], c[1], c[2]);
        } else if (arg == "--seed" && seedOf(value)) {
            job.seed = seedOf(value);
        } else if (arg == "--scale" && wholeInt(value, 1, 8)) {
            job.scale = *wholeInt(value, 1, 8);
        } else if (arg == "--png" || arg == "--bmp" || arg == "--svg" || arg == "--pdf") {
            std::string& path = arg == "--png" ? job.pngPath
                                : arg == "--bmp" ? job.bmpPath
                                : arg == "--svg" ? job.svgPath
                                                 : job.pdfPath;
            if (const std::string error = setPath(path, arg.c_str(), value); !error.empty())
                return usage(error);
        } else {
            return usage("option " + arg + " of view3d does not take " + value);
        }
    }
    if (!haveFile)
        return usage("view3d needs a data file");
    if (job.pngPath.empty() && job.bmpPath.empty() && job.svgPath.empty() && job.pdfPath.empty())
        return usage("view3d needs --png, --bmp, --svg or --pdf to show its drawing");
    line.file = job.file;
    return line;
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args)
{
    if (args.empty())
        return {};
    const std::string& first = args[0];
    if (first == "render")
        return parseCommand(args, CommandLine::Mode::Render);
    if (first == "play")
        return parseCommand(args, CommandLine::Mode::Play);
    if (first == "--play") {
        if (args.size() != 2)
            return usage("--play takes one plot file");
        CommandLine line;
        line.file = args[1];
        line.playInWindow = true;
        return line;
    }
    if (first == "view3d")
        return parseView3d(args);
    if (first == "check")
        return parseCommand(args, CommandLine::Mode::Check);
    if (first == "import")
        return parseCommand(args, CommandLine::Mode::Import);
    if (args.size() == 1) {
        CommandLine line;
        if (first == "--help" || first == "-h")
            line.mode = CommandLine::Mode::Help;
        else if (first == "--version")
            line.mode = CommandLine::Mode::Version;
        else if (first.size() > 1 && first[0] == '-')
            return usage("unknown option " + first);
        else {
            line.file = first;
            // What a file manager hands over for a plot file: play it.
            line.playInWindow = isPlotFileName(first);
        }
        return line;
    }
    return usage("too many arguments");
}

std::string dialogPath(const std::string& path)
{
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

std::optional<std::string> missingDisplay(const char* platform, const char* display, const char* wayland,
                                          const std::function<bool(const std::string&)>& answers)
{
    const auto set = [](const char* v) { return v != nullptr && *v != '\0'; };
    const std::string chosen = set(platform) ? platform : "";
    const std::string hint = "To draw a map without a window: tervane render FILE.D3D --png OUT.png\n";
    bool x = false;
    if (chosen.empty()) {
        if (set(wayland))
            return std::nullopt;
        x = true;
    } else if (chosen.rfind("xcb", 0) == 0) {
        x = true;
    } else if (chosen.rfind("wayland", 0) == 0) {
        if (set(wayland))
            return std::nullopt;
    } else {
        return std::nullopt;  // offscreen, vnc and the like need no display
    }
    if (x && set(display)) {
        if (answers(display))
            return std::nullopt;
        return "tervane: the display that DISPLAY names (" + std::string(display) + ") does not answer.\n" + hint;
    }
    return "tervane: no display was found to show the window on (DISPLAY is not set).\n" + hint;
}

std::string usageText()
{
    // Every option's description starts in the same column.
    return "Usage:\n"
           "  tervane                 start the program\n"
           "  tervane FILE.D3D        start it with the data file open\n"
           "  tervane --play FILE.PLT start it playing the plot file\n"
           "                          (so does tervane FILE.PLT)\n"
           "  tervane render FILE.D3D [options] [--png OUT.png] [--bmp OUT.bmp]\n"
           "                          [--svg OUT.svg] [--pdf OUT.pdf]\n"
           "                          open the file, build its network and draw its\n"
           "                          contour map without a window, writing the working\n"
           "                          files to the current folder and the drawing area to\n"
           "                          the images named; render, check and view3d take a\n"
           "                          file to import (see import) for FILE.D3D, and\n"
           "                          render and check take the import options too\n"
           "    --network raw|optimized|3d     network kind (raw; 3d builds and draws\n"
           "                                   no map)\n"
           "    --seed N                       fixed random seed (default: the clock)\n"
           "    --interval X                   contour interval, above 0 (1)\n"
           "    --error X                      allowed fitting error, above 0; used with\n"
           "                                   --error-control (0.1)\n"
           "    --error-control                fitting-error control on\n"
           "    --width N                      line width 1..99; above 4 draws a\n"
           "                                   colour-rendered map (1)\n"
           "    --line-type N                  line type 0..6: 0 solid, 1 dash, 2 dot,\n"
           "                                   3 dash-dot, 4 dash-dot-dot, 5 no line,\n"
           "                                   6 inside solid (0)\n"
           "    --smooth N                     curve smoothness 0..7 as the panel shows\n"
           "                                   it (2)\n"
           "    --labels MODE                  which points get their value: all, half,\n"
           "                                   third, notes (notes only) or none (all)\n"
           "    --decimals 3|2|1|0             decimals of the values (3); not with notes\n"
           "                                   or none\n"
           "    --classic                      the old look: labels where they fall,\n"
           "                                   curves as smoothed, no contour values,\n"
           "                                   legend or coordinates\n"
           "    --contour-labels MODE          contour values along the lines: none,\n"
           "                                   index (every fifth level) or all (index)\n"
           "    --no-legend                    no legend strip beside the images\n"
           "    --no-coordinates               no tick labels in the data's units\n"
           "    --allow-crossings              draw the smoothed curves without keeping\n"
           "                                   them in their level's band\n"
           "    --report-crossings             count crossing curves and stretches out\n"
           "                                   of their band, and print the counts\n"
           "    --fill                         fill the bands between the levels in\n"
           "                                   the transition colours, under the lines\n"
           "    --fill-table 0..9|A            fill in a 3D colour table's colours\n"
           "    --report-fill                  fill, and print each band's levels and\n"
           "                                   area in the data's square units\n"
           "    --no-network                   leave the network lines out\n"
           "    --observe                      show how each curve fits its polygon\n"
           "    --ramp A,B                     transition colour scroll bars, 16..255\n"
           "                                   each (255,255: grey)\n"
           "    --colour BLOCK=R,G,B           a palette colour, 0..255 each; BLOCK is\n"
           "                                   background, network, curve, index,\n"
           "                                   values, points, error or ruler\n"
           "    --hpgl                         record the map as an HPGL plot file beside\n"
           "                                   the data file: its name up to the first\n"
           "                                   \".\" + .PLT\n"
           "    --picture IMAGE                draw over a background picture (BMP, JPEG,\n"
           "                                   GIF, PNG, TIFF) in its frame, as 插图 does\n"
           "    --scale N                      images N times as large, 1..8, drawn anew\n"
           "                                   at that size, not enlarged (1); play\n"
           "                                   and view3d take it too\n"
           "    --contours OUT                 write the contours as drawn, by OUT's\n"
           "                                   extension: .dxf, .shp, .gpkg, .geojson\n"
           "                                   or .kml, in the data's coordinates\n"
           "    --export-points                the points too, with value and note\n"
           "    --export-network               the raw network's triangles too\n"
           "    --crs EPSG:NNNN                record the coordinate system; .kml\n"
           "                                   needs it\n"

           "  tervane play FILE.PLT [--png OUT.png] [--bmp OUT.bmp] [--svg OUT.svg]\n"
           "                        [--pdf OUT.pdf]\n"
           "                          play an HPGL plot file fitted into the drawing area\n"
           "                          and save the area to the images named (one at least);\n"
           "                          SVG and PDF keep lines and text as vectors\n"
           "  tervane view3d FILE.D3D [options] (--png|--bmp|--svg|--pdf OUT)...\n"
           "                          build the file's 3D network in the current folder\n"
           "                          and draw its shaded surface as the 3D view draws it;\n"
           "                          the images hold the view's saved picture (511 x 487)\n"
           "    --angle A                      viewing angle 1..360, as the angle box\n"
           "                                   takes it (45)\n"
           "    --height H                     row height 10..200, as the height box\n"
           "                                   takes it (120)\n"
           "    --levels N                     level count 2..9 (9)\n"
           "    --zoom Z                       zoom margin 100 (largest) .. 3000\n"
           "                                   (smallest) (1450)\n"
           "    --table T                      colour table 0..9 or A (0)\n"
           "    --no-grid                      leave the grid lines out\n"
           "    --no-float                     draw the outer ring down to the base level\n"
           "    --preview                      the quick preview instead of the full\n"
           "                                   drawing\n"
           "    --brightness R,G,B             brightness change in per cent, -99..99\n"
           "                                   each (0,0,0)\n"
           "    --background R,G,B             background colour, 0..255 each (0,0,0)\n"
           "    --seed N                       fixed random seed of the network build\n"
           "    --scale N                      picture N times as large, 1..8 (1)\n"
           "  tervane check FILE.D3D [--network raw|optimized|3d] [--interval X]\n"
           "                          list what is wrong with a data file, judged as render\n"
           "                          judges it with the same two options (raw, 1); exit\n"
           "                          status 0 when it draws, 1 when it would be refused,\n"
           "                          3 when it cannot be read\n"
           "    --network raw|optimized|3d     network kind: all points on one line are\n"
           "                                   refused for raw only (raw)\n"
           "    --interval X                   contour interval, above 0 (1); 3d draws\n"
           "                                   no contours\n"
           "  tervane import IN OUT.D3D [options]\n"
           "                          read points from delimited text (.csv, .txt, .xyz,\n"
           "                          .dat) or a point layer (.shp, .gpkg, .geojson, .dxf,\n"
           "                          .kml) and write them as a survey file; exit status\n"
           "                          0 when written, 1 when refused (bad lines are named\n"
           "                          by number and nothing is written)\n"
           "    --preset P                     the column layout: xyz (X Y value),\n"
           "                                   name-code-enh (name as the note, code,\n"
           "                                   E, N, H) or name-enh (detected)\n"
           "    --columns X,Y,VALUE[,NOTE]     columns by number from 1 or by header\n"
           "                                   name\n"
           "    --delimiter D                  comma, tab, semicolon or blanks\n"
           "                                   (detected)\n"
           "    --skip N                       lines to drop before the data or\n"
           "                                   header (0)\n"
           "    --encoding utf-8|gbk           the text's encoding (detected)\n"
           "    --decimal-comma                read 12,5 as 12.5 (otherwise refused)\n"
           "    --thin                         more than 32,767 points: keep one per\n"
           "                                   cell of the smallest square grid that\n"
           "                                   leaves 32,767 at most\n"
           "    --z-field F                    point layers: the value from attribute\n"
           "                                   F (the geometry's Z)\n"
           "    --note-field F                 point layers: the note from attribute\n"
           "                                   F (a field called name)\n"
           "  tervane --help          show this text\n"
           "  tervane --version       show the version\n"
           "No output may name an input of the run or another output: such a run\n"
           "writes nothing and ends with exit status 2, as a mistake on the line does.\n";
}

} // namespace tervane
