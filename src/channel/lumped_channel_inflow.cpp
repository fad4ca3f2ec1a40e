// The lumped subsurface models' discharge enters the channel at every
// channel time, wet cells or not: spread over the grid-stream entries by
// their weights (or over the channel cells without a grid-stream file) as
// lateral inflow per metre of channel.
#include "channel/chan_routing.h"
#include "core/model_state.h"

namespace
{

bool open_entry(const model_state& s, int m, int e)
{
    const int l = s.gst_link[m][e], n = s.gst_node[m][e], c = s.gst_gnum[m][e];
    const int type = s.ltype[l];
    if ((type & (32 | 64)) || ((type & 128) && (type & (4 | 8 | 16))))
        return false;
    return !(s.chan_lakes && ((c <= s.lake_mask.size() && s.lake_mask[c] >= 1) || n > s.nx[l]));
}

} // namespace

double lumped_channel_inflow(model_state& s, double dt)
{
    const double sac = s.sacramento ? s.sac_to_chan : 0.0;
    const double cgw = s.conceptual_gw ? s.cgw_to_chan : 0.0;
    if (sac == 0.0 && cgw == 0.0)
        return 0.0;
    double volume = 0.0;
    if (s.grid_stream && s.gst_ncells > 0) {
        const bool sac_w = s.sacramento && s.gst_sac_weight.rows() >= s.gst_ncells;
        const bool cgw_w = s.conceptual_gw && s.gst_cgw_weight.rows() >= s.gst_ncells;
        for (int m = 1; m <= s.gst_ncells; ++m)
            for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e) {
                if (!open_entry(s, m, e))
                    continue;
                const int l = s.gst_link[m][e], n = s.gst_node[m][e];
                double q = 0.0;
                if (sac_w)
                    q += sac * s.gst_sac_weight[m][e];
                if (cgw_w)
                    q += cgw * s.gst_cgw_weight[m][e];
                s.qlat[n][l] += q / s.link_dx[l];
                volume += q * dt;
            }
        return volume;
    }
    const int cells = s.sac_cell_weight.size();
    for (int c = 1; c <= cells && c <= s.con_link.size(); ++c) {
        const int l = s.con_link[c];
        if (l < 1 || s.sac_cell_weight[c] <= 0.0)
            continue;
        const double q = sac * s.sac_cell_weight[c];
        s.qlat[s.con_node[c]][l] += q / s.link_dx[l];
        volume += q * dt;
    }
    return volume;
}
