#pragma once
// What the benchmarks that build and draw share: a scratch current folder for
// the working files, the same uniform survey at any size, and a prompter
// that answers every question at once.
#include "engine/base/NumberText.h"
#include "engine/base/NullCanvas.h"
#include "engine/base/Prompter.h"
#include "engine/commands/MainCommands.h"
#include "engine/contour/ContourRun.h"
#include "engine/base/EscapeKey.h"
#include "engine/base/Random.h"
#include "engine/state/NullView.h"
#include "engine/survey/SurveyFile.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>
#include <unistd.h>

namespace tervane::bench {

// Says yes to every message and cancels every dialog, keeping nothing.
class SilentPrompter final : public Prompter {
public:
    Answer message(const std::string&, const std::string&, MessageIcon, MessageButtons) override
    {
        return Answer::Ok;
    }
    std::optional<std::string> openFile(const std::string&, int, const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string&, int, const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<Colour> chooseColour(Colour) override { return std::nullopt; }
    std::optional<int> choosePrinter(int) override { return std::nullopt; }
    void beep() override {}
};

// A scratch folder, the current folder while it lives.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string name = (std::filesystem::temp_directory_path() / "tervane-bench-XXXXXX").string();
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

// Uniform random points over 1000 x 800 with a hill, a hollow and a slope,
// as the peers' comparison sets have them.
inline std::string writeUniformSurvey(const ScratchFolder& folder, int count)
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

// The engine's view that paints nothing, so that only a run's own
// work is timed.
using tervane::NullView;

// A window-less main window that has opened a file and built its network;
// each run() is one Draw over the working files the build left, in the
// classic look unless asked otherwise.
class HeadlessDraw {
public:
    HeadlessDraw(const std::string& survey, std::uint64_t seed)
        : random_(seed)
    {
        commands_.startUp();
        commands_.open(survey);
        // The network is not drawn again, nor rebuilt, for each run.
        panel_.check13 = true;
    }
    bool ready() const { return state_.fileOpen == 1 && state_.triangleCount > 0; }
    void setInterval(double interval) { panel_.intervalText = plainNumberText(interval); }
    void setLevels(int count) { setInterval((state_.zMax - state_.zMin) / count); }
    void setSmoothness(int s) { panel_.smoothValue = s + 2; }
    void setClassic(bool on) { panel_.classic = on; }
    void setMend(bool on) { panel_.mendCrossings = on; }
    int triangleCount() const { return state_.triangleCount; }
    long mended() const { return state_.crossings.mendedCurves; }
    bool run() { return drawContourMap(ctx_); }

private:
    SharedState state_;
    PanelSettings panel_;
    NullView view_;
    SilentPrompter prompter_;
    NoEscapeKey escape_;
    Random random_;
    RunContext ctx_{state_, panel_, view_, prompter_, escape_, random_};
    MainCommands commands_{ctx_};
};

// Set by a benchmark that could not do its work: the program then ends
// with status 1, so that a script running it sees the failure.
inline bool benchmarkFailed = false;

// A benchmark program's main: runs what the command line picks.
inline int runBenchmarks(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return benchmarkFailed ? 1 : 0;
}

} // namespace tervane::bench
