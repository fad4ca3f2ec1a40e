// The overland step: at each overland time apply the boundaries, find the
// wet and flowing cells, route the water over the grid, book the outlet
// volume, and once the rain is over decide whether an event run has ended
// or a long-term run can skip the dry time to the next rain event.
#include <cmath>
#include <cstdio>

#include "channel/routed_nodes.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "hydromet/snow_services.h"
#include "overland/ade_kernels.h"
#include "overland/ov_explicit.h"
#include "overland/overland_steps.h"
#include "quality/sediment_steps.h"

namespace
{

constexpr double seconds_per_day = 86400.0;

struct cell_scan {
    int wet = 0;
    int flowing = 0;    // number of flowing cells
    int lake_cells = 0; // channel-lake cells outside the overland lakes
    int nan_cell = 0;   // first cell whose depth is not a number
    double snow = 0.0;  // snow water equivalent over all cells
};

// Wet and flowing non-lake cells, and the first depth that is not a number.
cell_scan scan_cells(const model_state& s, bool with_snow)
{
    cell_scan r;
    const int n = s.num_cells;
    if (n <= 0 || s.ov_depth.size() < n)
        return r;
    const double* depth = s.ov_depth.data();
    const double* qx = s.ov_qx.size() >= n ? s.ov_qx.data() : nullptr;
    const double* qy = s.ov_qy.size() >= n ? s.ov_qy.data() : nullptr;
    const int* olake = s.overland_lake_on && s.oland_lake_new.size() >= n ? s.oland_lake_new.data() : nullptr;
    const int* clake = s.chan_lakes && s.lake_mask.size() >= n ? s.lake_mask.data() : nullptr;
    const double* swe = with_snow && s.long_term && s.snow_swe.size() >= n ? s.snow_swe.data() : nullptr;
    int wet = 0;
    int flowing = 0;
    int lake_cells = 0;
    int nan_cell = n + 1;
    double snow = 0.0;
#pragma omp parallel for schedule(static) if (n >= ade_parallel_cells) reduction(max : wet) \
    reduction(+ : flowing, lake_cells, snow) reduction(min : nan_cell)
    for (int i = 1; i <= n; ++i) {
        if (swe)
            snow += swe[i];
        if (olake && olake[i] > 0)
            continue;
        if (clake && clake[i] > 0) {
            ++lake_cells;
            continue;
        }
        const double h = depth[i];
        if (std::isnan(h)) {
            if (i < nan_cell)
                nan_cell = i;
            continue;
        }
        if (h > 1e-16)
            wet = 1;
        if ((qx && std::fabs(qx[i]) > 1e-16) || (qy && std::fabs(qy[i]) > 1e-16))
            ++flowing;
    }
    r.wet = wet;
    r.flowing = flowing;
    r.lake_cells = lake_cells;
    r.nan_cell = nan_cell <= n ? nan_cell : 0;
    r.snow = snow;
    return r;
}

// Snowmelt of long-term runs: each cell's melt packets release the share
// of the step onto its depth. Returns the packet water left.
double release_melt_packets(model_state& s, double step)
{
    const int n = s.num_cells;
    const int k = s.snow_retention_kind;
    if (n <= 0 || k < 1 || s.Melt_Waves.dim1() < n || s.Melt_Waves.dim2() < k || s.Melt_Waves.dim3() < 3 ||
        s.ov_depth.size() < n)
        return 0.0;
    dcube& packets = s.Melt_Waves;
    double* depth = s.ov_depth.data();
    const bool draw = !s.eb_snow;
    const double share = step / 3600.0;
    double left = 0.0;
#pragma omp parallel for schedule(static) if (n >= ade_parallel_cells) reduction(+ : left)
    for (int i = 1; i <= n; ++i) {
        const double held = sum_melt_packets(i, n, packets, k, "ONE");
        if (held <= 1e-16 || !draw) {
            left += held;
            continue;
        }
        double drawn = 0.0;
        for (int j = 1; j <= k; ++j)
            drawn += draw_melt_packet(i, j, packets, share);
        depth[i] += drawn;
        left += held - drawn;
    }
    return left;
}

void stop_run()
{
    error_set(err_stop);
    report_error(error_state);
}

double next_event_start(const model_state& s)
{
    const int k = s.event_num + 1;
    return k >= 1 && k < static_cast<int>(s.event_start_times.size())
               ? s.event_start_times[static_cast<size_t>(k)]
               : s.current_time;
}

// Dry time of a long-term run: the surface clocks jump to the next event.
void skip_dry_time(model_state& s)
{
    if (s.gw_exfil_any || s.cards.ov_pump_given || s.overbank_flow || (s.storm_sewer && s.superlink_surcharge_flag))
        return;
    if (s.ov_wet && s.ov_flowing)
        return;

    s.surface_active = 0;
    // A sleeping surface carries no flow: the face discharges of the step
    // that drained it are not left to keep the channel and the pipe network
    // awake through the dry spell.
    s.ov_flowing = 0;
    const double next = next_event_start(s);
    s.ov_next = next;
    s.ov_last = next - s.ov_dt_days;
    s.qout = 0.0;

    if ((s.ov_wet && s.inf_richards) || s.gw_simulation || (s.inf_redist && s.redist_initialised)) {
        s.inf_next = s.hmet_next;
        s.inf_dt = s.hmet_dt;
        s.inf_dt_days = s.hmet_dt_days;
        s.et_next = s.inf_next;
        if (s.soil_con_trans)
            s.soil_con_next = s.inf_next;
        s.et_dt = s.inf_dt;
        s.et_dt_days = s.inf_dt_days;
    } else {
        s.inf_next = s.ov_next;
        s.inf_last = s.ov_last;
    }

    if (s.gw_simulation) {
        const double g = s.cards.gw_timestep;
        if (s.inf_dt > g) {
            if (s.chan_routing_active == 0) {
                s.gw_dt = g;
                s.gw_dt_days = g / seconds_per_day;
                s.gw_next = s.current_time > s.hmet_next ? s.hmet_next : s.current_time;
            }
            s.inf_dt = s.gw_dt;
            s.inf_dt_days = s.gw_dt_days;
            s.inf_next = s.current_time + s.gw_dt_days;
        } else if (s.chan_routing_active == 0) {
            s.gw_dt = g;
            s.gw_dt_days = g / seconds_per_day;
            s.gw_next = s.current_time;
        }
    }

    if (s.ov_con_trans) {
        s.contam_next = s.inf_next;
        s.precip_load_next = s.inf_next;
        s.ov_loss_next = s.inf_next;
        s.soil_exch_next = s.inf_next;
        s.contam_dt = s.inf_dt;
        s.contam_dt_days = s.inf_dt_days;
        if (s.chan_explicit)
            s.ov_chan_exch_next = s.ov_next;
        else
            s.outlet_con_next = s.ov_next;
    }
}

} // namespace

void book_lake_exchange(model_state& s)
{
    if (!s.chan_lakes)
        return;
    const int lakes = s.num_lakes;
    if (s.lake_in_dv.size() < lakes || s.lake_out_dv.size() < lakes)
        return;
    for (int k = 1; k <= lakes; ++k) {
        s.lake_inflow_volume += s.lake_in_dv[k];
        s.ov_to_lake_vol += s.lake_in_dv[k];
        s.lake_outflow_volume += s.lake_out_dv[k];
        s.ov_from_lake_vol += s.lake_out_dv[k];
        s.lake_in_dv[k] = 0.0;
        s.lake_out_dv[k] = 0.0;
    }
}

void update_max_flood_depth(const double* depth, double* max, int n)
{
    for (int i = 1; i <= n; ++i)
        if (depth[i] > max[i])
            max[i] = depth[i];
}

void overland_step(model_state& s)
{
    if (!process_due(s, s.ov_next))
        return;
    const double now = s.current_time;
    const double step = (now - s.ov_last) * seconds_per_day;
    const int n = s.num_cells;
    s.ov_flowing = 0;
    s.ov_wet = 0;

    // Snow roughness of long-term runs.
    if (s.long_term && s.snow_roughness_given && n > 0 && s.dist_rough.size() >= n &&
        s.dist_rough_copy.size() >= n && s.snow_swe.size() >= n) {
        double* rough = s.dist_rough.data();
        const double* copy = s.dist_rough_copy.data();
        const double* swe = s.snow_swe.data();
        const double snow_n = s.snow_roughness_n;
#pragma omp parallel for schedule(static) if (n >= ade_parallel_cells)
        for (int i = 1; i <= n; ++i)
            rough[i] = swe[i] > 0.0 ? snow_n : copy[i];
    }

    // Boundary conditions and pumping.
    if (s.ov_boundary || s.xybdyinput_ovdep) {
        const bool first = s.ov_bc_started == 0;
        ov_bc_series_values(s, first);
        if (!run_stopped())
            apply_ov_boundaries(s, step, first);
        if (run_stopped())
            return; // a missing series or rating curve, reported by the lookup
        s.ov_bc_started = 1;
    }
    if (s.cards.ov_pump_given)
        ov_pump_step(s, step);

    const double packet_water = s.long_term ? release_melt_packets(s, step) : 0.0;
    const cell_scan scan = scan_cells(s, true);
    if (scan.nan_cell) {
        std::printf("A non-real overland flow water depth has been detected in cell %d after applying "
                    "overland boundary conditions and overland pumping.\n",
                    scan.nan_cell);
        stop_run();
        return;
    }
    s.ov_wet = scan.wet;
    s.ov_flowing = scan.flowing > 0 ? 1 : 0;
    s.snow_present = n >= 1 && s.long_term && (scan.snow > 1e-16 || packet_water > 1e-16) ? 1 : 0;
    const int counted = n - scan.lake_cells;
    const bool erosive = counted > 0 && static_cast<double>(scan.flowing) / counted > 1e-16;

    s.qout = 0.0;
    book_lake_exchange(s);

    if (s.ov_wet) {
        if (!overland_routing_ready(s)) {
            std::printf("Overland routing needs the ground elevation, the roughness and the neighbours of "
                        "every cell, and a grid size above 0.\n");
            stop_run();
            return;
        }
        double vol = 0.0;
        if (s.overtype == 1) {
            vol = ov_explicit_route(s, ov_explicit_process_state(), step);
        } else {
            vol = ade_overland_route(s, ade_process_state(), step);
            if (vol < 0.0)
                return; // reported; the run stops after this step
        }
        if (s.overtype == 2 && !s.chan_lakes && !s.overland_lake_on && step > 0.0) {
            double* qx = s.ov_qx.data();
            double* qy = s.ov_qy.data();
            const double* qx_sum = s.ov_qx_sum.data();
            const double* qy_sum = s.ov_qy_sum.data();
#pragma omp parallel for schedule(static) if (n >= ade_parallel_cells)
            for (int i = 1; i <= n; ++i) {
                qx[i] = qx_sum[i] / step;
                qy[i] = qy_sum[i] / step;
            }
        }
        if (s.flood_grid && s.max_flood_depth.size() >= n)
            update_max_flood_depth(s.ov_depth.data(), s.max_flood_depth.data(), n);
        s.sweep_order = s.sweep_order == 1 ? 2 : 1;
        if (!s.chan_explicit) {
            s.outflow_vol += vol;
            s.discharge_total += vol;
            if (s.ov_con_trans)
                s.ov_outlet_vol_acc += vol;
            s.qout = step > 0.0 ? vol / step : 0.0;
        } else {
            s.qout = vol;
        }
    }

    if (s.sed.soil_erosion && s.ov_sed_scheme == 1 && erosive) {
        ov_sediment_transport(s, step);
        if (run_stopped())
            return; // a sediment volume that is not a number, reported
        ov_sediment_book_step(s);
    }

    if (s.overland_lake_on)
        s.oland_lake_changed = 1;
    book_lake_exchange(s);

    s.ov_last = now;
    s.ov_next = next_on_phase(s, s.ov_next, s.ov_dt_days);

    if (s.raining)
        return;

    // After the rain: is water still on the surface, and moving?
    const cell_scan after = scan_cells(s, false);
    s.ov_wet = after.wet;
    s.ov_flowing = after.flowing > 0 ? 1 : 0;
    if (after.nan_cell) {
        std::printf("A non-real overland flow water depth has been detected in cell %d after overland flow "
                    "routing.\n",
                    after.nan_cell);
        stop_run();
        return;
    }

    if (!s.long_term && !s.ov_wet && !s.qnt_mode && s.chan_explicit) {
        s.chan_vol = channel_water_volume(s, false);
        if (s.chan_vol < s.rain_vol * 1e-4) {
            if (!s.calib_mode)
                std::printf("Rainfall for this event has ended.\n");
            if (s.summary_file.fp) {
                std::fprintf(s.summary_file.fp, "Rainfall for this event ended. Runoff is complete\n");
                std::fflush(s.summary_file.fp);
            }
            s.event_active = 0;
            s.event_done = 1;
            s.keep_running = 0;
        }
    }

    if (s.long_term)
        skip_dry_time(s);
}
