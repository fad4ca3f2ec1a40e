// The water table and the two-layer soil-water accounting column share the
// soil profile: before the solve each cell gets the storage coefficient of
// the soil its table moves in; after it the column reaches down to the new
// table (or its greatest depth), the water involved moves between column
// and aquifer, and the column's content is kept within its limits.
#include <cmath>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "subsurface/groundwater.h"

namespace
{

// Saturated, residual and retained contents of the column's two layers.
struct column_layers {
    double sat_top, sat_low, res_top, res_low, keep_top, keep_low;
    double d1, d2;
};

column_layers layers_of(model_state& s, int i)
{
    column_layers c{};
    if (s.inf_layered_soil) {
        const soil_layer_rec& r = s.soil_layers[static_cast<std::size_t>(s.soiltype[i])];
        s.soil_moist_depth = r.depth[0] + r.depth[1];
        s.top_layer_depth = r.depth[0];
        c.sat_top = r.porosity[0];
        c.sat_low = r.porosity[1];
        c.res_top = r.residual_sat[0];
        c.res_low = r.residual_sat[1];
        c.keep_top = r.field_capacity[0];
        c.keep_low = r.field_capacity[1];
        c.d1 = r.depth[0];
        c.d2 = r.depth[1];
    } else {
        c.sat_top = c.sat_low = s.dist_porosity[i];
        c.res_top = c.res_low = s.dist_resid_sat[i];
        c.keep_top = c.keep_low = s.dist_inf_col6[i];
        c.d1 = s.top_layer_depth;
        c.d2 = s.soil_moist_depth - s.top_layer_depth;
    }
    return c;
}

// Fills the column from depth `from` to `to` (cm) with the retained
// contents; returns the water added.
double fill_column(model_state& s, int i, const column_layers& c, double from, double to)
{
    const double split = s.top_layer_depth;
    double top = 0.0, low = 0.0;
    if (from < split)
        top = (std::fmin(to, split) - from) * c.keep_top;
    if (to > split)
        low = (to - std::fmax(from, split)) * c.keep_low;
    s.soil_water_top[i] += top;
    s.soil_water_low[i] += low;
    s.soil_water[i] += top + low;
    return top + low;
}

void to_recharge(model_state& s, int i, double w)
{
    s.soil_recharge_gw[i] += w;
    if (s.gwbound[i] != 2)
        s.soil_recharge_out[i] += w;
}

// Sets the column of depth d to the given contents of its two layers.
void set_column(model_state& s, int i, double d, double top_content, double low_content)
{
    if (d > s.top_layer_depth) {
        s.soil_water_top[i] = top_content * s.top_layer_depth;
        s.soil_water_low[i] = low_content * (d - s.top_layer_depth);
    } else {
        s.soil_water_top[i] = top_content * d;
        s.soil_water_low[i] = 0.0;
    }
    s.soil_water[i] = s.soil_water_top[i] + s.soil_water_low[i];
}

// Upper or lower limit of the column's mean content at depth d.
double mean_limit(const model_state& s, const column_layers& c, double d, double top, double low)
{
    if (!s.inf_layered_soil)
        return top;
    if (d >= s.soil_moist_depth)
        return (c.d1 * top + c.d2 * low) / (c.d1 + c.d2);
    if (s.top_layer_depth >= d)
        return top;
    return ((d - c.d1) * low + c.d1 * top) / d;
}

} // namespace

void gw_storage_from_column(model_state& s)
{
    for (int i = 1; i <= s.num_cells; ++i) {
        const column_layers c = layers_of(s, i);
        const double d = s.ground_elev[i] - s.elevgw[i];
        double& sy = s.gw_spec_yield[i];
        if (d <= 0.0)
            sy = 1.0;
        else if (d <= s.soil_moist_depth / 100.0)
            sy = !s.inf_layered_soil                   ? c.sat_top
                 : s.top_layer_depth > s.soil_depth[i] ? c.sat_top
                                                       : c.sat_low;
        else
            sy = s.gw_porosity[i];
        if (!(sy > 0.0)) {
            sy = s.gw_porosity[i];
            if (s.calib_mode != 1)
                std::printf("there is a problem with groundwater storage term");
        }
        s.gw_head_old[i] = s.elevgw[i];
    }
}

bool gw_column_update(model_state& s)
{
    const double area = s.gridsize * s.gridsize;
    for (int i = 1; i <= s.num_cells; ++i) {
        const int type = s.gwbound[i];
        s.yes_exfil[i] = 0;
        s.gw_unsat_gain[i] = 0.0;
        const double recharge = s.soil_recharge_gw[i];
        if (s.event_step != 1 && type != 2)
            s.richards_volume_event += recharge;
        if (type != 2 && type != 5)
            s.gw_recharge_total += recharge / 100.0 * area;
        s.unsat_down_flux_total += recharge / 100.0 * area;
        s.soil_recharge_gw[i] = 0.0;

        const double head = s.elevgw[i];
        if (std::isnan(head)) {
            std::printf(
                "A non-real value for the groudwater head was detected for in cell %d after running the "
                "groundwater flow routine.\n",
                i);
            error_set(err_stop);
            report_error(error_state);
            return false;
        }
        const column_layers c = layers_of(s, i);
        const double table = (s.ground_elev[i] - head) * 100.0;
        const double depth = s.soil_depth[i];
        double rise = head - s.gw_head_old[i];
        if (table <= 1e-16) {
            // Only a cell outside every active kind of lake lets the water out.
            const bool in_chan_lake = s.chan_lakes && s.lake_mask.size() >= i && s.lake_mask[i] != 0;
            const bool in_oland_lake =
                s.overland_lake_on && s.oland_lake_mask.size() >= i && s.oland_lake_mask[i] != 0;
            if (!in_chan_lake && !in_oland_lake) {
                s.yes_exfil[i] = 1;
                s.gw_exfil_any = 1;
            }
            to_recharge(s, i, s.soil_water[i]);
            s.soil_depth[i] = s.soil_water[i] = s.soil_water_top[i] = s.soil_water_low[i] = 0.0;
        } else if (table < depth) {
            s.soil_depth[i] = table;
        } else if (table > depth) {
            s.soil_depth[i] = table;
            if (table <= s.soil_moist_depth) {
                if (rise < 1e-16)
                    to_recharge(s, i, -fill_column(s, i, c, depth, table));
            } else {
                s.soil_depth[i] = s.soil_moist_depth;
                if (s.soil_moist_depth > depth) {
                    to_recharge(s, i, -fill_column(s, i, c, depth, s.soil_moist_depth));
                    rise += (s.soil_moist_depth - depth) / 100.0;
                }
                s.gw_unsat_gain[i] += rise * s.gw_inf_redist_theta[i] * 100.0;
            }
        }
        const double d = s.soil_depth[i];
        if (d > 1e-16) {
            const double mean = s.soil_water[i] / d;
            const double upper = mean_limit(s, c, d, c.sat_top, c.sat_low);
            const double lower = mean_limit(s, c, d, c.res_top, c.res_low);
            if (mean > upper) {
                set_column(s, i, d, c.sat_top, c.sat_low);
                to_recharge(s, i, (mean - upper) * d);
            } else if (mean < lower) {
                set_column(s, i, d, c.res_top, c.res_low);
                to_recharge(s, i, (mean - lower) * d);
            }
        }
        s.gw_to_unsat_event -= s.gw_unsat_gain[i] / 100.0 * area;
        s.sat_unsat_volume += s.gw_unsat_gain[i] / 100.0 * area;
    }
    return true;
}
