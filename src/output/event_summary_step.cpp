// The event close: once an event has ended, turn the running tallies into
// the event's volumes, measure what is stored at the close, balance the
// event's water, total the sediment and constituents left, write the event
// summary and hand the event's peak and volume to calibration.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/error_state.h"
#include "core/model_state.h"
#include "hydromet/snow_services.h"
#include "input/card_table.h"
#include "output/output_steps.h"
#include "output/state_access.h"
#include "output/summary_writers.h"
#include "overland/lake_files.h"
#include "overland/olake_extent.h"
#include "overland/overland_steps.h"
#include "quality/chan_sed_contam.h"

namespace
{

void event_infiltration(model_state& s)
{
    s.infil_vol = 0.0;
    if (!(s.inf_redist || s.green_ampt || s.inf_richards || s.inf_layered_soil))
        return;
    const int n = std::min(s.num_cells, s.event_inf_depth.size());
    for (int m = 1; m <= n; ++m)
        s.infil_vol += s.gridsize * s.event_inf_depth[m] * s.gridsize;
}

// The lakes' extent after their last changes, and their exchange since the
// overland step last booked it.
void close_lakes(model_state& s)
{
    if (!s.chan_lakes)
        return;
    lake_extent_fork(s);
    if (run_stopped())
        return;
    book_lake_exchange(s);
}

// Water on the cells at the close. A perennial-lake cell counts in the lake;
// the overland lakes count their running volumes.
void event_surface_volume(model_state& s)
{
    s.surface_vol = 0.0;
    s.oland_lake_volume = 0.0;
    const int n = std::min(s.num_cells, s.ov_depth.size());
    const double area = s.gridsize * s.gridsize;
    const bool clakes = s.chan_lakes && s.lake_mask.size() >= n;
    const bool olakes = s.overland_lake_on && s.oland_lake_new.size() >= n && s.ground_elev.size() >= n;
    for (int m = 1; m <= n; ++m) {
        if ((clakes && s.lake_mask[m] > 0) || (olakes && s.oland_lake_new[m] > 0))
            continue;
        s.surface_vol += s.ov_depth[m] * area;
    }
    if (olakes) {
        s.oland_lake_volume = oland_lakes_volume(s);
        s.surface_vol += s.oland_lake_volume;
    }
    // The two kinds of lake are counted apart, but their exchange with each
    // other is not modelled: said once per event close.
    if (clakes && olakes)
        std::printf("You are simulating overland lakes and perennial lakes, not recommended presently. "
                    "Contact your TORVA developer for further advice\n\n");
}

// Soil column and Richards columns at the close, with the Richards balance.
void event_soil_volumes(model_state& s)
{
    if (!(s.soil_water_acct || s.inf_richards))
        return;
    const int n = s.num_cells;
    const double area = s.gridsize * s.gridsize;

    const int nf = std::min(n, s.unsat_down_flux.size());
    for (int m = 1; m <= nf; ++m) {
        s.richards_volume_event += s.unsat_down_flux[m];
        if (!s.gw_simulation) {
            s.unsat_down_flux_total += s.unsat_down_flux[m] / 100.0 * area;
            s.unsat_down_flux[m] = 0.0;
        }
    }
    s.et_volume_event = 0.0;
    s.infil_volume_event = 0.0;
    s.soil_final_volume = 0.0;
    s.richards_nodes_end = 0;
    s.recharge_volume_event = s.richards_volume_event / 100.0 * area;

    const bool evap = s.long_term && s.direct_evap.size() >= n;
    const bool richards = s.inf_richards && s.inf_rich.size() >= n && s.numcells.size() >= n &&
                          s.THETA.rows() >= n && s.DZ.rows() >= n;
    for (int m = 1; m <= n; ++m) {
        if (evap) {
            s.et_volume_event += s.direct_evap[m] / 100.0 * area;
            s.direct_evap[m] = 0.0;
        }
        if (richards) {
            s.infil_volume_event += s.gridsize * s.inf_rich[m] * s.gridsize;
            const int nodes = std::min({s.numcells[m] - 1, s.THETA.cols(), s.DZ.cols()});
            for (int k = 1; k <= nodes; ++k) {
                ++s.richards_nodes_end;
                s.soil_final_volume += s.THETA[m][k] * s.DZ[m][k] / 100.0 * area;
            }
        }
    }
    s.direct_evap_total += s.et_volume_event;

    if (!s.inf_richards)
        return;
    if (s.soil_initial_volume_event > 0.0) {
        s.richards_error_pct = (s.soil_final_volume - s.soil_initial_volume_event - s.infil_volume_event +
                                s.recharge_volume_event - s.gw_to_unsat_event) /
                               s.soil_initial_volume_event * 100.0;
    } else {
        s.richards_error_pct = 0.0;
        if (s.summary_file.fp)
            std::fprintf(s.summary_file.fp, "\n No Unsaturated Cells in Grid, No infiltration \n");
    }
}

void event_lake_volumes(model_state& s)
{
    if (!s.chan_lakes)
        return;
    const int lakes = std::min(s.num_lakes, s.lake_volume.size());
    s.lake_final_volume = 0.0;
    for (int l = 1; l <= lakes; ++l)
        s.lake_final_volume += s.lake_volume[l];
    if (!s.chan_con_trans)
        return;
    for (int k = 1; k <= s.num_constituents; ++k) {
        double* total = slot_at(s.lake_final_dissolved_event, k);
        if (!total)
            continue;
        *total = 0.0;
        if (const double* mass = row_of(s.lake_mass, k, lakes))
            for (int l = 1; l <= lakes; ++l)
                *total += mass[l] / 1000.0;
        if (double* attached = slot_at(s.lake_attached_final, k))
            *attached = lake_attached_mass(s, k) / 1000.0;
    }
}

void event_snow_volume(model_state& s)
{
    s.snow_final_volume = s.snow_present ? snow_water_volume(s) : 0.0;
}

// Event values of running totals: the total minus its copy from the event start.
void event_differences(model_state& s)
{
    s.event_exfil_vol = s.exfil_vol_total - s.exfil_vol_event_start;
    s.event_outflow_vol = s.outflow_vol;
    s.event_peak_q = s.peak_q;
    s.ov_cleanup_vol_event = s.ov_cleanup_volume - s.ov_cleanup_volume_start;
    if (s.interception)
        s.interception_event = s.interception_total - s.interception_total_start;
    if (s.ov_boundary || s.xybdyinput_ovdep) {
        s.head_bc_out_event = s.head_bc_out_total - s.head_bc_out_total_start;
        s.head_bc_in_event = s.head_bc_in_total - s.head_bc_in_total_start;
    }
    if (s.ov_boundary) {
        s.slope_bc_out_event = s.slope_bc_out_total - s.slope_bc_out_total_start;
        s.discharge_bc_in_event = s.discharge_bc_in_total - s.discharge_bc_in_total_start;
        s.discharge_bc_out_event = s.discharge_bc_out_total - s.discharge_bc_out_total_start;
        s.discharge_bc_unmet_event = s.discharge_bc_unmet_total - s.discharge_bc_unmet_total_start;
    }
    if (!s.stream_pointsource.empty()) {
        s.lake_point_source_event = s.lake_point_source_total - s.lake_point_source_total_start;
        s.lake_point_sink_event = s.lake_point_sink_total - s.lake_point_sink_total_start;
        s.stream_point_sink_event = s.stream_point_sink_total - s.stream_point_sink_total_start;
    }
    // Point inputs, POINTSOURCE series, stream boundary points and the
    // headwater inflow.
    if (s.chan_point_on || !s.stream_pointsource.empty() || !s.xy_stream_q.empty() ||
        s.first_order_chan_q != 0.0)
        s.stream_point_source_event = s.chan_point_total - s.chan_point_total_start;
    if (s.chan_lakes)
        s.lake_evap_event = s.lake_evap_total - s.lake_evap_total_start;
}

// Basin mean of the soil water at the close, as a fraction of saturation.
double final_moisture(const model_state& s)
{
    const int n = s.num_cells;
    if (n < 1)
        return 0.0;
    double sum = 0.0;
    if (s.inf_redist) {
        if (s.redist_theta_2.size() < n || s.dist_porosity.size() < n)
            return 0.0;
        for (int m = 1; m <= n; ++m) {
            sum += s.redist_theta_2[m] / s.dist_porosity[m];
            if (std::isnan(sum) && s.calib_mode != 1)
                std::printf("problem with final soil moisture in cell: %d\n", m);
        }
        return sum / n;
    }
    if (s.inf_layered_soil) {
        if (s.soil_depth.size() < n || s.soil_water_top.size() < n || s.soiltype.size() < n)
            return 0.0;
        for (int m = 1; m <= n; ++m) {
            const int t = s.soiltype[m];
            if (t < 0 || t >= soil_type_count)
                continue;
            const soil_layer_rec& soil = s.soil_layers[static_cast<std::size_t>(t)];
            const double d = s.soil_depth[m];
            const double l1 = soil.depth[0];
            const double p = soil.porosity[0];
            // The water of the top layer over its thickness, or over the
            // column's when the column ends inside it (or the layer has none).
            if (d <= 1e-16)
                sum += p;
            else if (p > 0.0)
                sum += s.soil_water_top[m] / (d > l1 && l1 > 1e-16 ? l1 : d) / p;
        }
        return sum / n;
    }
    if (s.inf_richards) {
        // Event runs report 0. A cell without a moisture depth to average
        // over adds nothing.
        if (!s.long_term || s.soil_moist_depth <= 0.0 || s.THETA.rows() < n || s.THETAS.rows() < n ||
            s.DZ.rows() < n)
            return 0.0;
        const int cols = std::min({s.THETA.cols(), s.THETAS.cols(), s.DZ.cols()});
        for (int m = 1; m <= n; ++m) {
            double cell = 0.0;
            double depth = 0.0;
            for (int k = 1; k < cols; ++k) {
                cell += s.THETA[m][k] / s.THETAS[m][k] * s.DZ[m][k];
                depth += s.DZ[m][k + 1];
                if (depth >= s.soil_moist_depth)
                    break;
            }
            if (depth > 0.0)
                sum += cell / depth;
        }
        return sum / n;
    }
    return 0.0;
}

} // namespace

void event_summary_step(model_state& s)
{
    if (!s.event_done)
        return;
    s.event_done = 0;

    event_infiltration(s);
    close_lakes(s);
    if (run_stopped())
        return; // no summary and no "finished event" for an event that stopped the run
    event_surface_volume(s);
    event_soil_volumes(s);
    event_lake_volumes(s);
    event_snow_volume(s);
    event_differences(s);
    event_water_balance(s);
    event_quality_totals(s);
    s.final_avg_moisture = final_moisture(s);

    write_event_summary(s);
    // The pipe network's storage now is what the next event starts with; it
    // is taken after the summary, which reports this event's initial volume.
    if (s.storm_sewer)
        s.superlink_initial_volume = s.superlink_storage_volume;

    if (!super_quiet_on && !s.super_quiet && !s.calib_mode)
        std::printf("finished event \n");
    file_rec_flush(s.summary_file);
    ++s.events_done;

    write_event_optimization(s);
}
