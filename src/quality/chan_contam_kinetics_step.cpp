// The loads of the channel constituents gathered between routing steps,
// each on its own clock: first-order decay at the nodes and in the lakes,
// the nutrient clock, the mass that leaves through the outlet node, the
// exchange with the aquifer through the stream and lake beds, and the rain
// that falls on the lakes.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include <omp.h>

#include "core/model_state.h"
#include "core/parallel.h"
#include "quality/chan_route_sources.h"
#include "quality/chan_sed_contam.h"
#include "quality/quality_steps.h"

namespace
{

// Stream-bed and lake-bed loads since the last load time; the lake cells'
// exchanged volumes start again afterwards.
void groundwater_loads(model_state& s)
{
    if (!(s.stream_loss || s.lake_gw_exchange) || !process_due(s, s.chan_load_next))
        return;
    const double now = s.current_time;
    const double dt = (now - s.chan_load_last) * 86400.0;
    s.chan_load_dt = dt;
    for (int i = 1; i <= s.num_constituents; ++i) {
        if (s.stream_loss)
            chan_gw_con_exchange(s, dt, i);
        if (s.lake_gw_exchange)
            lake_gw_con_exchange(s, i);
    }
    for (int c = 1; c <= s.lake_gw_cell_vol.size(); ++c)
        s.lake_gw_cell_vol[c] = 0.0;
    s.chan_load_last = now;
    s.chan_load_next = s.chan_next;
}

// Rain on each lake brings every constituent at its rain concentration,
// when the dissolved routing is due; the rain volumes start again.
void rain_on_lakes(model_state& s)
{
    if (!s.chan_lakes || !process_due(s, s.chan_con_next) || s.lake_precip_conc.empty())
        return;
    const int lakes = std::min(s.num_lakes, s.lake_precip_conc.size());
    for (int i = 1; i <= s.num_constituents && i <= s.lake_precip_mass.count; ++i)
        for (int k = 1; k <= lakes; ++k)
            s.lake_precip_mass[i][k] += s.lake_precip_conc[k] * s.precip_conc[i];
    for (int k = 1; k <= lakes; ++k)
        s.lake_precip_conc[k] = 0.0;
}

constexpr double seconds_per_day = 86400.0;

} // namespace

void chan_contam_kinetics_step(model_state& s)
{
    const double now = s.current_time;
    const int nc = s.num_constituents;
    if (s.chan_con_trans) {
        if (s.contam_table_read && process_due(s, s.chan_kin_next)) {
            const double dt = (now - s.chan_kin_last) * seconds_per_day;
            s.chan_kin_dt = dt;
            int bad_area = 0;
            // As many threads as constituents at most (see the routing step).
            const int threads = std::max(1, std::min(omp_get_max_threads(), nc));
#pragma omp parallel for schedule(static) num_threads(threads) reduction(+ : bad_area) \
    if (static_cast<long>(nc) * s.link_node_cells >= parallel_min_cells)
            for (int i = 1; i <= nc; ++i)
                if (s.constituent_type[i] == 1 && !chan_con_decay(s, i, dt))
                    ++bad_area;
            if (bad_area)
                std::printf("area negative");
            s.chan_kin_last = now;
            s.chan_kin_next = now + s.chan_dt_days * s.kinetics_timestep_factor;
        }
        if (s.nutrients && process_due(s, s.chan_qbn_next)) {
            s.chan_qbn_dt = now - s.chan_qbn_last;
            s.chan_qbn_last = now;
            s.chan_qbn_next = now + s.chan_dt_days * s.kinetics_timestep_factor;
        }
        if (process_due(s, s.chan_outlet_next)) {
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
    groundwater_loads(s);
    rain_on_lakes(s);
}
