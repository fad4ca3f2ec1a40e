// How the conceptual groundwater discharge is spread over the channel: each
// link takes the upslope area it adds to the network (its largest entry
// area less what its upstream links bring), shared evenly between its
// nodes, and each grid-stream entry its cell's share of that.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/error_state.h"
#include "core/model_state.h"
#include "subsurface/lumped_models.h"

void compute_cgw_weights(model_state& s)
{
    if (!s.conceptual_gw || !s.chan_explicit)
        return;
    const int L = s.num_links;
    const int cells = s.gst_ncells;
    const int n = s.num_cells;
    if (cells < 1 || L < 1 || s.upslope_area.size() < n || s.con_link.size() < n) {
        std::printf(
            "The conceptual groundwater model needs the channel's grid-stream file and the link map\n");
        error_set(err_stop);
        return;
    }
    s.gst_cgw_weight.assign(cells, s.gst_max_entries > 0 ? s.gst_max_entries : 1, 0.0);

    double amax = 0.0;
    for (int c = 1; c <= n; ++c)
        if (s.con_link[c] > 0) {
            std::printf("%d  link  %d area %8.2lf \n", c, s.con_link[c], s.upslope_area[c]);
            amax = std::max(amax, s.upslope_area[c]);
        }

    // Largest, smallest and second value of each link's entry areas.
    std::vector<double> lmax(L + 1, 0.0), lmin(L + 1, 0.0), own_min(L + 1, 0.0), second(L + 1, 0.0);
    std::vector<char> any(L + 1, 0);
    auto entry_area = [&](int m, int e) { return s.upslope_area[s.gst_gnum[m][e]]; };
    for (int m = 1; m <= cells; ++m)
        for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e) {
            const int l = s.gst_link[m][e];
            const double a = entry_area(m, e);
            if (!any[l]) {
                lmax[l] = own_min[l] = a;
                any[l] = 1;
            } else {
                lmax[l] = std::max(lmax[l], a);
                own_min[l] = std::min(own_min[l], a);
            }
        }
    for (int l = 1; l <= L; ++l) {
        lmin[l] = own_min[l];
        if (s.ndep[l] > 0)
            lmin[l] = lmax[s.uslinks[l][1]];
        if (s.ndep[l] > 0 && lmax[l] - lmin[l] <= 0.0) {
            second[l] = lmin[l];
            continue;
        }
        double best = own_min[l];
        for (int m = 1; m <= cells; ++m)
            for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e)
                if (s.gst_link[m][e] == l) {
                    const double a = entry_area(m, e);
                    if (a < lmax[l] && a > own_min[l] && a > best)
                        best = a;
                }
        second[l] = best;
    }

    const double cell_area = s.gridsize * s.gridsize;
    std::vector<double> share(L + 1, 0.0);
    for (int l = 1; l <= L; ++l) {
        double c = s.ndep[l] > 0 ? lmax[l] - lmin[l] : lmax[l];
        if (c <= 0.0)
            c = cell_area;
        const int d = s.dslink.size() >= l ? s.dslink[l] : 0;
        if (d >= 1 && d <= L && s.ndep[d] > 1) {
            for (int k = 1; k <= s.ndep[d]; ++k) {
                const int u = s.uslinks[d][k];
                if (u != l && lmax[u] - lmin[u] > 0.0)
                    c -= second[u];
            }
            if (c <= 0.0)
                c = cell_area;
        }
        share[l] = amax > 0.0 && s.nx[l] > 0 ? c / s.nx[l] / amax : 0.0;
    }

    double sum = 0.0;
    for (int m = 1; m <= cells; ++m)
        for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e) {
            s.gst_cgw_weight[m][e] = share[s.gst_link[m][e]] * s.gst_pct[m][e];
            sum += s.gst_cgw_weight[m][e];
        }
    if (!s.super_quiet && !s.calib_mode)
        std::printf("CGW Weights: %lf\n", sum);
    if (std::fabs(sum - 1.0) > 1e-9) {
        // The discharge must reach the channel whole: the weights are scaled
        // to a sum of 1.
        std::printf("Summation of the cgw weights is not equal to 1.0.\n");
        if (sum > 0.0)
            for (int m = 1; m <= cells; ++m)
                for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e)
                    s.gst_cgw_weight[m][e] /= sum;
    }
}
