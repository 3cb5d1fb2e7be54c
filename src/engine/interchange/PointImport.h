#pragma once
#include "engine/survey/SurveyFile.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tervane {

// Points from the files surveyors have, made into survey records: delimited
// text (.csv, .txt, .xyz, .dat) read here, and any point layer the vector
// library reads (Shapefile, GeoPackage, GeoJSON, DXF, KML). Callers see
// records and reports only; the library's types stay in the .cpp files.

// The column layouts instruments write most often.
enum class ImportPreset { Xyz, NameCodeEnh, NameEnh };

enum class TextEncoding { Detect, Utf8, Gbk };

struct ImportOptions {
    std::optional<ImportPreset> preset;
    // X, Y, value and optionally the note: column numbers from 1, or names
    // from the header line. Empty: the preset, the header's names or a guess.
    std::vector<std::string> columns;
    std::optional<char> delimiter;  // ',', '\t', ';' or ' ' (any run of blanks)
    long skip = 0;                  // lines dropped before anything is read
    TextEncoding encoding = TextEncoding::Detect;
    bool decimalComma = false;      // "12,5" is twelve and a half
    bool thin = false;              // more points than a file holds: thin them
    std::string zField;             // vector layers: the value from this attribute
    std::string noteField;          // vector layers: the note from this attribute
};

// One line (or feature) that could not become a record.
struct BadLine {
    long line = 0;
    std::string reason;
};

struct ImportReport {
    bool ok = false;
    std::string refusal;              // why nothing was written, when not ok
    std::vector<BadLine> badLines;    // each named in the refusal text too
    bool features = false;            // a vector layer: lines are feature numbers
    std::vector<SurveyRecord> records;
    long pointsRead = 0;              // points the input held
    long pointsKept = 0;              // records written
    double thinCell = 0;              // the grid cell of --thin, 0 when not thinned
    std::string settings;             // what was detected: encoding, delimiter, header, columns

    // The report as the program says it (Chinese), one finding a line,
    // naming at most `listed` bad lines (then how many there were).
    std::string text(std::size_t listed = 100) const;
};

// Survey records hold 32,767 records at most.
inline constexpr long kMaxImportPoints = 32767;

// The parse-name of a preset ("xyz", "name-code-enh", "name-enh").
std::optional<ImportPreset> presetNamed(std::string_view name);

// Whether a file is one to import rather than a survey file, by its
// extension: .csv .txt .xyz .dat .shp .gpkg .geojson .json .dxf .kml; a
// text-named file holding fixed 65-byte records (no line ends, a whole
// number of records) is a survey file all the same.
bool isImportInput(const std::string& path);

// Reads and checks every point; writes nothing.
ImportReport readPoints(const std::string& path, const ImportOptions& options);

// Reads the points and writes them as a survey file through the one file
// writer: a refused import leaves no output (and an old file as it was).
ImportReport importPoints(const std::string& input, const std::string& output, const ImportOptions& options);

// A number as a survey record holds it: the same decimal value the text
// gave, in at most 15 characters (a plain decimal if it fits, then without
// the zero before the point, then in exponent form). Nothing when the text
// is not one number, or its digits cannot fit.
std::optional<std::string> fitNumberText(std::string_view text);

// A note cut to what the 20-byte GBK field holds, never inside a character,
// trailing blanks dropped; UTF-8 in and out.
std::string cutNote(std::string_view utf8);

// Thinning on a regular square grid anchored at the lowest X and Y: the
// smallest cell that leaves at most maxCells occupied cells, and in each
// cell the point nearest its centre (the earliest on a tie). Returns the
// kept indices in input order; `cell` gets the cell size.
std::vector<std::size_t> thinOnGrid(const std::vector<double>& x, const std::vector<double>& y, long maxCells,
                                    double* cell = nullptr);

// A survey file made from an import input for one run (render, check,
// view3d): written beside the input under the input's own name up to its
// first ".", so names derived from it (the plot file) come from the input;
// in the system's temporary folder when the input's folder takes no file.
// Removed when this goes.
class ImportedSurvey {
public:
    ImportedSurvey() = default;
    ~ImportedSurvey();
    ImportedSurvey(const ImportedSurvey&) = delete;
    ImportedSurvey& operator=(const ImportedSurvey&) = delete;

    // Imports; the report says whether path() now names the records.
    ImportReport make(const std::string& input, const ImportOptions& options);
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string folder_;  // a folder of our own to remove, when one was made
};

} // namespace tervane
