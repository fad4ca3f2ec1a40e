#include "channel/chan_routing.h"
#include "channel/channel_steps.h"
#include "channel/routed_nodes.h"
#include "core/model_state.h"
#include "input/time_series.h"

double chan_node_continuity(model_state& s, const dnode_mat& q, dnode_mat& area, double t, double& out_sum)
{
    double in_sum = 0.0;
    const int L = s.num_links;
    for (int i = 1; i <= L; ++i) {
        if (!routed_link(s, i))
            continue;
        const int n = s.nx[i];
        const double dx = s.link_dx[i];
        for (int j = 1; j <= n; ++j) {
            const double V = dx * s.qlat[j][i] * t;
            double B = V;
            if (j == 1) {
                if (s.ndep[i] > 0) {
                    double up = 0.0;
                    for (int k = 1; k <= s.ndep[i]; ++k) {
                        const int u = s.uslinks[i][k];
                        up += q[s.nx[u]][u];
                    }
                    B += t * up - t * q[1][i];
                } else {
                    B += (s.first_order_chan_q - q[1][i]) * t;
                }
            }
            const bool held_outlet = i == L && j == n && s.head_bound;
            if (held_outlet)
                B = 0.0;
            else if (j > 1)
                B += (q[j - 1][i] - q[j][i]) * t;
            // The held outlet passes its point input on in its discharge.
            if (s.chan_point_on && !held_outlet)
                B += t * s.chan_point_q[i * s.node_dim + j];
            if (!s.xy_stream_q.empty() && !held_outlet)
                B += t * s.xy_stream_q[j][i];
            if (s.storm_sewer)
                B += t * superlink_chan_inflow(s, i, j);
            if (!s.stream_pointsource.empty()) {
                time_series* ts = s.stream_pointsource[j][i];
                if (ts)
                    B += t * ts_value_at(s.current_time, ts);
            }
            const double W = dx * area[j][i];
            if (s.stream_loss) {
                // A losing node gives the aquifer no more than it holds.
                double& r = s.qriv[j][i];
                if (r < 0.0 && r * t * dx + B + W < 0.0)
                    r = B < 0.0 ? -(B + W) / (dx * t) : -W / (dx * t);
                if (!held_outlet)
                    area[j][i] = (B + t * r * dx + W) / dx;
            } else {
                area[j][i] = (B + W) / dx;
            }
            if (V > 0.0)
                in_sum += V;
            else
                out_sum += V;
        }
    }
    return in_sum;
}
