#include <cstdio>
#include <vector>

#include "channel/chan_file.h"
#include "channel/channel_input.h"
#include "core/model_state.h"

void grid_stream_setup(model_state& s)
{
    if (!s.grid_stream)
        return;
    for (int l = 1; l <= s.num_links; ++l) {
        if (s.ltype[l] & (32 | 64))
            continue;
        if (s.link_dx[l] < 1e-4) {
            std::printf("\nYour channel node spacing is %f in link %d\n", s.link_dx[l], l);
            std::printf("You must specify a realistic value.  Program terminated.\n");
            chan_stop();
            return;
        }
    }
    const int n = s.gst_ncells, m = std::max(s.gst_max_entries, 1);
    if (n < 1)
        return;
    s.gst_row.assign(n, m, 0);
    s.gst_col.assign(n, m, 0);
    s.gst_qlat.assign(n, m, 0.0);
    if (s.gw_simulation || s.stream_loss || s.chan_con_trans) {
        s.gst_qriv.assign(n, m, 0.0);
        s.gst_qriv_vol.assign(n, m, 0.0);
        s.gst_Vp.assign(s.node_dim, s.link_dim, 0.0);
    }
    if (s.chan_lakes && s.lake_gw_exchange)
        s.gst_lake_exchange.assign(s.num_cells, 0.0);

    // Row and column of every cell number, from one sweep over the grid.
    std::vector<int> row_of(static_cast<size_t>(s.num_cells) + 1, 0), col_of(row_of.size(), 0);
    for (int i = 1; i <= s.rows; ++i) {
        for (int j = 1; j <= s.cols; ++j) {
            const int c = s.mask[i][j];
            if (c >= 1 && c <= s.num_cells && row_of[static_cast<size_t>(c)] == 0) {
                row_of[static_cast<size_t>(c)] = i;
                col_of[static_cast<size_t>(c)] = j;
            }
        }
    }
    for (int c = 1; c <= n; ++c) {
        for (int e = 1; e <= s.gst_ncellsingrid[c]; ++e) {
            const int g = s.gst_gnum[c][e];
            if (g < 1 || g > s.num_cells)
                continue;
            s.gst_row[c][e] = row_of[static_cast<size_t>(g)];
            s.gst_col[c][e] = col_of[static_cast<size_t>(g)];
        }
    }
}
