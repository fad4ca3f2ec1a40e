// Sums, every base step, the flows that reach each KZ segment.
#include <cmath>

#include "coupling/kz_data.h"

void kz_accumulate_fluxes(kz_data& kz, const dvec& ov_qx, const dvec& ov_qy, int num_cells,
                          const ivec& rightcon, const ivec& belowcon, int chan_routing, const dnode_mat& qp,
                          double /*dx*/)
{
    if (kz.nseg < 1 || kz.flux.size() < static_cast<std::size_t>(kz.nseg) + 1)
        return;
    ++kz.nsteps;
    const int n = kz.seg_map.size() >= num_cells && ov_qx.size() >= num_cells && ov_qy.size() >= num_cells &&
                          rightcon.size() >= num_cells && belowcon.size() >= num_cells
                      ? num_cells
                      : 0;
    const int* seg = kz.seg_map.data();
    const int* right = rightcon.data();
    const int* below = belowcon.data();
    const double* qx = ov_qx.data();
    const double* qy = ov_qy.data();
    double* flux = kz.flux.data();
    const int nseg = kz.nseg;
    // Only faces between a segment and cells outside every segment count.
    // The face discharges are already m3/s, like the channel's.
#pragma omp parallel for schedule(static) reduction(+ : flux[:nseg + 1]) if (n >= 20000)
    for (int i = 1; i <= n; ++i) {
        const int si = seg[i];
        const int r = right[i];
        if (r > 0 && (si != 0) != (seg[r] != 0))
            flux[si != 0 ? si : seg[r]] += std::fabs(qx[i]);
        const int b = below[i];
        if (b > 0 && (si != 0) != (seg[b] != 0))
            flux[si != 0 ? si : seg[b]] += std::fabs(qy[i]);
    }
    if (chan_routing && !qp.empty())
        for (int k = 0; k < kz.nrows; ++k)
            flux[kz.segment[static_cast<std::size_t>(k)]] +=
                std::fabs(qp[kz.node[static_cast<std::size_t>(k)]][kz.link[static_cast<std::size_t>(k)]]);
}
