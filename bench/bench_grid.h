// The synthetic grid of the overland benchmarks: a plane falling 1 % toward
// the right and 0.5 % toward the bottom, 10 m cells, Manning n 0.05, the
// outlet at the last cell, 2 cm of water everywhere and a 30 cm mound.
#pragma once

#include <memory>

#include "core/model_state.h"
#include "overland/overland_steps.h"

inline std::unique_ptr<model_state> make_bench_grid(int rows, int cols, int overtype)
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    const int n = rows * cols;
    s.num_rows = rows;
    s.num_cols = cols;
    s.num_cells = n;
    s.gridsize = 10.0;
    s.overtype = overtype;
    s.super_quiet = 1;
    s.quiet = 1;
    s.mask.assign(rows + 1, cols + 1, 0);
    s.ground_elev.assign(n, 0.0);
    s.dist_rough.assign(n, 0.05);
    s.retent_dep.assign(n, 0.0);
    s.roughness_exp.assign(n, 0.0);
    s.ov_depth.assign(n, 0.0);
    s.slope_x.assign(n, 0.0);
    s.slope_y.assign(n, 0.0);
    int k = 0;
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c) {
            s.mask[r][c] = ++k;
            s.ground_elev[k] = 1000.0 - 0.1 * (c - 1) - 0.05 * (r - 1);
        }
    build_cell_connectivity(s);
    compute_cell_slopes(s);
    s.outlet_cell = n;
    s.outslope = 0.01;
    return state;
}

inline void reset_bench_depths(model_state& s, int rows, int cols)
{
    for (int i = 1; i <= s.num_cells; ++i)
        s.ov_depth[i] = 0.02;
    s.ov_depth[(rows / 2 - 1) * cols + cols / 2] = 0.3;
}
