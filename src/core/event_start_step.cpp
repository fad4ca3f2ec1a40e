// Event initialisation: at the start of a rain event, restart the process
// clocks, clear the event's accumulators, take the event-start copies the
// event summary subtracts later, re-initialise soil moisture from the
// soil-water accounting column and measure the storages the event's water
// balance starts from. Arrays of processes that the run does not use are
// absent and left alone.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "calibration/calib_capture.h"
#include "channel/channel_steps.h"
#include "channel/routed_nodes.h"
#include "core/model_state.h"
#include "core/run_steps.h"
#include "hydromet/snow_services.h"
#include "overland/olake_extent.h"
#include "quality/chan_sediment.h"
#include "subsurface/infiltration.h"

namespace
{

// Clocks of the processes that follow the overland step during an event.
void restart_clocks(model_state& s, double now)
{
    s.ov_last = now;
    s.ov_next = now + s.ov_dt_days;
    s.inf_dt = s.ov_dt;
    s.inf_dt_days = s.ov_dt_days;
    if (s.inf_next > now + 2.0 * s.ov_dt_days)
        s.inf_next = now + 2.0 * s.ov_dt_days;

    if (s.ov_con_trans) {
        s.contam_dt = s.ov_dt;
        s.contam_dt_days = s.ov_dt_days;
        s.contam_next = s.precip_con_next = s.outlet_con_next = s.ov_next;
        s.contam_last = s.precip_con_last = s.outlet_con_last = now;
        s.precip_load_next = s.inf_next;
        s.precip_load_last = s.inf_last;
        if (s.contam_table_read) {
            s.ov_loss_next = s.soil_exch_next = s.ov_next;
            s.ov_loss_last = s.soil_exch_last = now;
        }
        if (s.nutrients) {
            s.qbn_ov_next = s.qbn_ov2_next = s.ov_next;
            s.qbn_ov_last = s.qbn_ov2_last = s.ov_last;
        }
    }
    if (s.gw_simulation) {
        s.gw_dt = s.ov_dt;
        s.gw_dt_days = s.ov_dt_days;
        if (s.gw_next > now + 2.0 * s.ov_dt_days)
            s.gw_next = now + 2.0 * s.ov_dt_days;
        if (s.av_qriv)
            s.av_qriv.assign(s.av_qriv.rows(), s.av_qriv.cols(), 0.0);
    }
    if (s.soil_water_acct) {
        s.et_dt = s.inf_dt;
        s.et_dt_days = s.inf_dt_days;
        s.et_next = s.inf_next;
        if (s.soil_con_trans)
            s.soil_con_next = s.inf_next;
    }
}

// The event's overland constituent accumulators and initial masses.
void clear_constituent_event(model_state& s)
{
    if (!s.ov_con_trans)
        return;
    checked_array<double>* cleared[] = {
        &s.event_ov_precip_mass, &s.event_ov_decay_mass, &s.event_ov_uptake_mass, &s.event_ov_qlat_mass,
        &s.event_ov_mass_out,    &s.event_ov_exfil_mass, &s.event_ov_infil_mass,  &s.event_ov_point_mass,
        &s.event_ov_mass_init,   &s.event_ov_land_mass,  &s.event_ov_neg_mass,
    };
    for (int i = 1; i <= s.num_constituents; ++i)
        for (checked_array<double>* a : cleared)
            (*a)[i] = 0.0;
    if (s.nutrients)
        for (int i = 1; i <= s.num_constituents; ++i)
            s.event_ov_qbn_gain_mass[i] = s.event_ov_qbn_loss_mass[i] = 0.0;
    // Lakes without constituents: the overland side books its flux to them
    // (with them the channel accumulators below clear it).
    if (!s.chan_con_trans)
        for (int i = 1; i <= s.lake_ov_mass_event.size(); ++i)
            s.lake_ov_mass_event[i] = 0.0;
    if (s.soil_con_trans) {
        checked_array<double>* soil[] = {
            &s.event_soil_mass_init,  &s.event_soil_decay_mass, &s.event_soil_infil_mass,
            &s.event_ov_to_soil_mass, &s.event_soil_to_ov_mass, &s.event_soil_gw_out_mass,
            &s.event_soil_gw_in_mass, &s.event_soil_exfil_mass, &s.event_soil_neg_mass,
        };
        for (int i = 1; i <= s.num_constituents; ++i)
            for (checked_array<double>* a : soil)
                (*a)[i] = 0.0;
        // The attached-phase totals; the channel and lake ones are cleared
        // with the channel clocks below.
        if (s.sediment_contam)
            for (int i = 1; i <= s.num_constituents; ++i)
                s.event_soil_sed_mass[i] = s.event_ov_sed_source_mass[i] = 0.0;
    }

    const bool lakes = s.chan_lakes && s.lake_mask.size() >= s.num_cells;
    for (int i = 1; i <= s.num_constituents; ++i) {
        const double* mass = row_array_get(s.ov_mass, i);
        if (mass && s.ov_mass.width >= s.num_cells)
            for (int j = 1; j <= s.num_cells; ++j)
                if (!lakes || s.lake_mask[j] == 0)
                    s.event_ov_mass_init[i] += mass[j] / 1000.0;
        const double* land = row_array_get(s.land_mass, i);
        if (land && s.land_mass.width >= s.num_cells)
            for (int j = 1; j <= s.num_cells; ++j)
                s.event_ov_land_mass[i] += land[j] / 1000.0;
        if (s.soil_con_trans && i <= s.soil_mass.count && s.soil_mass.rows >= s.num_cells) {
            const int layers = std::min(s.soil_con_layers, s.soil_mass.cols);
            double** sm = s.soil_mass.table[i];
            for (int j = 1; j <= s.num_cells; ++j)
                for (int k = 1; k <= layers; ++k)
                    s.event_soil_mass_init[i] += sm[j][k] / 1000.0;
        }
    }
}

// The channel constituent clocks follow the channel clock; the event's
// channel and lake accumulators start from zero.
void restart_channel_constituents(model_state& s)
{
    s.chan_con_next = s.chan_outlet_next = s.chan_next;
    s.chan_con_last = s.chan_outlet_last = s.chan_last;
    if (s.contam_table_read) {
        s.chan_kin_next = s.chan_next;
        s.chan_kin_last = s.chan_last;
    }
    if (s.nutrients) {
        s.chan_qbn_next = s.chan_next;
        s.chan_qbn_last = s.chan_last;
    }
    if (s.gw_simulation || s.stream_loss || s.lake_gw_exchange) {
        s.chan_load_next = s.chan_next;
        s.chan_load_last = s.chan_last;
    }
    for (dvec* v : {&s.chan_point_mass_event,
                    &s.chan_initial_dissolved_event,
                    &s.chan_ov_mass_event,
                    &s.chan_gw_mass_event,
                    &s.chan_decay_mass_event,
                    &s.chan_outlet_flux_event,
                    &s.chan_outlet_mass_event,
                    &s.chan_to_lake_mass_event,
                    &s.chan_sed_exchange_event,
                    &s.chan_qlat_mass_event,
                    &s.chan_qbn_gained_event,
                    &s.chan_qbn_lost_event,
                    &s.lake_initial_dissolved_event,
                    &s.lake_ov_mass_event,
                    &s.lake_point_mass_event,
                    &s.lake_precip_mass_event,
                    &s.lake_gw_mass_event,
                    &s.lake_outlet_mass_event,
                    &s.lake_chan_exchange_event,
                    &s.lake_decay_mass_event,
                    &s.event_ov_lake_sed_contam_mass,
                    &s.event_chan_lake_sed_contam_mass,
                    &s.event_lake_sed_contam_source_mass,
                    &s.event_lake_settled_sed_mass,
                    &s.chan_clip_mass_event,
                    &s.lake_clip_mass_event})
        for (int i = 1; i <= v->size(); ++i)
            (*v)[i] = 0.0;
}

// The sediment still suspended over the land at an event's start settles
// back into the soil with its attached constituents: each class's attached
// mass moves from the cell's attached total to the soil exchange (at most
// what the cell holds, so no mass is made), and the suspended volumes start
// the event empty. The mass laid down with a channel cell's deposits joins
// the soil with them.
void settle_attached_constituents(model_state& s)
{
    const int n = std::min(s.num_cells, s.ov_sed_vol_susp.rows());
    const int classes = std::min(s.sed.num_sed, s.ov_sed_vol_susp.cols());
    const int c =
        std::min({s.num_constituents, s.sed_con_class.count, s.sed_con_mass.count, s.sed_con_work.count});
    if (n < 1 || c < 1 || s.sed_con_class.rows < n || s.sed_con_class.cols < classes ||
        s.sed_con_mass.width < n || s.sed_con_work.width < n)
        return;
    for (int m = 1; m <= c && m <= s.sed_con_chan_deposit.count && s.sed_con_chan_deposit.width >= n; ++m)
        for (int j = 1; j <= n; ++j) {
            s.sed_con_work[m][j] += s.sed_con_chan_deposit[m][j];
            s.sed_con_work[m][0] += s.sed_con_chan_deposit[m][j];
            s.sed_con_chan_deposit[m][j] = 0.0;
        }
    if (s.sed_con_chan_deposit_vol.size() >= n)
        for (int j = 1; j <= n; ++j)
            s.sed_con_chan_deposit_vol[j] = 0.0;
    for (int j = 1; j <= n; ++j) {
        for (int k = 1; k <= classes; ++k) {
            for (int m = 1; m <= c; ++m) {
                double** cls = s.sed_con_class.table[m];
                // The soil receives what the cell held, never more.
                const double x =
                    std::min(cls[j][k] * s.ov_sed_vol_susp[j][k], std::max(s.sed_con_mass[m][j], 0.0));
                s.sed_con_work[m][j] += x;
                s.sed_con_work[m][0] += x;
                s.sed_con_mass[m][j] -= x;
                cls[j][k] = 0.0;
                cls[j][0] = 0.0;
            }
            s.ov_sed_vol_susp[j][k] = 0.0;
        }
    }
}

// Layered soils take their three layer water contents from the accounting
// column (layered_moisture_from_column); the cell's downward flux and
// direct evaporation move into their run totals.
void layered_soil_moisture(model_state& s)
{
    s.init_avg_moisture = 0.0;
    const int n = s.num_cells;
    if (n < 1 || s.THETA_ML.rows() < n || s.THETA_ML.cols() < 3 || s.soiltype.size() < n ||
        s.soil_depth.size() < n || s.soil_water_top.size() < n || s.soil_water_low.size() < n)
        return;
    const double area = s.gridsize * s.gridsize;
    const bool move_flux = !s.gw_simulation && s.unsat_down_flux.size() >= n;
    const bool move_evap = s.long_term && s.direct_evap.size() >= n;
    for (int j = 1; j <= n; ++j) {
        if (!layered_moisture_from_column(s, j))
            continue;
        const soil_layer_rec& soil = s.soil_layers[static_cast<std::size_t>(s.soiltype[j])];
        s.init_avg_moisture += s.THETA_ML[j][1] / soil.porosity[0];
        if (std::isnan(s.init_avg_moisture))
            std::printf("bad initial value of soil moisture cell %d\n", j);
        if (move_flux) {
            s.unsat_down_flux_total += s.unsat_down_flux[j] / 100.0 * area;
            s.unsat_down_flux[j] = 0.0;
        }
        if (move_evap) {
            s.direct_evap_total += s.direct_evap[j] / 100.0 * area;
            s.direct_evap[j] = 0.0;
        }
    }
    s.init_avg_moisture /= n;
}

// Per-location peaks and volumes of a calibration start the event empty:
// the hydrograph locations in discharge mode, the sediment locations in
// sediment mode.
void clear_calibration_peaks(model_state& s)
{
    if (!s.optimize)
        return;
    int locations = 0;
    if (!s.optimize_sed && s.in_hyd_location_given)
        locations = s.num_hyd_locations;
    else if (s.optimize_sed && s.sed_hyd_locations_on && s.chan_sed_on)
        locations = s.num_sed_hyd_locations;
    for (int i = 1; i <= locations; ++i) {
        if (i <= s.opt_peak_q.size())
            s.opt_peak_q[i] = 0.0;
        if (i <= s.opt_volume.size())
            s.opt_volume[i] = 0.0;
        if (calib_sink* sink = s.calib_capture) {
            const auto slot = static_cast<std::size_t>(i);
            if (slot < sink->loc_peak.size())
                sink->loc_peak[slot] = -999.99;
            if (slot < sink->loc_volume.size())
                sink->loc_volume[slot] = -999.99;
        }
    }
}

// Water on the surface at the event's start, for the runs that can hold
// some; the overland lakes count their running volumes.
void initial_surface_volume(model_state& s)
{
    const bool carried = s.inf_richards == 1 || s.gw_simulation || s.soil_water_acct || s.overland_lake_on ||
                         s.wetlands_on || s.cards.ov_init_depth_given || s.cards.init_elev_head_given;
    if (!carried)
        return;
    const int n = std::min(s.num_cells, s.ov_depth.size());
    const double area = s.gridsize * s.gridsize;
    const bool lakes = s.overland_lake_on && s.oland_lake_new.size() >= n && s.ground_elev.size() >= n;
    double volume = lakes ? oland_lakes_volume(s) : 0.0;
    for (int j = 1; j <= n; ++j)
        if (!(lakes && s.oland_lake_new[j] > 0))
            volume += s.ov_depth[j] * area;
    s.init_surface_vol = volume;
    if (volume > 1e-6) {
        s.awaiting_rain = 0;
        s.event_rain_sum = volume;
    }
}

// The event's water-balance tallies start empty, and the running totals
// are copied so that the event close can take the event's share of them.
void start_event_balance(model_state& s)
{
    s.ov_point_vol = 0.0;
    s.head_bc_in_event = s.head_bc_out_event = s.slope_bc_out_event = 0.0;
    s.discharge_bc_in_event = s.discharge_bc_out_event = s.discharge_bc_unmet_event = 0.0;
    s.superlink_ov_in_event = s.superlink_to_ov_event = s.superlink_to_chan_event = 0.0;
    s.gw_to_tile_event = s.superlink_sed_water_event = 0.0;
    s.chan_to_gw_event = s.gw_to_chan_event = s.gw_to_unsat_event = 0.0;
    s.gw_to_lake_event = s.lake_to_gw_event = 0.0;
    s.sac_aet_event = s.sac_baseflow_event = s.sac_infil_event = s.evap_event = 0.0;
    s.chan_sand_from_ov_event = s.chan_sand_out_event = 0.0;
    s.chan_washload_out_event = s.chan_washload_peak_event = 0.0;
    s.lake_washload_in_event = s.lake_washload_settled_event = 0.0;
    for (dvec* per_class : {&s.chan_sed_in_event, &s.superlink_sed_in_event})
        for (int c = 0; c <= per_class->size() && !per_class->empty(); ++c)
            (*per_class)[c] = 0.0;
    s.xsec_range_flag = 0;

    s.ov_cleanup_volume_start = s.ov_cleanup_volume;
    s.interception_total_start = s.interception_total;
    s.head_bc_out_total_start = s.head_bc_out_total;
    s.head_bc_in_total_start = s.head_bc_in_total;
    s.slope_bc_out_total_start = s.slope_bc_out_total;
    s.discharge_bc_in_total_start = s.discharge_bc_in_total;
    s.discharge_bc_out_total_start = s.discharge_bc_out_total;
    s.discharge_bc_unmet_total_start = s.discharge_bc_unmet_total;
    s.lake_point_source_total_start = s.lake_point_source_total;
    s.lake_point_sink_total_start = s.lake_point_sink_total;
    s.stream_point_sink_total_start = s.stream_point_sink_total;
    s.chan_point_total_start = s.chan_point_total;
    s.lake_evap_total_start = s.lake_evap_total;
    s.lateral_in_event_b = s.lateral_in_event;
    s.lateral_out_event_b = s.lateral_out_event;
    s.lateral_net_event_b = s.lateral_inflow_total;
    if (s.storm_sewer)
        s.superlink_initial_volume = s.superlink_storage_volume;
}

// Ponded water at the event's start: a wetland cell starts at its wetland's
// depth, every other cell dry. The wetland's elevation offset lowers the
// ground once, at the run's first event, so it does not deepen the cell at
// every event of a long-term run. Runs whose surface water carries over
// (Richards, groundwater, point sources, redistribution) keep their depths.
void event_start_depths(model_state& s)
{
    if (s.inf_richards || s.gw_simulation || s.cards.ov_point_source_given || s.inf_redist)
        return;
    const int n = s.num_cells;
    if (!s.wetlands_on || s.wetland_mask.size() < n || s.ov_depth.size() < n || s.ground_elev.size() < n)
        return;
    const bool carried = s.cards.ov_init_depth_given || s.cards.init_elev_head_given;
    const bool first = s.events_done == 0;
    const int count = static_cast<int>(s.wetland_props.size()) - 1;
    for (int j = 1; j <= n; ++j) {
        const int w = s.wetland_mask[j];
        if (w > 0 && w <= count) {
            const wetland_rec& rec = s.wetland_props[static_cast<std::size_t>(w)];
            s.ov_depth[j] = rec.initial_depth;
            if (first)
                s.ground_elev[j] -= rec.elevation_offset;
        } else if (!carried) {
            s.ov_depth[j] = 0.0;
        }
    }
}

// The Green-Ampt event depths start from zero at every event, so a long-term
// run never carries one event's infiltration into the next.
void reset_event_infiltration(model_state& s)
{
    const int n = s.num_cells;
    if (!(s.green_ampt || s.inf_layered_soil))
        return;
    for (dvec* v : {&s.event_inf_depth, &s.inf_depth_mark})
        for (int j = 1; j <= n && j <= v->size(); ++j)
            (*v)[j] = 0.0;
    if (!s.inf_layered_soil)
        return;
    for (dvec* v : {&s.wetdep, &s.inf_rate})
        for (int j = 1; j <= n && j <= v->size(); ++j)
            (*v)[j] = 0.0;
}

} // namespace

void event_start_step(model_state& s)
{
    if (!process_due(s, s.next_event_time))
        return;
    const double now = s.current_time;
    const int n = s.num_cells;
    s.surface_active = 1;

    richards_dry_gap(s);
    restart_clocks(s, now);
    clear_constituent_event(s);
    richards_event_start(s);
    if (s.sacramento)
        s.sac_subsurface_start_event =
            (s.sac.uztwc + s.sac.uzfwc + s.sac.lztwc + s.sac.lzfsc + s.sac.lzfpc) * s.sac_area / 1000.0;

    event_start_depths(s);
    reset_event_infiltration(s);
    if (s.interception && s.icep_dep.size() >= n)
        for (int j = 1; j <= n; ++j)
            s.icep_dep[j] = 0.0;

    s.richards_volume_event = 0.0;
    if (s.clock_passes != 1)
        s.event_step = 1;
    s.inf_step_count = 1;
    s.peak_q = 0.0;
    s.neg_area_count = 0;
    s.rain_vol = 0.0;
    s.event_lake_rain_vol = 0.0;
    s.ov_to_lake_vol = 0.0;
    s.ov_from_lake_vol = 0.0;
    s.init_surface_vol = 0.0;
    s.outflow_vol = 0.0;
    s.event_outflow_vol = 0.0;
    s.event_peak_q = 0.0;
    s.et_volume_event = 0.0;
    s.infil_volume_event = 0.0;
    s.event_exfil_vol = 0.0;
    s.exfil_vol_event_start = s.exfil_vol_total;
    if (s.overland_lake_on)
        s.oland_lake_changed = 1;
    start_event_balance(s);
    s.awaiting_rain = 1;
    s.event_rain_sum = 0.0;

    clear_calibration_peaks(s);
    initial_surface_volume(s);

    s.infil_vol = 0.0;
    s.event_vol_extra = 0.0;
    s.rain_start_min = 0.0;
    s.rain_steps = 0;
    s.rain_period = 1;
    if (!s.super_quiet && !s.calib_mode)
        std::printf("Initialized Arrays\n");

    chan_sediment_event_start(s);
    if (s.sed.soil_erosion && s.sediment_contam)
        settle_attached_constituents(s);
    // The sediment the pipe network took in during the event, per class.
    if (s.storm_sewer)
        for (int k = 1; k <= s.superlink_sed_in_event.size(); ++k)
            s.superlink_sed_in_event[k] = 0.0;

    if (!s.long_term && !s.qnt_mode) {
        if (!s.super_quiet && !s.calib_mode)
            std::printf("simulation duration %d minutes\n", s.tot_time);
        s.event_end_time = s.sim_start_jd + s.tot_time / 1440.0;
    }

    if (s.inf_redist) {
        s.redist_active = s.redist_initialised = s.inf_event_active = 1;
        reset_redistribution(s, &s.init_avg_moisture);
    }
    if (s.inf_layered_soil && s.long_term)
        layered_soil_moisture(s);

    if (s.chan_explicit) {
        s.chan_dt = s.ov_dt;
        s.chan_dt_days = s.ov_dt_days;
        s.chan_next = s.ov_next;
        s.chan_last = s.ov_last;
        if (s.ov_con_trans) {
            s.ov_chan_exch_next = s.ov_next;
            s.ov_chan_exch_last = s.ov_last;
        }
        if (s.chan_con_trans)
            restart_channel_constituents(s);
        channel_event_start(s);
    }
    s.snow_initial_volume = s.snow_present ? snow_water_volume(s) : 0.0;

    s.xy_gw_gain_event = 0.0;
    s.xy_gw_loss_event = 0.0;
    if (s.storm_sewer) {
        s.superlink_interval = s.ov_dt_days;
        s.superlink_next_time = s.ov_next;
        s.superlink_last_time = std::max(s.superlink_last_time, s.ov_last);
        s.gw_surface_flag = 1;
        // The first call of a later event measures the stored volume.
        if (s.superlink_call_count > 0)
            s.superlink_call_count = 1;
    }
}
