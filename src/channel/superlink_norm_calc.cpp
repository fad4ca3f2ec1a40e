#include <cmath>
#include <cstdio>

#include "channel/superlink_geometry.h"

namespace
{

int circular_normal_depth(double D, double n, double Q, double S, double& yn)
{
    const double r = D / 2.0;
    const double root_s = std::sqrt(S);
    double y = D / 4.0;
    for (int it = 0; it < 1000; ++it) {
        const double theta = std::acos((r - y) / r);
        const double A = r * r * theta - (r - y) * r * std::sin(theta);
        const double P = theta * D;
        const double T = D * std::sin(theta);
        const double R = A / P;
        const double f = Q - (1.0 / n) * A * std::pow(R, 2.0 / 3.0) * root_s;
        const double dPdy = 2.0 / std::sqrt(1.0 - 4.0 * (r - y) * (r - y) / (D * D));
        const double dK = (root_s / n) * (A * (2.0 / 3.0) * std::pow(R, -1.0 / 3.0) * (T / P - A * dPdy / (P * P)) +
                                          std::pow(R, 2.0 / 3.0) * T);
        const double y_new = y + f / dK;
        // A flow above the full-pipe capacity (or any flow on a level pipe)
        // sends the step past the crown: the pipe runs full.
        if (y_new >= D) {
            yn = D;
            return 0;
        }
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

int box_normal_depth(double D, double W, double n, double Q, double S, double& yn)
{
    const double k = std::sqrt(S) / n;
    double y = D / 2.0;
    for (int it = 0;; ++it) {
        if (it > 250) {
            std::printf("WARNING NO CONVERGENCE IN NORMCALC!!!\n");
            std::printf("AFTER 250 ITERATIONS.  PROGRAM WILL\n");
            std::printf("FAIL.  CHECK OUTLET SLOPE.  MUST BE\n");
            std::printf("POSITIVE AND SUBCRITICAL.\n");
            return -1;
        }
        const double P = 2.0 * y + W;
        const double f = Q - k * y * W * std::pow(y * W / P, 2.0 / 3.0);
        const double G = k * (W / P + W * W + 2.0 * y * W / P);
        const double y_new = y + f / G;
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
