// Constituent loads exchanged with the aquifer through the beds of the
// routed channels and of the channel lakes. Water rising from the aquifer
// carries the aquifer's concentration (soil_group_rows); water sinking into
// it carries the channel's or the lake's.
#include <algorithm>

#include "core/model_state.h"
#include "quality/chan_sed_contam.h"

namespace
{

double aquifer_conc(const model_state& s, int i, int cell)
{
    const double* row = row_array_get(s.soil_group_rows, i);
    return row && cell >= 1 && cell <= s.soil_group_rows.width ? row[cell] : 0.0;
}

} // namespace

void chan_gw_con_exchange(model_state& s, double dt, int i)
{
    if (i > s.chan_gw_mass.count || i > s.chan_conc.count)
        return;
    double* load = s.chan_gw_mass[i];
    const double* conc = s.chan_conc[i];
    if (s.water_table) {
        if (s.gst_qriv_vol.empty())
            return;
        // The volumes each stream cell exchanged since the last load.
        for (int m = 1; m <= s.gst_ncells; ++m) {
            for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e) {
                const int l = s.gst_link[m][e], n = s.gst_node[m][e], c = s.gst_gnum[m][e];
                if (l < 1 || l > s.num_links || !con_routed_link(s, l) || n < 1 || n > s.nx[l])
                    continue;
                if (s.gw_simulation && (c > s.gwbound.size() || s.gwbound[c] != 4))
                    continue;
                const int j = s.node_dim * l + n;
                const double V = s.gst_qriv_vol[m][e];
                load[j] += V * (V >= 0.0 ? aquifer_conc(s, i, c) : conc[j]);
            }
        }
        return;
    }
    // Without a water table the bed only loses, at the channel's
    // concentration: the node's seepage (per metre of channel) times its
    // spacing over the step.
    if (s.qriv.empty())
        return;
    for (int l = 1; l <= s.num_links; ++l) {
        if (!con_routed_link(s, l))
            continue;
        for (int n = 1; n <= s.nx[l]; ++n) {
            const int j = s.node_dim * l + n;
            load[j] += s.qriv[n][l] * s.link_dx[l] * conc[j] * dt;
        }
    }
}

void lake_gw_con_exchange(model_state& s, int i)
{
    if (!s.chan_lakes || i > s.lake_gw_mass.count || i > s.lake_conc.count ||
        s.lake_gw_cell_vol.size() < s.num_cells)
        return;
    for (int k = 1; k <= s.num_lakes; ++k) {
        if (k > s.calc_loss.size() || !s.calc_loss[k])
            continue;
        for (int e = 1; e <= s.lake_cells[k] && e <= s.numpts[k]; ++e) {
            const int row = s.lake_search[k][1][e];
            const int col = s.lake_search[k][2][e];
            if (row < 1 || col < 1 || row > s.mask.rows() || col > s.mask.cols())
                continue;
            const int c = s.mask[row][col];
            if (c < 1 || c > s.num_cells)
                continue;
            if (s.gw_simulation && (c > s.gwbound.size() || s.gwbound[c] != 7))
                continue;
            const double V = s.lake_gw_cell_vol[c];
            s.lake_gw_mass[i][k] += V * (V > 0.0 ? aquifer_conc(s, i, c) : s.lake_conc[i][k]);
        }
    }
}
