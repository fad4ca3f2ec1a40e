// Melt packets: melt water waits in up to six packets per cell and is drawn
// onto the overland depth by the overland step.
#include <cmath>
#include <cstring>

#include "core/model_state.h"
#include "hydromet/snow_services.h"

namespace
{

void clear_packet(double* p)
{
    p[packet_drawn] = p[packet_amount] = p[packet_capacity] = 0.0;
}

double left_in(const double* p)
{
    return p[packet_amount] - p[packet_drawn];
}

double sum_cell(dcube& packets, int cell, int k)
{
    double sum = 0.0;
    for (int j = 1; j <= k; ++j) {
        double* p = packets[cell][j];
        const double left = left_in(p);
        sum += left;
        if (std::fabs(left) < 1e-6)
            p[packet_drawn] = p[packet_amount] = 0.0;
    }
    return sum;
}

} // namespace

double add_melt_packet(int cell, dvec& ov_depth, dcube& packets, double melt, int k)
{
    double* oldest = packets[cell][1];
    const double rest = left_in(oldest);
    if (rest > 1e-16)
        ov_depth[cell] += rest;
    clear_packet(oldest);
    double moved = 0.0;
    for (int j = 1; j < k; ++j) {
        double* to = packets[cell][j];
        const double* from = packets[cell][j + 1];
        for (int v = packet_drawn; v <= packet_capacity; ++v)
            to[v] = from[v];
        moved += left_in(to);
    }
    double* newest = packets[cell][k];
    newest[packet_drawn] = 0.0;
    newest[packet_amount] = melt;
    newest[packet_capacity] = melt;
    return moved + melt;
}

double draw_melt_packet(int cell, int k, dcube& packets, double fraction)
{
    double* p = packets[cell][k];
    double take = fraction * p[packet_capacity];
    // Nothing to take: the packet keeps its water.
    if (take <= 1e-16)
        return 0.0;
    const double left = left_in(p);
    if (take > left) {
        take = left;
        clear_packet(p);
    } else {
        p[packet_drawn] += take;
    }
    // A rest below 1e-6 goes with this draw, so that no water is lost.
    const double rest = left_in(p);
    if (std::fabs(rest) < 1e-6) {
        take += rest;
        clear_packet(p);
    }
    return take;
}

double sum_melt_packets(int cell, int n, dcube& packets, int k, const char* mode)
{
    if (std::strcmp(mode, "ONE") == 0)
        return sum_cell(packets, cell, k);
    if (std::strcmp(mode, "ALL") != 0)
        return 0.0;
    double sum = 0.0;
    for (int i = 1; i <= n; ++i)
        sum += sum_cell(packets, i, k);
    return sum;
}

double snow_water_volume(model_state& s)
{
    const int n = s.num_cells;
    if (n <= 0 || s.snow_swe.size() < n)
        return 0.0;
    const double area = s.gridsize * s.gridsize;
    const bool lakes = s.chan_lakes && s.lake_mask.size() >= n;
    double snow = 0.0;
    for (int i = 1; i <= n; ++i)
        if (!(lakes && s.lake_mask[i] > 0))
            snow += s.snow_swe[i] * area;
    const int k = s.snow_retention_kind;
    if (k >= 1 && s.Melt_Waves.dim1() >= n && s.Melt_Waves.dim2() >= k && s.Melt_Waves.dim3() >= 3)
        snow += sum_melt_packets(0, n, s.Melt_Waves, k, "ALL") * area;
    return snow;
}
