#include <cmath>

#include "channel/channel_state.h"
#include "channel/hydraulic_structures.h"

double sag_weir_flow(const chan_struct_rec& w, double U, double D)
{
    const double s1 = w.size1, s2 = w.size2, L = w.length, z = w.up_elev;
    // The crest z(x) = z0 + s1 x + a x^2, lowest (z) at x0.
    const double a = (s2 - s1) / (2.0 * L);
    const double x0 = (2.0 * L / (s2 - s1)) * (-s1 / 2.0);
    const double z0 = z - a * x0 * x0 - s1 * x0;
    if (U <= z && D <= z)
        return 0.0;
    const double C = U > D ? w.coeff_forward : w.coeff_reverse;
    const double H = U >= D ? U : D;
    const double Q = std::sqrt(19.62) * C * std::sqrt(4.0 * a * (H - z0) + s1 * s1) * std::sqrt(H - z) * 2.0 *
                     (s1 * s1 - 4.0 * a * (z0 + z - 2.0 * H)) / (32.0 * a * a);
    return U > D ? Q : -Q;
}
