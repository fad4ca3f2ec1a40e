// Overland boundary conditions applied before routing. The fixed-head
// cells are set here: a water surface set once at the first overland step
// of the run (type 2) or held every step from a time series (type 3).
#include "core/error_state.h"
#include "core/model_state.h"
#include "input/time_series.h"
#include "overland/overland_steps.h"

namespace
{

bool boundary_arrays(const model_state& s)
{
    const int n = s.num_cells;
    return n > 0 && s.boundary_type.size() >= n && s.ov_bc_values_a.size() >= n &&
           s.ov_bc_values_b.size() >= n && s.ov_depth.size() >= n && s.ground_elev.size() >= n;
}

} // namespace

void ov_bc_series_values(model_state& s, bool first)
{
    if (!boundary_arrays(s))
        return;
    // Serial: a series lookup moves the series' search cursor.
    for (int i = 1; i <= s.num_cells; ++i) {
        const int type = s.boundary_type[i];
        if (type == 1 || type == 2) {
            if (first)
                s.ov_bc_values_a[i] = s.ov_bc_values_b[i];
        } else if (type == 3 || type == 4 || type == 5) {
            s.ov_bc_values_a[i] = ts_value_by_index(static_cast<int>(s.ov_bc_values_b[i]), s.current_time);
            if (error_state.code != 0)
                return;
        } else {
            s.ov_bc_values_a[i] = 0.0;
        }
    }
}

void apply_ov_boundaries(model_state& s, double /*dt*/, bool first)
{
    if (!boundary_arrays(s))
        return;
    // TODO: XY overland boundary inputs (apply_ov_xy_bdy), free outflow
    // (type 1), specified discharges (types 4 and 5) and rating-curve
    // exchange (types 6 and 7).
    const double area = s.gridsize * s.gridsize;
    const bool lakes = s.chan_lakes && s.lake_mask.size() >= s.num_cells;
    double fill_in = 0.0;
    double fill_out = 0.0;
    double head_in = 0.0;
    double head_out = 0.0;
    for (int i = 1; i <= s.num_cells; ++i) {
        const int type = s.boundary_type[i];
        if (type != 2 && type != 3)
            continue;
        if (type == 2 && !first)
            continue;
        if (type == 3 && lakes && s.lake_mask[i] > 0)
            continue;
        double target = s.ov_bc_values_a[i] - s.ground_elev[i];
        if (target < 0.0)
            target = 0.0;
        // Only the water the fill adds or removes is booked, not the depth
        // the cell already held.
        const double vol = (target - s.ov_depth[i]) * area;
        s.ov_depth[i] = target;
        double& in = type == 2 ? fill_in : head_in;
        double& out = type == 2 ? fill_out : head_out;
        if (vol > 0.0)
            in += vol;
        else
            out -= vol;
    }
    s.discharge_bc_in_total += fill_in;
    s.discharge_bc_out_total += fill_out;
    s.head_bc_in_total += head_in;
    s.head_bc_out_total += head_out;
}
