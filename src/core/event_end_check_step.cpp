// The end of events and runs: the stop date, the end of an event run, and
// the recession test that ends the events of long-term and host-driven
// runs, moving the process clocks on to the next event.
#include <algorithm>
#include <cstdio>

#include "core/model_state.h"
#include "core/run_steps.h"
#include "output/analyzer.h"

namespace
{

constexpr double hmet_data_ended = -10.0;

void end_event(model_state& s, bool last, const char* last_message)
{
    s.event_active = 0;
    s.run_ended = 1;
    s.event_done = 1;
    if (!last)
        return;
    s.keep_running = 0;
    if (!s.super_quiet && !s.calib_mode)
        std::printf("%s", last_message);
}

bool channel_above(const model_state& s, double q_min)
{
    const int links = std::min(s.num_links, s.nx.size());
    for (int l = 1; l <= links && l <= s.qp.cols(); ++l)
        for (int n = 1; n <= s.nx[l] && n <= s.qp.rows(); ++n)
            if (s.qp[n][l] > q_min)
                return true;
    return false;
}

// Between events only the hourly work runs: the surface clocks wait for the
// next event's start.
void move_clocks_to_next_event(model_state& s, bool peak_below_threshold)
{
    if (s.event_num >= s.num_events)
        return;
    const double e = event_start_time(s, s.event_num + 1);
    s.ov_next = e;
    s.ov_last = e - s.ov_dt_days;
    if (s.chan_explicit) {
        s.chan_next = e;
        if (peak_below_threshold)
            s.gw_step_count = 0;
    }
    if (s.ov_con_trans) {
        s.contam_last = s.ov_last;
        s.contam_next = std::min(s.ov_next, s.inf_next);
        s.precip_load_next = s.inf_next;
        s.precip_con_next = s.ov_next;
        if (s.chan_explicit)
            s.ov_chan_exch_next = s.ov_next;
        else
            s.outlet_con_next = s.ov_next;
        if (s.contam_table_read)
            s.soil_exch_next = s.ov_loss_next = s.ov_next;
    }
    if (s.chan_con_trans && (peak_below_threshold || s.chan_explicit)) {
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
        if (s.stream_loss || s.lake_gw_exchange) {
            s.chan_load_next = s.chan_next;
            s.chan_load_last = s.chan_last;
        }
    }
}

// Long-term and host-driven runs: an event whose rain is over ends when the
// outlet has receded below the threshold. False when the run goes on and the
// step ends at once.
bool recession_test(model_state& s)
{
    const bool last = s.event_num == s.num_events;
    if (s.qout < s.event_min_q) {
        if (last) {
            const int n = std::min(s.num_cells, s.ov_depth.size());
            double volume = 0.0;
            for (int j = 1; j <= n; ++j)
                volume += s.ov_depth[j] * s.gridsize * s.gridsize;
            s.surface_vol = volume;
            if (s.rain_vol > 0.0 && s.surface_vol - s.init_surface_vol >= 0.05 * s.rain_vol &&
                !s.water_table && !s.sacramento) {
                s.keep_running = 1;
                return false;
            }
        }
        const bool never_reached = s.event_min_q > s.peak_q;
        if (never_reached) {
            if (s.chan_explicit && channel_above(s, s.event_min_q)) {
                s.keep_running = 1;
                return false;
            }
            end_event(s, last,
                      "simulation ended normally; peak flow after last event fell below cutoff value.\n");
        } else {
            end_event(s, last, "simulation ended normally; end of data for last event reached\n");
        }
        if (!s.inf_richards && !s.gw_simulation && !s.ov_point_source && !s.inf_redist && !s.lake_at_max)
            move_clocks_to_next_event(s, never_reached);
    } else if (last && s.hmet_next == hmet_data_ended && (s.water_table || s.sacramento)) {
        s.event_active = 0;
        s.run_ended = 1;
        s.event_done = 1;
        s.keep_running = 0;
    }
    return true;
}

} // namespace

void event_end_check_step(model_state& s)
{
    if (s.end_time_on && s.current_time > s.end_time_julian) {
        s.run_ended = 1;
        s.event_done = 1;
        s.event_active = 0;
        s.keep_running = 0;
        return;
    }
    if (!s.long_term && !s.qnt_mode && s.current_time >= s.event_end_time) {
        s.keep_running = 0;
        s.event_active = 0;
        s.run_ended = 1;
        s.event_done = 1;
    }
    if ((s.long_term || s.qnt_mode) && s.event_active && (s.rain_state == 0 || s.rain_state == 3) &&
        !recession_test(s))
        return;
    if (s.run_ended)
        notify_analyzers(s, analyzer_event_end);
}
