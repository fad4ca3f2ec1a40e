#include <cmath>
#include <cstdio>

#include "channel/chan_file.h"
#include "channel/chan_routing.h"
#include "channel/hydraulic_structures.h"
#include "core/model_state.h"

namespace
{

bool channel_shaped(int type) { return (type & (4 | 8 | 16)) != 0; }
bool captured(int type) { return channel_shaped(type) && (type & 128); }

double stage(const model_state& s, int node, int link) { return s.bel[node][link] + s.chan_depth[node][link]; }

// Diffusive-wave discharge between two nodes: upstream conveyance for a
// downhill surface, downstream conveyance (negative) for an uphill one.
double wave_q(double slope, double conv_up, double conv_down)
{
    return slope < 0.0 ? -std::sqrt(-slope) * conv_down : std::sqrt(slope) * conv_up;
}

} // namespace

int chan_link_flows(model_state& s, dnode_mat& q, double dt_sub)
{
    const int L = s.num_links;
    for (int i = L; i >= 1; --i) {
        const int type = s.ltype[i];
        if ((type & 32) || captured(type))
            continue;
        if (type & 64) {
            q[1][i] = q[2][i] = structure_link_flow(s, i, dt_sub);
            continue;
        }
        const int n = s.nx[i];
        if (n < 1)
            continue;
        const double dx = s.link_dx[i];
        if (i != L) {
            const int ds = s.dslink[i];
            const int dtype = ds >= 1 && ds <= L ? s.ltype[ds] : 0;
            if ((dtype & 32) || captured(dtype)) {
                const int lake = s.lake2link[ds];
                const double S = (stage(s, n, i) - s.lake_elev[lake]) / (2.0 * dx);
                q[n][i] = S > 0.0 ? std::sqrt(S) * s.conv[n][i] : 0.0;
            } else if (dtype & 64) {
                q[n][i] = q[1][ds];
            } else if (channel_shaped(dtype)) {
                const double S = (stage(s, n, i) - stage(s, 1, ds)) / ((s.link_dx[ds] + dx) / 2.0);
                q[n][i] = wave_q(S, s.conv[n][i], s.conv[1][ds]);
            }
        }
        for (int m = n - 1; m >= 1; --m) {
            const double S = (stage(s, m, i) - stage(s, m + 1, i)) / dx;
            q[m][i] = wave_q(S, s.conv[m][i], s.conv[m + 1][i]);
        }
        if (i == L && n >= 2) {
            if (s.head_bound) {
                q[n][i] = s.qlat[n][i] * dx + q[n - 1][i];
                if (s.chan_point_on)
                    q[n][i] += s.chan_point_q[i * s.node_dim + n];
                if (!s.xy_stream_q.empty())
                    q[n][i] += s.xy_stream_q[n][i];
                if (s.stream_loss)
                    q[n][i] += s.qriv[n][i] * dx;
            } else {
                const double S0 = (s.bel[n - 1][i] - s.bel[n][i]) / dx;
                if (S0 < 0.0) {
                    std::printf("The outlet slope is negative.  Make sure that the bed\n");
                    std::printf("elevation of the most downstream node is lower than\n");
                    std::printf("the bed elevation of the node just upstream from it.\n");
                    std::printf("Program stopped.\n");
                    chan_stop();
                    return -1;
                }
                q[n][i] = std::sqrt(S0) * s.conv[n][i];
            }
        }
    }
    return 0;
}
