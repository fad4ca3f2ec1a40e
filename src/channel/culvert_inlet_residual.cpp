#include <cmath>

#include "channel/hydraulic_structures.h"

double culvert_inlet_residual(const culvert_inlet& in, double Q)
{
    const double yc = crit_calc(in.shape, in.rise, in.width, Q);
    const double A = culvert_segment_area(in.shape, in.rise, in.width, yc);
    // A critical depth above the head passes nothing rather than a NaN.
    return Q - A * in.coeff * std::sqrt(19.62) * std::sqrt(std::fmax(in.head - yc, 0.0));
}
