// Timing of a whole `render` without a window: start-up, opening the file
// with its network build, the Draw run and its painting into the drawing
// area's image, over uniform random points (as the peers' comparison sets
// have them). No picture is written. Build with -DTERVANE_BENCH=ON
// -DCMAKE_BUILD_TYPE=Release.
#include "engine/base/NumberText.h"
#include "engine/survey/SurveyFile.h"
#include "ui/HeadlessRender.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <unistd.h>

namespace tervane {
namespace {

// A scratch folder, the current folder while it lives, for the working
// files a build writes.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string name = (std::filesystem::temp_directory_path() / "tervane-render-bench-XXXXXX").string();
        if (::mkdtemp(name.data()) == nullptr)
            std::abort();
        path_ = name;
        old_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~ScratchFolder()
    {
        std::filesystem::current_path(old_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
    std::filesystem::path old_;
};

// Uniform random points over 1000 x 800 with a hill, a hollow and a slope.
std::string writeUniformSurvey(const ScratchFolder& folder, int count)
{
    std::mt19937 gen(2187);
    std::uniform_real_distribution<double> x(0, 1000), y(0, 800);
    std::vector<SurveyRecord> records;
    for (int i = 0; i < count; ++i) {
        const double px = x(gen);
        const double py = y(gen);
        const double z = 100 + 40 * std::exp(-((px - 300) * (px - 300) + (py - 400) * (py - 400)) / 20000) -
                         25 * std::exp(-((px - 700) * (px - 700) + (py - 300) * (py - 300)) / 40000) + 0.02 * px;
        records.push_back({plainNumberText(px), plainNumberText(py), plainNumberText(z), ""});
    }
    const std::string path = folder.file("uniform" + std::to_string(count) + ".D3D");
    writeSurveyFile(path, records);
    return path;
}

// `render FILE --seed 1 --interval X`: an interval of 0.57 gives about 100
// levels on these sets; one of 1000 lies above their value range, so only
// the network is drawn.
void timeRender(benchmark::State& st, const std::string& interval)
{
    ScratchFolder folder;
    HeadlessJob job;
    job.file = writeUniformSurvey(folder, static_cast<int>(st.range(0)));
    job.seed = 1;
    job.panel.intervalText = interval;
    for (auto _ : st) {
        std::ostringstream out, err;
        if (renderHeadless(job, out, err) != 0) {
            st.SkipWithError(("render failed: " + err.str()).c_str());
            return;
        }
    }
}

void BM_Render100Levels(benchmark::State& st) { timeRender(st, "0.57"); }
void BM_RenderNetworkOnly(benchmark::State& st) { timeRender(st, "1000"); }
BENCHMARK(BM_Render100Levels)->Arg(2000)->Arg(32767)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RenderNetworkOnly)->Arg(2000)->Arg(32767)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace tervane

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
