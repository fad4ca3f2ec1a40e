#include <cmath>

#include "channel/hydraulic_structures.h"
#include "core/error_state.h"

double crit_calc(int shape, double rise, double width, double Q)
{
    if (shape == culvert_box)
        return std::pow((Q / width) * (Q / width) / 9.81, 0.3333333333333);
    if (shape != culvert_round) {
        error_set(err_arch_culvert);
        error_state.raised = 1;
        return 0.0;
    }
    // Newton's method on A^1.5 / T^0.5 = Q / sqrt(g) in h, the distance of
    // the water surface below the centre.
    const double r = rise / 2.0;
    const double target = Q / std::sqrt(9.81);
    double h = 0.001;
    for (int it = 0; it < 1000; ++it) {
        const double w = std::sqrt(r * r - h * h); // half the top width
        const double A = r * r * std::acos(h / r) - w * h;
        const double T = 2.0 * w;
        const double F = std::pow(A, 1.5) / std::sqrt(T) - target;
        const double dF = 1.5 * std::sqrt(A) / std::sqrt(T) * (-2.0 * w) -
                          0.5 * std::pow(A, 1.5) * std::pow(T, -1.5) * (-2.0 * h / w);
        double next = h - F / dF;
        if (next < -r)
            next = 0.001 - r;
        if (next > r)
            next = r - 0.001;
        const bool done = std::fabs(next - h) <= 1e-8;
        h = next;
        if (done)
            return r - h;
    }
    error_set(err_culvert_crit_depth);
    error_state.raised = 1;
    return r - h;
}
