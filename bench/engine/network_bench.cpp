// Times the raw network build (triangulation and numbering, nothing drawn)
// on the comparison point sets, against the library's own Delaunay
// triangulation of the same points as the baseline of the same run, and
// against the old growth that searched every edge's far point. At the end
// it prints, per set, the raw build's CPU time over the library's (medians
// when repeated):
//
//   TERVANE_POINTS=/tmp/points build-rel/network_bench
//       --benchmark_filter='(library|rawNetwork|mesh)/uniform'
//       --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true
//
// (one command line).
//
// The sets are those of the peers' gen_points.py, read from the folder in
// TERVANE_POINTS (default "points"); scripts/bench makes them.
#include "engine/network/Delaunay.h"
#include "engine/network/GridBuilder.h"
#include "engine/network/ReferenceGrowth.h"
#include "engine/network/Triangulator.h"

#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include <unistd.h>

namespace {

struct PointSet {
    std::vector<double> x{0.0}, y{0.0}, z{0.0};
    long n() const { return static_cast<long>(x.size()) - 1; }
};

PointSet readPoints(const std::string& name)
{
    const char* folder = std::getenv("TERVANE_POINTS");
    std::ifstream in(std::string(folder ? folder : "points") + "/" + name + ".xyz");
    PointSet p;
    double x, y, z;
    while (in >> x >> y >> z) {
        p.x.push_back(x);
        p.y.push_back(y);
        p.z.push_back(z);
    }
    return p;
}

void rawNetwork(benchmark::State& state, const PointSet& p)
{
    long triangles = 0;
    for (auto _ : state) {
        const auto result = tervane::triangulate(p.x, p.y, p.z, p.n());
        triangles = result.tables.count;
        benchmark::DoNotOptimize(triangles);
    }
    state.counters["triangles"] = static_cast<double>(triangles);
}

// The Delaunay mesh alone, the part of the raw build that the library's
// triangulation is the yardstick for; the rest is the numbering walk with
// each triangle's incentre and value.
void meshOnly(benchmark::State& state, const PointSet& p)
{
    long faces = 0;
    for (auto _ : state) {
        const auto mesh = tervane::delaunayMesh(p.x, p.y, p.n());
        faces = mesh.faceCount();
        benchmark::DoNotOptimize(faces);
    }
    state.counters["triangles"] = static_cast<double>(faces);
}

void libraryDelaunay(benchmark::State& state, const PointSet& p)
{
    using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
    std::vector<Kernel::Point_2> points;
    for (long i = 1; i <= p.n(); ++i)
        points.emplace_back(p.x[static_cast<std::size_t>(i)], p.y[static_cast<std::size_t>(i)]);
    std::size_t faces = 0;
    for (auto _ : state) {
        CGAL::Delaunay_triangulation_2<Kernel> dt(points.begin(), points.end());
        faces = dt.number_of_faces();
        benchmark::DoNotOptimize(faces);
    }
    state.counters["triangles"] = static_cast<double>(faces);
}

void oldGrowth(benchmark::State& state, const PointSet& p)
{
    long triangles = 0;
    for (auto _ : state) {
        const auto result = tervane::reference::growNetwork(p.x, p.y, p.z, p.n());
        triangles = result.tables.count;
        benchmark::DoNotOptimize(triangles);
    }
    state.counters["triangles"] = static_cast<double>(triangles);
}

// The optimized grid's node values: about 5 n nodes, each weighing the
// nearest of n points.
void gridWeighting(benchmark::State& state)
{
    const long n = state.range(0);
    std::mt19937_64 gen(static_cast<std::uint64_t>(n) * 7919u);
    std::uniform_real_distribution<double> u(0, 1000);
    PointSet p;
    for (long i = 0; i < n; ++i) {
        p.x.push_back(u(gen));
        p.y.push_back(u(gen));
        p.z.push_back(u(gen) / 10);
    }
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

// The console report, then each set's raw build over the library's
// triangulation, from the medians when repeated or else the single runs.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && run.repetitions <= 1))
                cpu_[run.run_name.str()] = run.GetAdjustedCPUTime();
        }
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto& [name, ours] : cpu_) {
            if (name.rfind("rawNetwork/", 0) != 0)
                continue;
            const std::string set = name.substr(name.find('/') + 1);
            const auto library = cpu_.find("library/" + set);
            if (library != cpu_.end() && library->second > 0)
                std::printf("%-14s library %8.2f ms  raw network %8.2f ms  ratio %.2f\n", set.c_str(),
                            library->second, ours, ours / library->second);
        }
    }

private:
    std::map<std::string, double> cpu_;
};

} // namespace

int main(int argc, char** argv)
{
    static std::vector<std::pair<std::string, PointSet>> sets;
    for (const char* name : {"uniform500", "uniform2000", "uniform10000", "uniform32767", "grid32761"})
        sets.emplace_back(name, readPoints(name));
    for (const auto& [name, p] : sets) {
        if (p.n() == 0) {
            std::fprintf(stderr, "No points for %s: run scripts/bench or set TERVANE_POINTS\n", name.c_str());
            return 1;
        }
        const PointSet* points = &p;
        benchmark::RegisterBenchmark(("library/" + name).c_str(), libraryDelaunay, *points)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("rawNetwork/" + name).c_str(), rawNetwork, *points)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("mesh/" + name).c_str(), meshOnly, *points)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("oldGrowth/" + name).c_str(), oldGrowth, *points)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
