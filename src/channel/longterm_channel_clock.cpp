// The channel clock of a long-term run between storms: once the network
// holds less than 1 % of the event's rain, a lake above its lowest stage
// keeps the channel on a step of at most a minute, a gaining stream on the
// groundwater step, and otherwise a drained network (outlet below 1e-6 m3/s)
// sleeps on the overland clock until a surface, pipe or groundwater step
// wakes it.
#include "channel/channel_steps.h"
#include "channel/routed_nodes.h"
#include "core/model_state.h"

namespace
{

// The step halved until it is at most a minute.
double at_most_a_minute(double dt)
{
    while (dt > 60.0)
        dt *= 0.5;
    return dt;
}

bool lake_above_min(const model_state& s)
{
    if (!s.chan_lakes)
        return false;
    for (int k = 1; k <= s.num_lakes && k <= s.lake_elev.size() && k <= s.minwse.size(); ++k)
        if (s.lake_elev[k] > s.minwse[k])
            return true;
    return false;
}

} // namespace

void longterm_channel_clock(model_state& s)
{
    if (!s.long_term)
        return;
    if (s.raining > 0)
        s.dry_chan_steps = 0;
    if (s.surface_active || s.ov_flowing || s.raining || s.superlink_chan_flag)
        return;
    const bool lakes_up = lake_above_min(s);
    if (s.dry_chan_steps != 0 && (lakes_up || s.stream_gw_status != 0))
        return;
    s.chan_vol = channel_water_volume(s, s.chan_lakes != 0);
    if (!(0.01 * s.rain_vol > s.chan_vol || s.rain_vol == 0.0))
        return;
    ++s.dry_chan_steps;
    const double now = s.current_time;
    if (lakes_up) {
        s.chan_dt = at_most_a_minute(s.gw_simulation ? s.gw_dt : 60.0);
        if (s.chan_con_trans && s.chan_dt > s.timestep)
            s.chan_dt = s.timestep;
        s.chan_dt_days = s.chan_dt / 86400.0;
        s.chan_next = now + s.chan_dt_days;
    } else if (s.stream_gw_status == 1) {
        // The routing sub-steps at most a minute, but the clock keeps the
        // groundwater step.
        s.chan_dt = at_most_a_minute(s.gw_dt);
        s.chan_dt_days = s.gw_dt / 86400.0;
        s.chan_next = now + s.chan_dt_days;
    } else if (s.qout < 1e-6) {
        s.chan_dt_days = s.ov_dt_days;
        s.chan_next = s.ov_next;
        s.chan_routing_active = 0;
    }
}
