#include "channel/chan_routing.h"
#include "channel/channel_services.h"
#include "channel/channel_steps.h"
#include "channel/routed_nodes.h"
#include "core/model_state.h"

void channel_event_start(model_state& s)
{
    if (!s.chan_explicit || s.num_links < 1 || s.area.empty())
        return;
    const bool carried = s.inf_richards || s.gw_simulation || s.soil_water_acct;
    const bool first = s.chan_events_started++ == 0;
    // The first event keeps the storage a channel hotstart gave.
    const bool hotstart_kept = first && s.chan_hotstart_read;
    if ((!carried || first) && !hotstart_kept) {
        for (int l = 1; l <= s.num_links; ++l) {
            for (int n = 1; n <= s.nx[l]; ++n) {
                s.qp[n][l] = 0.0;
                s.yp[n][l] = s.bel[n][l];
                s.chan_depth[n][l] = 0.0;
                s.qlat[n][l] = 0.0;
            }
        }
        if (s.head_bound)
            stream_head_boundary(s);
    }
    ex_section(s, 2);
    if (s.chan_lakes) {
        s.lake_initial_volume = 0.0;
        for (int k = 1; k <= s.num_lakes; ++k)
            s.lake_initial_volume += s.lake_volume[k];
    }
    // TODO: the channel and lake constituent masses (CHAN_CON_TRANS).
    s.init_chan_vol = channel_water_volume(s, false);
}
