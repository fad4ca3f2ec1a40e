#include "overland/overland_fixture.h"

#include <cstdlib>

#include "overland/overland_steps.h"

namespace overland_test
{

std::unique_ptr<model_state> make_plane(const plane_desc& desc)
{
    auto state = std::make_unique<model_state>();
    model_state& s = *state;
    const int n = desc.rows * desc.cols;
    s.num_rows = desc.rows;
    s.num_cols = desc.cols;
    s.num_cells = n;
    s.gridsize = desc.dx;
    s.overtype = desc.overtype;
    s.mask.assign(desc.rows + 1, desc.cols + 1, 0);
    s.ground_elev.assign(n, 0.0);
    s.ov_depth.assign(n, desc.depth);
    s.dist_rough.assign(n, desc.n);
    s.retent_dep.assign(n, 0.0);
    s.roughness_exp.assign(n, 0.0);
    int k = 0;
    for (int r = 1; r <= desc.rows; ++r)
        for (int c = 1; c <= desc.cols; ++c) {
            s.mask[r][c] = ++k;
            s.ground_elev[k] = 100.0 - desc.slope_x * desc.dx * (c - 1) - desc.slope_y * desc.dx * (r - 1);
        }
    s.super_quiet = 1;
    build_cell_connectivity(s);
    s.outlet_cell = n;
    s.outslope = desc.slope_x > 0.0 ? desc.slope_x : desc.slope_y;
    s.time_tol = process_time_tol;
    s.ov_dt = desc.step;
    s.ov_dt_days = s.ov_dt / 86400.0;
    s.current_time = 2451545.0;
    s.ov_next = s.current_time;
    s.ov_last = s.current_time - s.ov_dt_days;
    return state;
}

std::unique_ptr<model_state> make_bowl_plane()
{
    plane_desc desc;
    desc.rows = 70;
    desc.cols = 70;
    desc.overtype = 1;
    auto s = make_plane(desc);
    const int n = s->num_cells;
    for (int i = 1; i <= n; ++i) {
        const int r = (i - 1) / 70 + 1;
        const int c = (i - 1) % 70 + 1;
        s->ground_elev[i] = 100.0 + 0.01 * (std::abs(r - 35) + std::abs(c - 35));
        s->ov_depth[i] = 0.01 + 0.02 * ((i * 37) % 11) / 10.0;
    }
    s->slope_x.assign(n, 0.0);
    s->slope_y.assign(n, 0.0);
    compute_cell_slopes(*s);
    alloc_overland_routing(*s);
    return s;
}

double surface_volume(const model_state& s)
{
    double v = 0.0;
    for (int i = 1; i <= s.num_cells; ++i)
        v += s.ov_depth[i];
    return v * s.gridsize * s.gridsize;
}

} // namespace overland_test
