#include <algorithm>
#include <cmath>
#include <cstdio>

#include "channel/superlink_geometry.h"

int superlink_crit_calc(int type, double D, double W, double Q, double& yc)
{
    if (type == 1) {
        // Newton iteration on h, the distance of the water surface below the
        // centre; a step beyond the crown or the invert is pulled back to
        // 1 mm inside it.
        const double r = D / 2.0;
        double h = 0.001;
        for (int it = 0; it < 10000; ++it) {
            const double y = r - h;
            const double A = superlink_section_area(1, D, W, y);
            const double T = D * std::sin(std::acos((2.0 * y - D) / D));
            const double l = std::sqrt(std::max(r * r - h * h, 0.0));
            double h_new;
            if (T <= 1e-12 || l <= 1e-12) {
                // At the crown or the invert the derivative has no value:
                // stay 1 mm inside the section.
                h_new = h > 0.0 ? r - 0.001 : 0.001 - r;
            } else {
                const double f = std::pow(A, 1.5) / std::sqrt(T) - Q / std::sqrt(gravity);
                const double fp =
                    -3.0 * l * std::sqrt(A) / std::sqrt(T) + h * std::pow(A, 1.5) / (l * std::pow(T, 1.5));
                h_new = h - f / fp;
            }
            if (h_new < -r)
                h_new = 0.001 - r;
            if (h_new > r)
                h_new = r - 0.001;
            if (std::fabs(h - h_new) <= 1e-8) {
                yc = r - h_new;
                return 0;
            }
            h = h_new;
        }
        std::printf("no convergence in culvert critical depth routine\n");
        std::printf("program terminated.\n");
        return -1;
    }
    if (type == 2) {
        std::printf("arch culverts not yet supported in subroutine superlink_crit_calc() \n");
        std::printf("program terminated\n");
        return -1;
    }
    if (type == 3)
        yc = std::pow((Q / W) * (Q / W) / gravity, 0.3333333333333);
    return 0;
}
