// The step after the event and run end decision: at every event end it
// exchanges grids with the co-run model, carries the bed changes into the
// channel geometry and closes the event for the summary.
#include "coupling/coupling_steps.h"

#include <cstdio>

#include "channel/channel_services.h"
#include "channel/channel_steps.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "coupling/host_exchange.h"

namespace
{

// The channel beds after an event's erosion and deposition: break-point
// sections get their new profiles, and with ADJUST_CHANNEL_BED the node
// hydraulics follow the new beds (stages of break-point nodes from their
// areas, erodible trapezoid nodes keeping their depths on the new bed).
void update_channel_beds(model_state& s)
{
    if (!s.chan_sed_on || !has_erodible_breakpoint_link(s))
        return;
    xsec_update(s);
    if (run_stopped() || !s.sed.adjust_channel_bed)
        return;
    ex_section(s, 1);
    if (run_stopped() || s.new_bel.empty())
        return;
    for (int l = 1; l <= s.num_links; ++l) {
        if (!((s.ltype[l] & 4) && (s.ltype[l] & 2)))
            continue;
        for (int n = 1; n <= s.nx[l] && n <= s.new_bel.rows(); ++n) {
            const double moved = s.new_bel[n][l] - s.bel[n][l];
            if (moved == 0.0)
                continue;
            s.bel[n][l] = s.new_bel[n][l];
            s.yp[n][l] = s.bel[n][l] + s.chan_depth[n][l];
        }
    }
    ex_section(s, 2);
}

// Every process clock restarts one step before the next event's start s.
void jump_to_next_event(model_state& s)
{
    s.keep_running = s.event_num != s.num_events;
    // After the last event there is no start to move to: the clocks keep the
    // run's end time for the closing outputs.
    if (!s.keep_running)
        return;
    const double next = event_start_time(s, s.event_num + 1);
    s.current_time = s.ov_last = s.inf_last = next - s.dt_days;
    s.ov_next = s.inf_next = next;
    if (s.chan_routing_active) {
        s.chan_last = next - s.dt_days;
        s.chan_next = next;
        if (s.chan_con_trans) {
            s.chan_con_next = s.chan_outlet_next = next;
            s.chan_con_last = s.chan_outlet_last = next - s.dt_days;
            if (s.contam_table_read) {
                s.chan_kin_next = next;
                s.chan_kin_last = next - s.dt_days;
            }
            if (s.nutrients) {
                s.chan_qbn_next = next;
                s.chan_qbn_last = next - s.dt_days;
            }
            if (s.stream_loss) {
                s.chan_load_next = next;
                s.chan_load_last = next - s.dt_days;
            }
        }
    }
    if (s.ov_con_trans) {
        s.contam_next = s.ov_next < s.inf_next ? s.ov_next : s.inf_next;
        s.contam_last = s.ov_last;
        s.precip_load_next = s.inf_next;
        s.precip_con_next = s.ov_next;
        if (s.chan_routing_active) {
            s.ov_chan_exch_next = s.ov_next;
            s.ov_chan_exch_last = s.ov_last;
        } else {
            s.outlet_con_next = s.ov_next;
        }
        if (s.contam_table_read)
            s.soil_exch_next = s.ov_loss_next = s.ov_next;
    }
}

// Writes the exchange grids and the control file, reads back what the
// co-run model updated, then ends the run or moves to the next event.
void exchange_with_host(model_state& s)
{
    if (!write_exchange_files(s))
        return;
    if (s.event_num != s.num_events && !s.qnt_event_num) {
        std::fprintf(stderr, "reading ZEBO exchange maps\n");
        std::fflush(stderr);
        if (s.moist_from_zebo) {
            if (!read_exchange_grid(s, s.moist_from_zebo_name, "soil moisture", 2, s.dist_init_moisture) ||
                !exchange_moisture_bounds_known(s, s.moist_from_zebo_name))
                return;
            bound_exchange_moisture(s);
        }
        if (s.rough_from_zebo) {
            if (!read_exchange_grid(s, s.rough_from_zebo_name, "roughness", 2, s.dist_rough))
                return;
            for (int i = 1; i <= s.num_cells; ++i)
                if (s.dist_rough[i] <= 0.0)
                    s.dist_rough[i] = 0.04;
        }
        if (s.ksat_from_zebo) {
            if (!read_exchange_grid(s, s.ksat_from_zebo_name, "Ksat", 2, s.dist_ksat))
                return;
            for (int i = 1; i <= s.num_cells; ++i)
                s.dist_ksat[i] /= 360000.0;
        }
    }
    if (s.qnt_event_num) {
        std::printf("End of QNT event %d\n", s.event_num);
        s.keep_running = 0;
    } else if (!s.inf_richards && !s.gw_simulation && !s.inf_redist && !s.lake_at_max) {
        jump_to_next_event(s);
    }
}

} // namespace

void event_end_step(model_state& s)
{
    if (!s.run_ended)
        return;
    if (s.qnt_mode && s.zebo_exchange) {
        exchange_with_host(s);
        if (run_stopped())
            return;
    }
    update_channel_beds(s);
    if (run_stopped())
        return;
    s.run_ended = 0;
    s.event_done = 1;
}
