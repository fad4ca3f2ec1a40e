// Inverse-distance-squared weights of the groundwater boundary cells whose
// heads are interpolated from the XY_GW_HEAD_INTERP source points (boundary
// type 8, which becomes a fixed head).
#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "coupling/coupling_services.h"

namespace
{

constexpr int max_sources = 5;
constexpr double same_point = 1e-5;
constexpr double min_distance = 1e-4;

} // namespace

void gw_interp_weights(xy_input& in, ivec& gwbound, int num_cells, const checked_array<double>& cell_x,
                       const checked_array<double>& cell_y)
{
    const int n = std::min(num_cells, gwbound.size());
    int cells = 0;
    for (int i = 1; i <= n; ++i)
        cells += gwbound[i] == 8;
    in.num_gw_interp_points = cells;
    if (cells == 0)
        return;
    const int base = in.gwInterpPts.cap;
    xy_interp_cell_array_grow(in.gwInterpPts, cells);
    const int src = in.num_gw_src;
    const int keep = std::min(src, max_sources);
    std::vector<double> dist(static_cast<std::size_t>(std::max(src, 0)));
    std::vector<int> order(dist.size());
    int k = base;
    for (int i = 1; i <= n; ++i) {
        if (gwbound[i] != 8)
            continue;
        gwbound[i] = 2;
        for (int j = 0; j < src; ++j) {
            const double dx = cell_x[i] - in.gw_interp_src[j].x;
            const double dy = cell_y[i] - in.gw_interp_src[j].y;
            double d = std::fabs(dx) < same_point && std::fabs(dy) < same_point ? 0.0 : std::hypot(dx, dy);
            dist[static_cast<std::size_t>(j)] = std::max(d, min_distance);
        }
        std::iota(order.begin(), order.end(), 0);
        // Only the nearest five are needed, in ascending distance.
        std::partial_sort(order.begin(), order.begin() + keep, order.end(), [&dist](int a, int b) {
            return dist[static_cast<std::size_t>(a)] < dist[static_cast<std::size_t>(b)];
        });
        xy_interp_cell& c = in.gwInterpPts[k++];
        xy_interp_cell_init(c);
        checked_array_grow(c.series, keep);
        checked_array_grow(c.weights, keep);
        c.cell = i;
        c.count = keep;
        for (int m = 0; m < keep; ++m) {
            const int j = order[static_cast<std::size_t>(m)];
            const double d = dist[static_cast<std::size_t>(j)];
            c.series[m] = in.gw_interp_src[j].series;
            c.weights[m] = 1.0 / (d * d);
        }
    }
}
