// Lateral sediment of the overland-channel exchange: what the overland
// sediment step left suspended or settled in a channel cell goes with the
// cell's share of each grid-stream entry into the entry's channel node.
// The shares are of the volumes the cell held before its first entry, so
// that shares summing to 1 empty the cell.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "channel/routed_nodes.h"
#include "core/error_state.h"
#include "core/model_state.h"
#include "quality/chan_sediment.h"

namespace
{

void overbank_wash(model_state& s, sediment_table& t, int cell, int k, int l, double share, double dt)
{
    const int j = s.node_dim * l + k;
    for (int p = 1; p <= s.num_fine_classes; ++p) {
        const int i = s.sed_class[p];
        double& lateral = s.qlat_sed[k][l][i];
        const double held = std::max(s.ch_wash_vol[k][l][p] + lateral, 0.0);
        const double O = std::max(share * s.link_dx[l] * s.qlat[k][l] * s.SS_node_conc_vol[j][p] * dt, -held);
        lateral += O;
        if (!s.qlat_tot_sed.empty())
            s.qlat_tot_sed[k][l][i] += O;
        for (dvec* a : {&s.chan_sed_in_total, &s.chan_sed_in_event}) {
            (*a)[i] += O;
            (*a)[0] += O;
        }
        t.cell_tally[cell][i].suspended -= O;
    }
}

} // namespace

void chan_lateral_sediment(model_state& s, double dt)
{
    if (!s.chan_sed_on || !s.ov_sed || s.qlat_sed.empty())
        return;
    sediment_table& t = *s.ov_sed;
    const int n = s.sed.num_sed;
    const bool have_tot = !s.qlat_tot_sed.empty();
    for (int m = 1; m <= s.gst_ncells; ++m) {
        // Each entry takes its share of the volumes the cell held before its
        // first entry: of what is left, the entry's share of what is left.
        double left = 1.0;
        for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e) {
            const int l = s.gst_link[m][e], k = s.gst_node[m][e], c = s.gst_gnum[m][e];
            const double share = s.gst_pct[m][e];
            const double f = left > 1e-12 ? std::min(1.0, share / left) : 0.0;
            left -= share;
            if (!routed_link(s, l) || k < 1 || k > s.nx[l])
                continue;
            const int type = s.ltype[l];
            const bool shaped = (type & (4 | 8 | 16)) != 0;
            const bool overbank = s.overbank_flow || (shaped && (type & 256));
            const bool backwater = s.overland_backwater || (shaped && (type & 512));
            if ((overbank || backwater) && s.qlat[k][l] < 1e-16) {
                // Water leaving the channel over the bank carries the
                // node's wash load onto the cell, never more than the node
                // holds with what it was given this step.
                if (overbank && s.qlat[k][l] < -1e-16 && !s.SS_node_conc_vol.empty())
                    overbank_wash(s, t, c, k, l, share, dt);
                continue;
            }
            if (s.ov_depth[c] < 1e-16)
                continue;
            for (int i = 1; i <= n; ++i) {
                sed_tally& v = t.cell_tally[c][i];
                const double b = f * v.suspended;
                const double d = f * v.deposited;
                const double a = b + d;
                s.chan_sed_in_total[i] += a;
                s.chan_sed_in_event[i] += a;
                if (!s.sand[i]) {
                    s.chan_sed_in_total[0] += a;
                    s.chan_sed_in_event[0] += a;
                }
                double& lateral = s.qlat_sed[k][l][i];
                lateral += a;
                if (have_tot)
                    s.qlat_tot_sed[k][l][i] += a;
                if (std::isnan(lateral)) {
                    std::printf("qlat_sed is not a number, exiting.\n");
                    std::fflush(stdout);
                    error_set(err_stop);
                    report_error(error_state);
                    return;
                }
                v.suspended -= b;
                v.deposited -= d;
            }
        }
    }
}
