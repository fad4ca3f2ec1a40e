// Overland point sources: at each overland constituent time the water of
// every source since the last one is added to its cell, and the overland
// and infiltration clocks are pulled in so that the new water is routed and
// infiltrated within one overland interval. For Green-Ampt infiltration with
// redistribution, an event driven by point sources alone starts the
// redistribution state here.
#include "core/model_state.h"
#include "overland/overland_steps.h"
#include "subsurface/infiltration.h"

namespace
{

constexpr double seconds_per_day = 86400.0;

bool fixed_head(const model_state& s, int i)
{
    if (!s.ov_boundary || s.boundary_type.size() < i)
        return false;
    const int t = s.boundary_type[i];
    return t == 2 || t == 3 || t == 9;
}

template <class V> bool sized(const V& v, int n)
{
    return v.size() >= n;
}

} // namespace

void ov_point_source_step(model_state& s)
{
    if (!s.ov_con_trans || !s.ov_point_source)
        return;
    if (!(s.contam_next - s.current_time < s.time_tol))
        return;
    const int n = s.num_cells;
    const double elapsed = (s.current_time - s.contam_last) * seconds_per_day;
    const double area = s.gridsize * s.gridsize;
    if (n > 0 && sized(s.ov_point_q, n) && sized(s.ov_depth, n) && area > 0.0) {
        double added = 0.0;
        double to_head = 0.0;
        for (int i = 1; i <= n; ++i) {
            const double vol = elapsed * s.ov_point_q[i];
            if (vol == 0.0)
                continue;
            if (fixed_head(s, i))
                to_head += vol; // the fixed head keeps the cell's depth
            else
                s.ov_depth[i] += vol / area;
            added += vol;
        }
        s.head_bc_out_total += to_head;
        s.ov_point_vol += added;
        s.ov_point_vol_total += added;
    }
    // TODO: overland point sources. Nothing reads the OV_POINT_SOURCE file
    // yet, so ov_point_q stays 0 and no source carries concentrations; the
    // mass of each source (discharge x concentration x elapsed time) is to be
    // added here to the cell's constituent mass and to ov_point_dmt. A
    // project that gives the card is refused as not available until then.

    const double soon = s.current_time + s.ov_dt_days;
    if (s.ov_next > soon) {
        s.ov_next = soon;
        if (s.ov_last > s.current_time)
            s.ov_last = s.current_time;
    }
    if (s.inf_next > soon) {
        s.inf_next = soon;
        if (s.inf_last > s.current_time)
            s.inf_last = s.current_time;
        if (s.inf_redist && !s.redist_initialised) {
            s.redist_initialised = 1;
            reset_redistribution(s, nullptr);
        }
    }
}
