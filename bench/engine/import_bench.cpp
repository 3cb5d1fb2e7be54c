// Times importing the largest survey a file holds, 32,767 points, from a
// surveyor's CSV (name,code,E,N,H in GBK with CRLF line ends), read only
// and read and written, against reading the same points back from the
// survey file it makes (what opening the data costs). The Draw run of the
// same size is timed in export_bench; an import should take less.
#include "BenchSurvey.h"
#include "engine/base/Gbk.h"
#include "engine/interchange/PointImport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <random>

namespace {

using namespace tervane;

std::string surveyorCsv(int count)
{
    std::mt19937_64 gen(32767);
    std::uniform_real_distribution<double> e(500000, 501000);
    std::uniform_real_distribution<double> n(3400000, 3400800);
    std::uniform_real_distribution<double> h(10, 90);
    std::string text = "name,code,E,N,H\r\n";
    char line[160];
    for (int i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line, "%d,TP,%.3f,%.3f,%.3f\r\n", i, e(gen), n(gen), h(gen));
        text += utf8ToGbk("测点") + line;
    }
    return text;
}

struct Files {
    bench::ScratchFolder folder;
    std::string csv = "points.csv";
    Files()
    {
        std::ofstream(csv, std::ios::binary) << surveyorCsv(kMaxImportPoints);
    }
};

Files& files()
{
    static Files f;
    return f;
}

void BM_ReadCsv(benchmark::State& state)
{
    const std::string csv = files().csv;
    for (auto _ : state) {
        const ImportReport r = readPoints(csv, {});
        if (!r.ok || r.pointsKept != kMaxImportPoints)
            state.SkipWithError("the CSV was not read whole");
        benchmark::DoNotOptimize(r.records.data());
    }
}
BENCHMARK(BM_ReadCsv)->Unit(benchmark::kMillisecond);

void BM_ImportCsv(benchmark::State& state)
{
    const std::string csv = files().csv;
    for (auto _ : state) {
        if (!importPoints(csv, "points.D3D", {}).ok)
            state.SkipWithError("the import was refused");
    }
}
BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond);

void BM_ReadSurveyFileBaseline(benchmark::State& state)
{
    if (!importPoints(files().csv, "baseline.D3D", {}).ok)
        state.SkipWithError("the import was refused");
    for (auto _ : state) {
        const SurveyReadResult r = readSurveyFile("baseline.D3D");
        benchmark::DoNotOptimize(r.records.data());
    }
}
BENCHMARK(BM_ReadSurveyFileBaseline)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
