// How the Sacramento discharge is spread over the channel: per grid-stream
// entry, by the node spacing times the entry's share of its cell, weighted
// by the cell's topographic index (TOPO_INDEX) or evenly between stream
// cells without it; without a grid-stream file, over the channel cells by
// their topographic index (or evenly).
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/error_state.h"
#include "core/model_state.h"
#include "subsurface/lumped_models.h"

namespace
{

void stop(const char* first, const char* second)
{
    std::printf("%s", first);
    std::printf("%s", second);
    error_set(err_stop);
}

bool topo_on(const model_state& s)
{
    return s.sac_topo_index && s.topo_dex.size() >= s.num_cells;
}

void grid_stream_weights(model_state& s)
{
    const int cells = s.gst_ncells;
    std::vector<double> index(static_cast<std::size_t>(cells) + 1, 0.0);
    double sum = 0.0;
    bool positive = false;
    for (int m = 1; m <= cells; ++m) {
        const int c = s.gst_ncellsingrid[m] >= 1 ? s.gst_gnum[m][1] : 0;
        index[m] = topo_on(s) ? (c >= 1 && c <= s.num_cells ? s.topo_dex[c] : 0.0) : 1.0;
        positive = positive || index[m] > 0.0;
        sum += index[m];
    }
    if (positive && sum < 1e-10) {
        stop("Problem, sum of the topographic indices in all channel-containing grids is <=0.0\n",
             "Program terminated\n");
        return;
    }
    for (int m = 1; m <= cells && sum > 0.0; ++m)
        index[m] /= sum;

    double spacing = 0.0;
    for (int m = 1; m <= cells; ++m)
        for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e)
            spacing += s.link_dx[s.gst_link[m][e]] * s.gst_pct[m][e];
    double total = 0.0;
    for (int m = 1; m <= cells; ++m)
        for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e) {
            const double w =
                spacing > 0.0 ? s.link_dx[s.gst_link[m][e]] * s.gst_pct[m][e] / spacing * index[m] : 0.0;
            if (!(w > 0.0)) {
                stop("Problem, gst_sac_weight <=0.0\n", "Program terminated\n");
                return;
            }
            s.gst_sac_weight[m][e] = w;
            total += w;
        }
    double check = 0.0;
    for (int m = 1; m <= cells; ++m)
        for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e) {
            s.gst_sac_weight[m][e] /= total;
            check += s.gst_sac_weight[m][e];
        }
    if (!s.super_quiet && !s.calib_mode)
        std::printf("Sac Weights: %lf\n", check);
    if (std::fabs(check - 1.0) > 1e-9)
        stop("Problem, summation of the Sacramento weights is not equal to 1.0.\n", "Program terminated.\n");
}

void channel_cell_weights(model_state& s)
{
    const int n = s.num_cells;
    dvector_alloc_zero(s.sac_cell_weight, n, "sac_cell_weight");
    double sum = 0.0;
    for (int c = 1; c <= n && c <= s.con_link.size(); ++c)
        if (s.con_link[c] > 0) {
            s.sac_cell_weight[c] = topo_on(s) ? s.topo_dex[c] : 1.0;
            sum += s.sac_cell_weight[c];
        }
    if (!(sum > 0.0)) {
        stop("Problem, sum of the topographic indices in all channel-containing grids is <=0.0\n",
             "Program terminated\n");
        return;
    }
    for (int c = 1; c <= n; ++c) {
        s.sac_cell_weight[c] /= sum;
        if (topo_on(s) && s.con_link.size() >= c && s.con_link[c] > 0)
            s.topo_dex[c] = s.sac_cell_weight[c];
    }
}

} // namespace

void compute_sacramento_weights(model_state& s)
{
    if (!s.sacramento || !s.chan_explicit)
        return;
    if (s.grid_stream && s.gst_ncells > 0)
        grid_stream_weights(s);
    else
        channel_cell_weights(s);
}
