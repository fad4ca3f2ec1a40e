// The infiltration state set up again from the accounting column when the
// surface processes wake between events (snowmelt or groundwater at the
// surface): the redistribution scheme, when its front state is not live,
// and the layered soils start from the column's water; the direct
// evaporation kept since the last event moves into its run total.
#include "core/model_state.h"
#include "subsurface/infiltration.h"

namespace
{

// The layered soils' layers start again from the accounting column; the
// column's depths follow each cell's soil type (the last cell's stay).
void restart_layered_soil(model_state& s)
{
    const int n = s.num_cells;
    if (s.THETA_ML.rows() < n || s.THETA_ML.cols() < 3 || s.soiltype.size() < n || s.soil_depth.size() < n ||
        s.soil_water_top.size() < n || s.soil_water_low.size() < n)
        return;
    for (int j = 1; j <= n; ++j) {
        if (!layered_moisture_from_column(s, j))
            continue;
        const soil_layer_rec& soil = s.soil_layers[static_cast<std::size_t>(s.soiltype[j])];
        s.soil_moist_depth = soil.depth[0] + soil.depth[1];
        s.top_layer_depth = soil.depth[0];
    }
}

} // namespace

void restart_infiltration_from_column(model_state& s)
{
    if (!((s.inf_redist && !s.redist_active) || s.inf_layered_soil))
        return;
    if (s.inf_redist) {
        s.redist_active = 1;
        restart_redistribution(s);
    }
    if (s.inf_layered_soil)
        restart_layered_soil(s);
    const int n = s.num_cells;
    const double area = s.gridsize * s.gridsize;
    for (int i = 1; i <= n && i <= s.direct_evap.size(); ++i) {
        s.direct_evap_total += s.direct_evap[i] / 100.0 * area;
        s.direct_evap[i] = 0.0;
    }
}
