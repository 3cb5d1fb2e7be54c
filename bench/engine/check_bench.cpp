// Times the data check of a survey file in memory against decoding the
// same records alone (what any load costs), for random files of growing
// size up to the largest the program opens, with a tenth of the points
// duplicated and a few nudged by less than the near-duplicate distance.
#include "engine/survey/DataCheck.h"
#include "engine/survey/SurveyFile.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

std::string randomFile(long n)
{
    std::mt19937_64 gen(static_cast<std::uint64_t>(n) * 104729u);
    std::uniform_real_distribution<double> u(0, 1000);
    std::string bytes;
    double lastX = 0, lastY = 0;
    for (long i = 0; i < n; ++i) {
        double x = u(gen), y = u(gen);
        if (i % 10 == 9) {
            x = lastX;
            y = lastY;
        } else if (i % 97 == 50) {
            x = lastX + 1e-5;
            y = lastY;
        }
        lastX = x;
        lastY = y;
        const tervane::SurveyRecord r{std::to_string(x), std::to_string(y), std::to_string(u(gen) / 10), "测点"};
        const tervane::RecordBytes b = tervane::encodeRecord(r);
        bytes.append(b.begin(), b.end());
    }
    return bytes;
}

void decodeOnly(benchmark::State& state)
{
    const std::string bytes = randomFile(state.range(0));
    for (auto _ : state) {
        double sum = 0;
        for (std::size_t i = 0; i + tervane::kRecordLength <= bytes.size(); i += tervane::kRecordLength)
            sum += tervane::decodeRecord(bytes.data() + i).x();
        benchmark::DoNotOptimize(sum);
    }
    state.SetComplexityN(state.range(0));
}

void dataCheck(benchmark::State& state)
{
    const std::string bytes = randomFile(state.range(0));
    std::size_t findings = 0;
    for (auto _ : state) {
        const auto report = tervane::checkSurveyBytes(bytes, "bench.D3D");
        findings = report.findings.size();
        benchmark::DoNotOptimize(findings);
    }
    state.counters["findings"] = static_cast<double>(findings);
    state.SetComplexityN(state.range(0));
}

BENCHMARK(decodeOnly)->Arg(1000)->Arg(8000)->Arg(32767)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(dataCheck)->Arg(1000)->Arg(8000)->Arg(32767)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oNLogN);

} // namespace

BENCHMARK_MAIN();
