// The loads of the channel constituents gathered between routing steps,
// each on its own clock: first-order decay at the nodes and in the lakes,
// the nutrient clock, and the mass that leaves through the outlet node.
#include <cmath>
#include <cstdio>

#include "core/model_state.h"
#include "quality/chan_route_sources.h"
#include "quality/quality_steps.h"

namespace
{

constexpr double seconds_per_day = 86400.0;

bool due(const model_state& s, double next)
{
    return std::fabs(next - s.current_time) < s.time_tol;
}

} // namespace

void chan_contam_kinetics_step(model_state& s)
{
    const double now = s.current_time;
    const int nc = s.num_constituents;
    if (s.chan_con_trans) {
        if (s.contam_table_read && due(s, s.chan_kin_next)) {
            const double dt = (now - s.chan_kin_last) * seconds_per_day;
            s.chan_kin_dt = dt;
            int bad_area = 0;
#pragma omp parallel for schedule(static) reduction(+ : bad_area)
            for (int i = 1; i <= nc; ++i)
                if (s.constituent_type[i] == 1 && !chan_con_decay(s, i, dt))
                    ++bad_area;
            if (bad_area)
                std::printf("area negative");
            s.chan_kin_last = now;
            s.chan_kin_next = now + s.chan_dt_days * s.kinetics_timestep_factor;
        }
        if (s.nutrients && due(s, s.chan_qbn_next)) {
            s.chan_qbn_dt = now - s.chan_qbn_last;
            s.chan_qbn_last = now;
            s.chan_qbn_next = now + s.chan_dt_days * s.kinetics_timestep_factor;
        }
        if (due(s, s.chan_outlet_next)) {
            s.chan_outlet_dt = (now - s.chan_outlet_last) * seconds_per_day;
            const int L = s.num_links;
            if (s.chan_outflow_vol > 1e-16 && L >= 1) {
                const int outlet = s.node_dim * L + s.nx[L];
                for (int i = 1; i <= nc; ++i)
                    if (s.constituent_type[i] != 3)
                        s.chan_outlet_acc[i] += s.chan_conc[i][outlet] * s.chan_outflow_vol;
            }
            s.chan_outflow_vol = 0.0;
            s.ov_outlet_vol_acc = 0.0;
            s.chan_outlet_last = now;
            s.chan_outlet_next = s.chan_next;
        }
    }
    // TODO: the groundwater loads through the stream and lake beds
    // (chan_gw_con_exchange, lake_gw_con_exchange) on their clock, and the
    // rain on the lakes when the routing is due (STREAM_LOSS, MLAKE, lakes).
}
