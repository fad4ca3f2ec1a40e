#include <cmath>
#include <cstdio>

#include "channel/superlink_geometry.h"

namespace
{

// Manning conveyance of a part-full circular pipe and its derivative.
void circular_conveyance(double D, double n, double root_s, double y, double& K, double& dK)
{
    const double r = D / 2.0;
    const double theta = std::acos((r - y) / r);
    const double A = r * r * theta - (r - y) * r * std::sin(theta);
    const double P = theta * D;
    const double T = D * std::sin(theta);
    const double R = A / P;
    K = (1.0 / n) * A * std::pow(R, 2.0 / 3.0) * root_s;
    const double dPdy = 2.0 / std::sqrt(1.0 - 4.0 * (r - y) * (r - y) / (D * D));
    dK = (root_s / n) * (A * (2.0 / 3.0) * std::pow(R, -1.0 / 3.0) * (T / P - A * dPdy / (P * P)) +
                         std::pow(R, 2.0 / 3.0) * T);
}

int circular_normal_depth(double D, double n, double Q, double S, double& yn)
{
    const double root_s = std::sqrt(S);
    // A flow the full pipe cannot carry (any flow on a level pipe) runs full.
    const double full = (1.0 / n) * (3.1415926 * D * D / 4.0) * std::pow(D / 4.0, 2.0 / 3.0) * root_s;
    if (Q > 0.0 && Q >= full) {
        yn = D;
        return 0;
    }
    // Below the full-pipe flow the depth is the one root between the invert
    // and the crown. Newton steps from a quarter of the diameter; a step
    // that leaves the bracket of the root halves it instead, so the
    // iteration cannot cycle near the crown, where the conveyance peaks.
    double lo = 0.0, hi = D;
    double y = D / 4.0;
    for (int it = 0; it < 1000; ++it) {
        double K = 0.0, dK = 0.0;
        circular_conveyance(D, n, root_s, y, K, dK);
        const double f = Q - K;
        if (f > 0.0)
            lo = y;
        else
            hi = y;
        double y_new = y + f / dK;
        if (!(y_new > lo && y_new < hi))
            y_new = (lo + hi) / 2.0;
        if (std::fabs(y_new - y) <= 1e-8) {
            yn = y_new;
            return 0;
        }
        y = y_new;
    }
    std::printf("no convergence in culvert normal depth routine\n");
    std::printf("program terminated.\n");
    return -1;
}

int box_warning()
{
    std::printf("WARNING NO CONVERGENCE IN NORMCALC!!!\n");
    std::printf("AFTER 250 ITERATIONS.  PROGRAM WILL\n");
    std::printf("FAIL.  CHECK OUTLET SLOPE.  MUST BE\n");
    std::printf("POSITIVE AND SUBCRITICAL.\n");
    return -1;
}

int box_normal_depth(double D, double W, double n, double Q, double S, double& yn)
{
    // Newton on y from half the height with the derivative of the box's
    // conveyance k W y (W y / P)^(2/3), P = 2 y + W, which grows with y: a
    // step that leaves the bracket of the root halves it instead. (A fixed
    // divisor of order W^2 creeps toward small depths and never arrives.)
    const double k = std::sqrt(S) / n;
    double lo = 0.0, hi = -1.0; // no upper bound until the conveyance exceeds Q
    double y = D / 2.0;
    for (int it = 0;; ++it) {
        if (it > 250)
            return box_warning();
        const double P = 2.0 * y + W;
        const double ratio = std::pow(y * W / P, 2.0 / 3.0);
        const double f = Q - k * y * W * ratio;
        const double G = k * W * ratio * (1.0 + (2.0 / 3.0) * W / P);
        if (!std::isfinite(f))
            return box_warning(); // a negative slope has no normal depth
        if (f > 0.0)
            lo = y;
        else
            hi = y;
        double y_new = y + f / G;
        if (!(y_new > lo) || (hi >= 0.0 && !(y_new < hi)))
            y_new = hi >= 0.0 ? (lo + hi) / 2.0 : 2.0 * y;
        yn = y;
        if (std::fabs(y_new - y) <= 1e-8)
            return 0;
        y = y_new;
    }
}

} // namespace

int superlink_norm_calc(int type, double D, double W, double n, double Q, double S, double& yn)
{
    switch (type) {
    case 1:
        return circular_normal_depth(D, n, Q, S, yn);
    case 2:
        std::printf("arch culverts not yet supported in subroutine superlink_norm_calc() \n");
        std::printf("program terminated\n");
        return -1;
    case 3:
        return box_normal_depth(D, W, n, Q, S, yn);
    default:
        return 0;
    }
}
