// Times the raw network build (triangulation only, nothing drawn) for
// random point sets of growing size, with the indexed edge search the
// program uses and with the full scan of every point per edge (n squared),
// which gives the same network.
#include "engine/network/GridBuilder.h"
#include "engine/network/Triangulator.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

struct PointSet {
    std::vector<double> x{0.0}, y{0.0}, z{0.0};
};

PointSet randomPoints(long n)
{
    std::mt19937_64 gen(static_cast<std::uint64_t>(n) * 7919u);
    std::uniform_real_distribution<double> u(0, 1000);
    PointSet p;
    for (long i = 0; i < n; ++i) {
        p.x.push_back(u(gen));
        p.y.push_back(u(gen));
        p.z.push_back(u(gen) / 10);
    }
    return p;
}

void build(benchmark::State& state, tervane::EdgeSearch search)
{
    const long n = state.range(0);
    const PointSet p = randomPoints(n);
    long triangles = 0;
    for (auto _ : state) {
        const auto result = tervane::triangulate(p.x, p.y, p.z, n, {}, search);
        triangles = result.tables.count;
        benchmark::DoNotOptimize(triangles);
    }
    state.counters["triangles"] = static_cast<double>(triangles);
    state.SetComplexityN(n);
}

void rawNetwork(benchmark::State& state) { build(state, tervane::EdgeSearch::Indexed); }
void rawNetworkFullScan(benchmark::State& state) { build(state, tervane::EdgeSearch::FullScan); }

BENCHMARK(rawNetwork)->Arg(100)->Arg(500)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(rawNetworkFullScan)->Arg(100)->Arg(500)->Arg(2000)->Arg(10000)
    ->Unit(benchmark::kMillisecond)->Complexity(benchmark::oNSquared);

// The optimized grid's node values: about 5 n nodes, each weighing all n
// points.
void gridWeighting(benchmark::State& state)
{
    const long n = state.range(0);
    const PointSet p = randomPoints(n);
    tervane::Random random(1);
    tervane::GridPlacement where;
    where.xRange = where.yRange = 1000;
    const auto size = tervane::optimizedGridSize(n, 1000, 1000);
    for (auto _ : state) {
        tervane::Grid grid = tervane::placeGridNodes(size, where, random);
        tervane::weightGridValues(grid, p.x, p.y, p.z, n);
        benchmark::DoNotOptimize(grid.z.data());
    }
}
BENCHMARK(gridWeighting)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
