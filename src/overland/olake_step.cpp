// The overland-lake step of the time loop: once the lakes have had inflow
// (rain on them, or an overland step), bring every lake's stage and extent
// in line with it, then start the next step's inflow from zero.
#include "core/model_state.h"
#include "overland/olake_extent.h"
#include "overland/overland_steps.h"

olake_work& olake_process_work()
{
    static olake_work work;
    return work;
}

double oland_lakes_volume(const model_state& s)
{
    double v = 0.0;
    for (size_t k = 1; k < s.oland_lakes.size(); ++k)
        v += s.oland_lakes[k].volume;
    return v;
}

void olake_step(model_state& s)
{
    if (!s.overland_lake_on || !s.oland_lake_changed)
        return;
    const int n = s.num_cells;
    if (s.oland_lake_new.size() < n || s.oland_lake_mask.size() < n || s.ground_elev.size() < n ||
        s.ov_depth.size() < n || s.rightcon.size() < n)
        return;
    olake_grid g;
    g.n = n;
    g.dx = s.gridsize;
    g.z = s.ground_elev.data();
    g.h = s.ov_depth.data();
    g.above = s.abovecon.data();
    g.right = s.rightcon.data();
    g.below = s.belowcon.data();
    g.left = s.leftcon.data();
    g.initial = s.oland_lake_mask.data();
    g.current = s.oland_lake_new.data();
    if (s.dike_map_given && s.dike_mask.size() >= n)
        g.dike = s.dike_mask.data();
    if (!olake_extent(g, s.oland_lakes, s.oland_lake_inflow_volume, s.oland_lake_outflow_volume,
                      olake_process_work()))
        return;
    for (ov_lake& lake : s.oland_lakes) {
        lake.volume_in = 0.0;
        lake.step_rain = 0.0;
    }
    s.oland_lake_changed = 0;
}
