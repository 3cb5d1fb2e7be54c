#include "engine/commands/MainCommands.h"
#include "engine/network/NetworkCheck.h"
#include "engine/network/WorkingFiles.h"
#include "engine/survey/SurveyFile.h"
#include "support/FakeMainView.h"
#include "support/ScratchDir.h"
#include "engine/base/ScriptedEscapeKey.h"
#include "engine/base/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tervane {
namespace {

using Points = std::vector<std::array<double, 2>>;

// The kinds of awkward point sets a survey can hold.
enum class Kind { Duplicates, NearDuplicates, CollinearRun, CocircularRing, JitteredGrid, Tiny, Huge, AllCollinear };
constexpr int kKinds = 8;
constexpr int kCorpusSize = 10000;

// One small point set of the given kind, the same for the same seed.
Points degenerateSet(Kind kind, std::uint32_t seed)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> count(6, 30);
    const int n = count(gen);
    Points p;
    switch (kind) {
    case Kind::Duplicates:
    case Kind::NearDuplicates: {
        for (int i = 0; i < n; ++i)
            p.push_back({100 * unit(gen), 100 * unit(gen)});
        const double offset = kind == Kind::Duplicates ? 0.0 : 1e-9;
        for (int i = 0; i < n / 3; ++i)
            p.push_back({p[static_cast<std::size_t>(i)][0] + offset, p[static_cast<std::size_t>(i)][1]});
        break;
    }
    case Kind::CollinearRun:
        for (int i = 0; i < n; ++i)
            p.push_back({10.0 * i, 5.0 * i});
        for (int i = 0; i < 3; ++i)
            p.push_back({100 * unit(gen), 100 * unit(gen)});
        break;
    case Kind::CocircularRing:
        for (int i = 0; i < n; ++i) {
            const double a = 2 * M_PI * i / n;
            p.push_back({500 + 100 * std::cos(a), 500 + 100 * std::sin(a)});
        }
        if (seed % 2)
            p.push_back({500, 500});
        break;
    case Kind::JitteredGrid: {
        const double jitter = std::pow(10.0, -(4 + static_cast<int>(seed % 6)));
        const int side = 3 + static_cast<int>(seed % 4);
        for (int i = 0; i < side; ++i)
            for (int j = 0; j < side; ++j)
                p.push_back({i + jitter * unit(gen), j + jitter * unit(gen)});
        break;
    }
    case Kind::Tiny:
        for (int i = 0; i < n; ++i)
            p.push_back({1e-6 * unit(gen), 1e-6 * unit(gen)});
        break;
    case Kind::Huge:
        for (int i = 0; i < n; ++i)
            p.push_back({1e9 + 1000 * unit(gen), 1e9 + 1000 * unit(gen)});
        break;
    case Kind::AllCollinear:
        for (int i = 0; i < n; ++i)
            p.push_back({3.0 * i, 7.0});
        break;
    }
    return p;
}

// The shortest text of at most 15 characters (the field width) that holds
// the value.
std::string fieldText(double v)
{
    char buffer[64];
    for (int digits = 15; digits > 1; --digits) {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, v);
        if (std::string(buffer).size() <= 15)
            return buffer;
    }
    return "0";
}

// Why the network the open step built is not a valid triangulation, or
// empty.
std::string networkFault(const SharedState& s)
{
    Triangulation t;
    t.vertexA = s.triVertexA;
    t.vertexB = s.triVertexB;
    t.vertexC = s.triVertexC;
    t.neighbour = s.triNeighbour;
    t.centreX = s.triCentreX;
    t.centreY = s.triCentreY;
    t.centreZ = s.triCentreZ;
    t.count = s.triangleCount;
    t.cursor = s.triangleCursor;
    const NetworkFaults f = checkNetwork(s.pointX, s.pointY, s.recordCount, t);
    if (f.valid())
        return {};
    return "flat " + std::to_string(f.flatTriangles) + ", crowded " + std::to_string(f.crowdedEdges) + ", folded " +
           std::to_string(f.foldedEdges) + ", broken " + std::to_string(f.brokenNeighbours) + ", occupied " +
           std::to_string(f.occupiedCircles) + ", " + std::to_string(f.triangles) + " of " +
           std::to_string(f.expectedTriangles) + " triangles";
}

long fileSize(const char* name)
{
    struct stat st {};
    return ::stat(name, &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

// A refused file leaves nothing that claims to be its network: no header,
// or one whose counts the point and triangle files can back.
bool workingFilesConsistent()
{
    const auto header = readNdx();
    if (!header)
        return true;
    return header->recordCount * 12 <= fileSize("dzx.XYZ") && header->triangleRows * 24 <= fileSize("dzx.DH");
}

// What one pass over the corpus found.
struct CorpusResult {
    std::map<int, int> drawn, refused, invalid;  // by kind
    std::string firstInvalid;                    // which set, and why
};

// Ten thousand small awkward point sets go through open (which builds the
// raw network) and Draw. No run may hang or trip the sanitizers, and after
// each refusal the program must be as if nothing had been opened, ready for
// the next good file. The networks built are checked and counted.
CorpusResult runCorpus()
{
    CorpusResult result;
    // In memory when /dev/shm is there: ten thousand files and their
    // working files would otherwise wait on the disk, not the program.
    std::string folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/tervane-corpus-XXXXXX" : "/tmp/tervane-corpus-XXXXXX";
    if (!::mkdtemp(folder.data())) {
        ADD_FAILURE() << "no scratch folder";
        return result;
    }
    test::CurrentDir cwd(folder);
    const std::string good = TERVANE_SOURCE_DIR "/examples/small-six.D3D";
    const std::string path = folder + "/set.D3D";
    for (int i = 0; i < kCorpusSize; ++i) {
        const auto kind = static_cast<Kind>(i % kKinds);
        const auto seed = static_cast<std::uint32_t>(i);
        std::mt19937 values(seed);
        std::string bytes;
        for (const auto& [x, y] : degenerateSet(kind, seed)) {
            const RecordBytes record =
                encodeRecord({fieldText(x), fieldText(y), std::to_string(values() % 200 / 10.0), ""});
            bytes.append(record.data(), record.size());
        }
        test::writeBytes(path, bytes);

        SharedState state;
        PanelSettings panel;
        test::FakeMainView view;
        ScriptedPrompter prompter;
        ScriptedEscapeKey escape;
        Random random(seed);
        RunContext ctx{state, panel, view, prompter, escape, random};
        MainCommands commands(ctx);
        commands.open(path);
        const std::string where = "set " + std::to_string(i) + " (kind " + std::to_string(i % kKinds) + ")";
        if (state.fileOpen == 1) {
            if (const std::string fault = networkFault(state); !fault.empty()) {
                ++result.invalid[i % kKinds];
                if (result.firstInvalid.empty())
                    result.firstInvalid = where + ": " + fault;
            }
            commands.draw();
            ++result.drawn[i % kKinds];
            continue;
        }
        ++result.refused[i % kKinds];
        EXPECT_TRUE(workingFilesConsistent()) << where;
        commands.open(good);
        EXPECT_EQ(state.fileOpen, 1) << where << ": a good file after the refusal";
        EXPECT_EQ(networkFault(state), "") << where;
        commands.draw();
        if (::testing::Test::HasFailure())
            break;
    }
    std::filesystem::remove_all(folder);
    return result;
}

int countOf(const std::map<int, int>& counts, Kind kind)
{
    const auto it = counts.find(static_cast<int>(kind));
    return it == counts.end() ? 0 : it->second;
}

// One pass over the corpus, as it takes a while under the sanitizers. Rings,
// grids and far-off scales always give a network; a set all on one line is
// always refused as having no network. The growth search used to fold over
// exact and near duplicates and some collinear runs (edges in three
// triangles): every set the build accepts must come out a valid
// triangulation.
TEST(DegenerateCorpus, RunsEndRefusalsLeaveACleanStateAndAcceptedSetsGiveValidNetworks)
{
    const char* const names[kKinds] = {"duplicates", "near duplicates", "collinear run", "cocircular ring",
                                       "jittered grid", "tiny", "huge", "all collinear"};
    const CorpusResult r = runCorpus();
    EXPECT_EQ(countOf(r.refused, Kind::AllCollinear), kCorpusSize / kKinds);
    for (const Kind k : {Kind::CocircularRing, Kind::JitteredGrid, Kind::Tiny, Kind::Huge})
        EXPECT_EQ(countOf(r.drawn, k), kCorpusSize / kKinds) << names[static_cast<int>(k)];
    for (int k = 0; k < kKinds; ++k)
        EXPECT_EQ(countOf(r.invalid, static_cast<Kind>(k)), 0) << names[k] << ": " << r.firstInvalid;
}

} // namespace
} // namespace tervane
