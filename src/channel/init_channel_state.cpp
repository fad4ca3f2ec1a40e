#include "channel/chan_point_input.h"
#include "channel/chan_routing.h"
#include "channel/channel_services.h"
#include "channel/channel_steps.h"
#include "channel/hydraulic_structures.h"
#include "channel/routed_nodes.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "input/time_series.h"

int stream_head_boundary(model_state& s)
{
    if (s.bound_ts_given && s.bound_series)
        s.bound_depth = ts_value_at(s.current_time, s.bound_series);
    const int L = s.num_links;
    if (L < 1 || s.nx[L] < 1 || s.yp.empty())
        return 0;
    const int n = s.nx[L];
    s.yp[n][L] = s.bel[n][L] + s.bound_depth;
    s.chan_depth[n][L] = s.bound_depth;
    return 0;
}

void init_channel_state(model_state& s)
{
    if (s.chan_explicit && !structure_links_setup(s))
        return;
    s.chan_routing_active = 0;
    s.dry_chan_steps = 0;
    s.chan_events_started = 0;
    if (s.head_bound) {
        if (s.bound_ts_given) {
            s.bound_series = ts_find(s.bound_ts_name);
            if (!s.bound_series) {
                error_set(err_head_series_missing, s.bound_ts_name.c_str());
                return;
            }
        }
        stream_head_boundary(s);
        s.chan_routing_active = 1;
    }
    if (!s.chan_explicit)
        return;
    chan_route_work_reset(s);
    ex_section(s, 2);
    s.chan_initial_volume = channel_water_volume(s, false);
    s.lake_run_initial_volume = 0.0;
    if (s.chan_lakes)
        for (int k = 1; k <= s.num_lakes; ++k)
            s.lake_run_initial_volume += s.lake_volume[k];
    // TODO: initial channel constituent masses (CHAN_CON_TRANS).
    if (!s.chan_point_input_name.empty())
        chan_point_input_setup(s);
    // TODO: channel cells of the grid-stream entries for soil erosion
    // (SOIL_EROSION).
}
