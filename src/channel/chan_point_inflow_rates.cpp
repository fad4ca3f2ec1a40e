#include "channel/chan_point_input.h"
#include "channel/routed_nodes.h"
#include "core/model_state.h"
#include "input/time_series.h"

chan_point_rates chan_point_inflow_rates(const model_state& s)
{
    chan_point_rates r;
    const bool file = s.chan_point_on && !s.chan_point_q.empty();
    const bool series = !s.stream_pointsource.empty();
    const bool nested = !s.xy_stream_q.empty();
    if (!file && !series && !nested)
        return r;
    // TODO: POINTSOURCE series on lake links, booked in the lake point-source
    // totals with the lake routing (channel lakes).
    for (int l = 1; l <= s.num_links; ++l) {
        if (!routed_link(s, l))
            continue;
        for (int n = 1; n <= s.nx[l]; ++n) {
            if (file)
                r.in += s.chan_point_q[l * s.node_dim + n];
            if (nested)
                r.in += s.xy_stream_q[n][l];
            if (series && s.stream_pointsource[n][l]) {
                const double v = ts_value_at(s.current_time, s.stream_pointsource[n][l]);
                (v > 0.0 ? r.in : r.out) += v > 0.0 ? v : -v;
            }
        }
    }
    return r;
}
