#include <algorithm>
#include <cmath>

#include "channel/channel_state.h"
#include "channel/hydraulic_structures.h"

double weir_flow(const chan_struct_rec& w, double U, double D)
{
    const double z = w.up_elev;
    if (z > U && z > D)
        return 0.0;
    const double C = U > D ? w.coeff_forward : w.coeff_reverse;
    const double L = w.length;
    const double H = std::max(U, D) - z;
    const double h = std::min(U, D) - z;
    double Q;
    if (h < 2.0 / 3.0 * H)
        Q = std::sqrt(H * H * H * 19.62 / 3.0) * C * (2.0 / 3.0) * L;
    else if (H - h < 0.01)
        Q = std::sqrt(1962.0) * C * L * h * (H - h); // linear near equal levels
    else
        Q = std::sqrt((H - h) * 19.62) * C * L * h;
    return U > D ? Q : -Q;
}
