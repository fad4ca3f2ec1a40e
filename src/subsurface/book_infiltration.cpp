// Infiltration bookkeeping after every scheme: the depth each cell took in
// since the last pass goes to the run total, the map depth and the lumped
// models, the soil accounting and the constituent transfer.
#include "core/model_state.h"
#include "subsurface/infiltration.h"

void book_infiltration(model_state& s)
{
    const int n = s.num_cells;
    if (s.event_inf_depth.size() < n || s.inf_depth_mark.size() < n)
        return;
    const double area = s.gridsize * s.gridsize;
    const bool blocked = s.ovr_flow_block && s.ov_block_frac.size() >= n;
    const bool map_depth = s.inf_depth.size() >= n;
    const bool acct = s.soil_water_acct && s.et_removed.size() >= n;
    const bool con = s.ov_con_trans && s.con_inf_acc.size() >= n;
    double total = 0.0;
    double to_lumped = 0.0;
    for (int i = 1; i <= n; ++i) {
        const double d = s.event_inf_depth[i] - s.inf_depth_mark[i];
        double v = d * area;
        if (blocked && s.ov_block_frac[i] < 1.0)
            v *= 1.0 - s.ov_block_frac[i];
        total += v;
        to_lumped += d;
        if (map_depth)
            s.inf_depth[i] += d;
        if (acct)
            s.et_removed[i] += d;
        if (con)
            s.con_inf_acc[i] += v;
        s.inf_depth_mark[i] = s.event_inf_depth[i];
    }
    s.infil_total += total;
    if (s.sacramento)
        s.sac_inf_acc += to_lumped;
    if (s.conceptual_gw)
        s.cgw_inf_acc += to_lumped;
}
