// The Richards columns at an event's start: in long-term runs the columns
// first run through the dry gap since the last infiltration step; then each
// column's event counters restart and the event's initial soil water, and
// in long-term runs the mean relative moisture of the top soil, are taken.
#include <algorithm>
#include <cstdio>

#include "core/model_state.h"
#include "subsurface/infiltration.h"
#include "subsurface/soil_tables.h"

void richards_dry_gap(model_state& s)
{
    if (!s.long_term || s.clock_passes == 1 || !s.inf_richards)
        return;
    const double now = s.current_time;
    const double area = s.gridsize * s.gridsize;
    s.evap_work = richards_solve(s, (now - s.inf_last) * 86400.0);
    s.evap_total += s.evap_work * area;
    if (s.summary_file.fp)
        std::fprintf(s.summary_file.fp, "Total evaporation at beginning of event %lf \n", s.evap_total);
    s.evap_event = 0.0;
    const int n = std::min({s.num_cells, s.event_inf_depth.size(), s.inf_depth_mark.size()});
    for (int j = 1; j <= n; ++j)
        s.infil_total += (s.event_inf_depth[j] - s.inf_depth_mark[j]) * area;
    if (s.inf_next > now + s.ov_dt_days) {
        s.inf_last = now;
        s.inf_next = now + s.ov_dt_days;
        if (s.ov_con_trans)
            s.precip_load_next = s.inf_next;
    }
}

void richards_event_start(model_state& s)
{
    s.init_avg_moisture = 0.0;
    s.soil_initial_volume_event = 0.0;
    s.event_cell_count = 0;
    const int n = s.num_cells;
    if (!s.inf_richards || n < 1 || s.numcells.size() < n || s.THETA.rows() < n || s.DZ.rows() < n)
        return;
    const double area = s.gridsize * s.gridsize;
    s.gw_to_unsat_event = 0.0;
    const bool evap = s.long_term && s.direct_evap.size() >= n;
    const bool flux = !s.gw_simulation && s.unsat_down_flux.size() >= n;
    const bool moisture = s.long_term && s.soil_moist_depth > 0.0;
    for (int j = 1; j <= n; ++j) {
        for (dvec* v : {&s.inf_rate, &s.event_inf_depth, &s.inf_depth_mark, &s.inf_rich})
            if (v->size() >= j)
                (*v)[j] = 0.0;
        if (evap) {
            s.direct_evap_total += s.direct_evap[j] / 100.0 * area;
            s.direct_evap[j] = 0.0;
        }
        s.bound_type[j] = 1;
        const int nodes = std::min(s.numcells[j] - 1, s.THETA.cols());
        for (int k = 1; k <= nodes; ++k) {
            s.soil_initial_volume_event += s.THETA[j][k] * s.DZ[j][k] / 100.0 * area;
            ++s.event_cell_count;
        }
        if (moisture) {
            // Relative moisture of the top SOIL_MOIST_DEPTH cm; the depth
            // counter grows by the next node's thickness after each node.
            double weighted = 0.0, counted = 0.0;
            for (int k = 1; k <= nodes && counted < s.soil_moist_depth; ++k) {
                weighted += s.THETA[j][k] / s.THETAS[j][k] * s.DZ[j][k];
                counted += s.DZ[j][k + 1];
            }
            if (counted > 0.0)
                s.init_avg_moisture += weighted / counted;
        }
        if (s.inf_dt > 0.0) // a column's sub-step never becomes 0
            s.dtr[j] = std::min(s.dtr[j], s.inf_dt / 3600.0);
        if (flux) {
            s.unsat_down_flux_total += s.unsat_down_flux[j] / 100.0 * area;
            s.unsat_down_flux[j] = 0.0;
        }
    }
    if (s.long_term)
        s.init_avg_moisture /= n;
}
