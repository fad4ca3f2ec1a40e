// The pipe network's outlets into channel nodes: the inflow each channel
// node receives over a channel time, and the totals booked after routing.
#include <cmath>

#include "channel/channel_steps.h"
#include "core/model_state.h"

double superlink_chan_inflow(const model_state& s, int link, int node)
{
    if (s.superlink_chan_con_link.empty() || s.superlink_chan_dt <= 0.0)
        return 0.0;
    double q = 0.0;
    for (int j = 1; j <= s.num_sjunc; ++j)
        if (s.superlink_chan_con_link[j] == link && s.superlink_chan_con_node[j] == node &&
            std::fabs(s.sjunc_to_chan_vol[j]) > 1e-16)
            q += s.sjunc_to_chan_vol[j] / s.superlink_chan_dt;
    return q;
}

void superlink_chan_totals(model_state& s)
{
    if (s.sjunc_to_chan_vol.empty())
        return;
    for (int j = 1; j <= s.num_sjunc; ++j) {
        // With HIGH_HEAD_RELEASE the storm-sewer step books them itself.
        if (s.sjunc_inlet_type[j] == 999 && !s.high_head_release) {
            s.superlink_to_chan_event += s.sjunc_to_chan_vol[j];
            s.superlink_to_chan_total += s.sjunc_to_chan_vol[j];
        }
        s.sjunc_to_chan_vol[j] = 0.0;
    }
}
