// Work arrays of the overland routing, sized for the run at start-up so that
// the time loop allocates nothing.
#include "core/model_state.h"
#include "overland/ade_kernels.h"
#include "overland/ov_explicit.h"
#include "overland/overland_steps.h"

namespace
{

void fit(dvec& v, int n)
{
    if (v.size() != n)
        v.assign(n, 0.0);
}

} // namespace

void alloc_overland_routing(model_state& s)
{
    const int n = s.num_cells;
    if (n <= 0)
        return;
    fit(s.ov_qx, n);
    fit(s.ov_qy, n);
    fit(s.ov_qx_sum, n);
    fit(s.ov_qy_sum, n);
    fit(s.ov_depth_change, n);
    if (s.overtype == 3) {
        fit(s.ov_depth_pred, n);
        fit(s.ov_q_first, n);
    }
    if (s.flood_grid)
        fit(s.max_flood_depth, n);
    if (s.ov_boundary || s.xybdyinput_ovdep)
        fit(s.ov_bc_rough, n);
    // A run starts the schemes' sweep order and remembered sub-steps afresh,
    // so its results do not depend on the runs made before it in the process
    // (a batch, a calibration).
    ov_explicit_process_state() = ov_explicit_state{};
    ade_process_state() = ade_state{};
    if (s.overtype == 1)
        ov_explicit_reserve(ov_explicit_process_state(), n);
    if (s.chan_lakes && s.num_lakes > 0) {
        fit(s.lake_in_dv, s.num_lakes);
        fit(s.lake_out_dv, s.num_lakes);
    }
    ade_state_reserve(ade_process_state(), n, s.num_lakes, s.num_oland_lakes);
}

bool overland_routing_ready(const model_state& s)
{
    const int n = s.num_cells;
    return n > 0 && s.gridsize > 0.0 && s.ov_depth.size() >= n && s.ground_elev.size() >= n &&
           s.dist_rough.size() >= n && s.rightcon.size() >= n && s.leftcon.size() >= n &&
           s.abovecon.size() >= n && s.belowcon.size() >= n;
}
