// Flow over the low spots of embankments: a broad-crested weir between a
// cell and its neighbour across one side. Also the depth-dependent Manning
// roughness shared by the overland schemes.
#include <algorithm>
#include <cmath>

#include "core/model_state.h"
#include "overland/overland_steps.h"

namespace
{

constexpr double weir_coefficient = 1.48; // m^0.5/s

// Cell number at a grid position, 0 outside the grid or the watershed.
int cell_at(const model_state& s, int row, int col)
{
    if (row < 1 || col < 1 || row > s.num_rows || col > s.num_cols)
        return 0;
    if (row > s.mask.rows() || col > s.mask.cols())
        return 0;
    return s.mask[row][col];
}

int olake_of(const model_state& s, int cell)
{
    if (!s.overland_lake_on || s.oland_lake_new.size() < cell)
        return 0;
    const int k = s.oland_lake_new[cell];
    return k > 0 && k < static_cast<int>(s.oland_lakes.size()) ? k : 0;
}

int clake_of(const model_state& s, int cell)
{
    if (!s.chan_lakes || s.lake_mask.size() < cell)
        return 0;
    const int k = s.lake_mask[cell];
    return k > 0 && k <= s.num_lakes && k <= s.lake_elev.size() && k <= s.lake_volume.size() &&
                   k <= s.lake_in_dv.size() && k <= s.lake_out_dv.size()
               ? k
               : 0;
}

bool fixed_head_cell(const model_state& s, int cell)
{
    if (!s.ov_boundary || s.boundary_type.size() < cell)
        return false;
    const int t = s.boundary_type[cell];
    return t == 2 || t == 3 || t == 9;
}

double water_surface(const model_state& s, int cell)
{
    if (const int k = olake_of(s, cell))
        return s.oland_lakes[static_cast<size_t>(k)].stage;
    if (const int k = clake_of(s, cell))
        return s.lake_elev[k];
    return s.ground_elev[cell] + s.ov_depth[cell];
}

} // namespace

void embankment_flow(model_state& s, double dt, double& out_vol, double& in_vol)
{
    const double dx = s.gridsize;
    const double area = dx * dx;
    const int n = s.num_cells;
    if (s.ov_depth.size() < n || s.ground_elev.size() < n)
        return;
    const bool mark = s.low_spot_flow_cell.size() >= n;
    const int count = std::min(s.lowspot_count, static_cast<int>(s.lowspots.size()) - 1);
    for (int k = 1; k <= count; ++k) {
        lowspot_rec& spot = s.lowspots[static_cast<size_t>(k)];
        const int c = cell_at(s, spot.row, spot.col);
        int row = spot.row;
        int col = spot.col;
        switch (spot.side) {
        case 1:
            --row;
            break;
        case 2:
            ++col;
            break;
        case 4:
            ++row;
            break;
        case 8:
            --col;
            break;
        default:
            continue;
        }
        const int a = cell_at(s, row, col);
        if (c <= 0 || a <= 0 || c > n || a > n)
            continue;

        const double l = water_surface(s, c);
        const double g = water_surface(s, a);
        const double crest = spot.elevation;
        if (!(std::fabs(l - g) > 0.001 && (l > crest || g > crest)))
            continue;
        if (mark)
            s.low_spot_flow_cell[c] = s.low_spot_flow_cell[a] = 1;

        const double q = weir_coefficient * (spot.fraction * dx) * std::pow(std::max(l, g) - crest, 1.5);
        spot.discharge = q;
        const int src = l > g ? c : a;
        const int dst = l > g ? a : c;
        const double src_surface = std::max(l, g);
        double vol = q * dt;

        // The source gives what it can.
        if (const int lk = olake_of(s, src)) {
            s.oland_lakes[static_cast<size_t>(lk)].volume_in -= vol;
        } else if (const int lk = clake_of(s, src)) {
            vol = std::min(vol, s.lake_volume[lk]);
            s.lake_out_dv[lk] += vol;
            s.lake_volume[lk] -= vol;
        } else if (fixed_head_cell(s, src)) {
            in_vol += vol;
        } else {
            double d = vol / area;
            d = std::min(d, src_surface - crest);
            d = std::min(d, s.ov_depth[src]);
            d = std::max(d, 0.0);
            s.ov_depth[src] -= d;
            vol = d * area;
        }

        // The receiver takes exactly that.
        if (const int lk = olake_of(s, dst)) {
            s.oland_lakes[static_cast<size_t>(lk)].volume_in += vol;
        } else if (const int lk = clake_of(s, dst)) {
            s.lake_in_dv[lk] += vol;
            s.lake_volume[lk] += vol;
        } else if (fixed_head_cell(s, dst)) {
            out_vol += vol;
        } else {
            s.ov_depth[dst] += vol / area;
        }

        for (const int cell : {c, a}) {
            if (s.ov_depth[cell] < 0.0) {
                s.ov_cleanup_volume -= s.ov_depth[cell] * area;
                s.ov_depth[cell] = 0.0;
            }
        }
    }
}

void effective_roughness(int n, const double* nb, const double* b, const double* h, double* out)
{
    for (int i = 1; i <= n; ++i)
        out[i] = nb[i] * std::exp(-b[i] * h[i]);
}
