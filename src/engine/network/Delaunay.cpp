// The only file that includes the geometry library: its headers are large
// and slow to compile, so the rest of the program sees plain tables only.
#include "engine/network/Delaunay.h"

#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_face_base_with_info_2.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

namespace tervane {

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using VertexBase = CGAL::Triangulation_vertex_base_with_info_2<int, Kernel>;
using FaceBase = CGAL::Triangulation_face_base_with_info_2<int, Kernel>;
using Structure = CGAL::Triangulation_data_structure_2<VertexBase, FaceBase>;
using Triangulation2 = CGAL::Delaunay_triangulation_2<Kernel, Structure>;
using Point = Kernel::Point_2;

// Points 1..n, each exact copy pointed at the lowest-numbered point at its
// place; returns the distinct points.
std::vector<std::pair<Point, int>> distinctPoints(const std::vector<double>& x,
                                                  const std::vector<double>& y, long n,
                                                  std::vector<int>& representative)
{
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 1);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const auto ia = static_cast<std::size_t>(a), ib = static_cast<std::size_t>(b);
        if (x[ia] != x[ib])
            return x[ia] < x[ib];
        if (y[ia] != y[ib])
            return y[ia] < y[ib];
        return a < b;
    });
    representative.assign(static_cast<std::size_t>(n) + 1, 0);
    std::vector<std::pair<Point, int>> points;
    points.reserve(order.size());
    int first = 0;
    for (int p : order) {
        const auto ip = static_cast<std::size_t>(p), iff = static_cast<std::size_t>(first);
        if (first == 0 || x[ip] != x[iff] || y[ip] != y[iff]) {
            first = p;
            points.emplace_back(Point(x[ip], y[ip]), p);
        }
        representative[ip] = first;
    }
    return points;
}

// Whether d may lie on the circle through a, b, c: the in-circle
// determinant in floating point against a bound on its rounding error, so
// that only near-zero cases pay for the exact test.
bool maybeCocircular(const Point& a, const Point& b, const Point& c, const Point& d)
{
    const double adx = a.x() - d.x(), ady = a.y() - d.y();
    const double bdx = b.x() - d.x(), bdy = b.y() - d.y();
    const double cdx = c.x() - d.x(), cdy = c.y() - d.y();
    const double alift = adx * adx + ady * ady;
    const double blift = bdx * bdx + bdy * bdy;
    const double clift = cdx * cdx + cdy * cdy;
    const double det = alift * (bdx * cdy - cdx * bdy) + blift * (cdx * ady - adx * cdy)
                       + clift * (adx * bdy - bdx * ady);
    const double permanent = alift * (std::fabs(bdx * cdy) + std::fabs(cdx * bdy))
                             + blift * (std::fabs(cdx * ady) + std::fabs(adx * cdy))
                             + clift * (std::fabs(adx * bdy) + std::fabs(bdx * ady));
    return std::fabs(det) <= 1e-12 * permanent;
}

} // namespace

DelaunayMesh delaunayMesh(const std::vector<double>& x, const std::vector<double>& y, long n)
{
    DelaunayMesh mesh;
    if (n < 1) {
        mesh.representative.assign(1, 0);
        return mesh;
    }
    // Exact copies are rare: insert everything first, and only when the
    // triangulation merged some points sort out which copy stands for them.
    std::vector<std::pair<Point, int>> points;
    points.reserve(static_cast<std::size_t>(n));
    for (std::size_t i = 1; i <= static_cast<std::size_t>(n); ++i)
        points.emplace_back(Point(x[i], y[i]), static_cast<int>(i));
    Triangulation2 dt;
    dt.insert(points.begin(), points.end());
    if (dt.number_of_vertices() == points.size()) {
        mesh.representative.resize(static_cast<std::size_t>(n) + 1);
        std::iota(mesh.representative.begin(), mesh.representative.end(), 0);
    } else {
        dt.clear();
        points = distinctPoints(x, y, n, mesh.representative);
        dt.insert(points.begin(), points.end());
    }
    if (dt.dimension() < 2)
        return mesh;

    // The library keeps its vertices in insertion order, which it sorted
    // along a space-filling curve: numbering them so keeps the walk's reads
    // of neighbouring vertices close together.
    for (auto v = dt.finite_vertices_begin(); v != dt.finite_vertices_end(); ++v) {
        mesh.pointOfVertex.push_back(v->info());
        v->info() = static_cast<int>(mesh.pointOfVertex.size()) - 1;
    }
    int count = 0;
    for (auto f = dt.finite_faces_begin(); f != dt.finite_faces_end(); ++f)
        f->info() = count++;
    mesh.faces.resize(static_cast<std::size_t>(count));
    for (auto f = dt.finite_faces_begin(); f != dt.finite_faces_end(); ++f) {
        DelaunayFace& face = mesh.faces[static_cast<std::size_t>(f->info())];
        face.cocircular = 0;
        for (int i = 0; i < 3; ++i) {
            const auto g = f->neighbor(i);
            const bool hull = dt.is_infinite(g);
            face.corner[static_cast<std::size_t>(i)] = f->vertex(i)->info();
            face.across[static_cast<std::size_t>(i)] = hull ? -1 : g->info();
        }
    }
    // Each inner edge once, from its lower-numbered face.
    for (auto f = dt.finite_faces_begin(); f != dt.finite_faces_end(); ++f) {
        for (int i = 0; i < 3; ++i) {
            const auto g = f->neighbor(i);
            if (dt.is_infinite(g) || g->info() < f->info())
                continue;
            const int j = g->index(f);
            const Point& far = g->vertex(j)->point();
            const Point &p = f->vertex(0)->point(), &q = f->vertex(1)->point(), &r = f->vertex(2)->point();
            if (maybeCocircular(p, q, r, far)
                && CGAL::side_of_oriented_circle(p, q, r, far) == CGAL::ON_ORIENTED_BOUNDARY) {
                mesh.faces[static_cast<std::size_t>(f->info())].cocircular |= static_cast<unsigned char>(1 << i);
                mesh.faces[static_cast<std::size_t>(g->info())].cocircular |= static_cast<unsigned char>(1 << j);
            }
        }
    }
    return mesh;
}

int orientation(double ax, double ay, double bx, double by, double cx, double cy)
{
    return static_cast<int>(CGAL::orientation(Point(ax, ay), Point(bx, by), Point(cx, cy)));
}

int inCircle(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy)
{
    return static_cast<int>(
        CGAL::side_of_oriented_circle(Point(ax, ay), Point(bx, by), Point(cx, cy), Point(dx, dy)));
}

} // namespace tervane
