// Exfiltration of the redistribution, multi-layer and Richards schemes:
// groundwater whose head stands above the water surface comes out onto the
// cell, and otherwise ponded water leaks down at the leakage rate. Head-
// boundary cells keep their depth; the exchange goes to the boundary totals.
#include <algorithm>

#include "core/model_state.h"
#include "subsurface/infiltration.h"

namespace
{

// Exfiltrated depth of cell i over dt seconds before the clip at the
// ponded depth; negative is leakage down.
double exfil_depth(const model_state& s, int i, double dt, exfil_scheme scheme)
{
    const double surface = s.ground_elev[i] + s.ov_depth[i];
    const double head = s.elevgw[i];
    if (s.gw_simulation && head <= surface)
        return -(s.gw_leakage_rate / 360000.0) * dt;
    double e = 0.0;
    switch (scheme) {
    case exfil_scheme::redistribution:
        e = (head - surface) * s.dist_ksat[i] / (s.soil_moist_depth / 100.0) * dt;
        break;
    case exfil_scheme::multi_layer: {
        const int t = s.soiltype[i];
        const soil_layer_rec& soil = s.soil_layers[static_cast<std::size_t>(t)];
        const double d12 = soil.depth[0] + soil.depth[1];
        e = (head - surface) * soil.hyd_cond[0] / d12 * dt / 3600.0;
        break;
    }
    case exfil_scheme::richards:
        if (s.gw_simulation)
            return (head - surface) * dt / s.gw_dt * s.gw_spec_yield[i];
        return (head - surface) * s.avgks[i] / s.totaldz[i] * dt / 3600.0;
    }
    return s.gw_simulation ? e : std::max(e, 0.0);
}

} // namespace

void exfiltrate(model_state& s, double dt, exfil_scheme scheme)
{
    const int n = s.num_cells;
    const double area = s.gridsize * s.gridsize;
    const bool ov_lakes = s.overland_lake_on && s.oland_lake_new.size() >= n;
    const bool ch_lakes = s.chan_lakes && s.lake_mask.size() >= n;
    const bool head_bc = s.ov_boundary && s.boundary_type.size() >= n;
    const bool blocked = s.ovr_flow_block && s.ov_block_frac.size() >= n;
    const bool cell_depth = s.exfil_cell_depth.size() >= n;
    const bool soil_exfil = s.soil_con_trans && s.soil_con_exfil.size() >= n;
    // Without soil constituents the exfiltrated water brings the water
    // table's concentration onto the land, and water leaking down takes the
    // surface water's.
    const bool con_work = s.ov_con_trans && s.con_inf_work.size() >= n;
    const bool land_exfil = con_work && !s.soil_con_trans;
    const int carried = std::min({s.num_constituents, s.soil_con_work.count, s.ov_conc.count});
    for (int i = 1; i <= n; ++i) {
        const int yes = s.yes_exfil[i];
        if (scheme == exfil_scheme::richards ? yes != 1 : yes < 1)
            continue;
        if ((ov_lakes && s.oland_lake_new[i] > 0) || (ch_lakes && s.lake_mask[i] > 0))
            continue;
        if (scheme == exfil_scheme::multi_layer) {
            const int t = s.soiltype[i];
            if (t < 0 || t >= soil_type_count)
                continue;
            const soil_layer_rec& soil = s.soil_layers[static_cast<std::size_t>(t)];
            s.soil_moist_depth = soil.depth[0] + soil.depth[1];
        }
        double e = exfil_depth(s, i, dt, scheme);
        const bool held = head_bc && (s.boundary_type[i] == 2 || s.boundary_type[i] == 3 || s.boundary_type[i] == 9);
        const double depth = s.ov_depth[i];
        if (depth + e < 0.0) {
            e = -depth;
            if (held)
                s.head_bc_in_total += depth * area;
            else
                s.ov_depth[i] = 0.0;
        } else if (held) {
            s.head_bc_out_total += e * area;
        } else {
            s.ov_depth[i] = depth + e;
        }
        // The redistribution scheme hands the groundwater step the depth
        // before the blocked-fraction scaling, the others after it.
        if (cell_depth && scheme == exfil_scheme::redistribution)
            s.exfil_cell_depth[i] += e;
        if (blocked && s.ov_block_frac[i] < 1.0)
            e *= 1.0 - s.ov_block_frac[i];
        if (cell_depth && scheme != exfil_scheme::redistribution)
            s.exfil_cell_depth[i] += e;
        s.gw_exfil_volume = e;
        s.exfil_vol_total += e * area;
        const double v = e * area;
        // The soil constituent step moves the column's dissolved mass with
        // this water (Richards columns only with overland transport on).
        if (soil_exfil && (scheme != exfil_scheme::richards || s.ov_con_trans))
            s.soil_con_exfil[i] += v;
        // The volume the constituents come up with.
        if (con_work && (scheme == exfil_scheme::richards || !s.soil_con_trans))
            s.con_inf_work[i] += v;
        if (land_exfil) {
            for (int j = 1; j <= carried; ++j) {
                const row_array<double>& from = v >= 0.0 ? s.soil_group_rows : s.ov_conc;
                if (j <= from.count && i <= from.width && i <= s.soil_con_work.width)
                    s.soil_con_work[j][i] += v * from[j][i];
            }
        }
    }
}
