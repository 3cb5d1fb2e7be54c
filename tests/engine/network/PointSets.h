#pragma once
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace tervane::test {

// Points indexed from 1, as the point arrays hold them.
struct Points {
    std::vector<double> x{0.0}, y{0.0}, z{0.0};
    long n() const { return static_cast<long>(x.size()) - 1; }
    void add(double px, double py, double pz = 0)
    {
        x.push_back(px);
        y.push_back(py);
        z.push_back(pz);
    }
};

inline Points randomPoints(unsigned seed, int n, double span = 1)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> u(0, span);
    Points p;
    for (int i = 0; i < n; ++i)
        p.add(u(gen), u(gen), u(gen));
    return p;
}

// A side x side grid over 1000 x 800, each point moved by up to `jitter`,
// numbered column by column like a scanned grid.
inline Points jitteredGrid(unsigned seed, int side, double jitter)
{
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> u(0, jitter);
    Points p;
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j)
            p.add(i * 1000.0 / (side - 1) + u(gen), j * 800.0 / (side - 1) + u(gen), i + j);
    return p;
}

} // namespace tervane::test
