#include <cmath>
#include <cstdio>

#include "channel/hydraulic_structures.h"

// Brent's method: inverse quadratic interpolation where it stays inside the
// bracket and shrinks it fast enough, bisection otherwise.
double zbrent(const culvert_inlet& in, double a, double b, double tol, int& iterations)
{
    const double eps = 3.0e-8;
    double fa = culvert_inlet_residual(in, a), fb = culvert_inlet_residual(in, b);
    iterations = 0;
    if ((fa > 0.0 && fb > 0.0) || (fa < 0.0 && fb < 0.0)) {
        std::printf("Problem in ZBRENT root finder\n");
        std::printf("Root must be bracketed\n");
        return culvert_failed;
    }
    double c = b, fc = fb, d = b - a, e = d;
    for (iterations = 1; iterations <= 100; ++iterations) {
        if ((fb > 0.0 && fc > 0.0) || (fb < 0.0 && fc < 0.0)) {
            c = a;
            fc = fa;
            e = d = b - a;
        }
        if (std::fabs(fc) < std::fabs(fb)) {
            a = b;
            b = c;
            c = a;
            fa = fb;
            fb = fc;
            fc = fa;
        }
        const double tol1 = 2.0 * eps * std::fabs(b) + 0.5 * tol;
        const double xm = 0.5 * (c - b);
        if (std::fabs(xm) <= tol1 || fb == 0.0)
            return b;
        if (std::fabs(e) >= tol1 && std::fabs(fa) > std::fabs(fb)) {
            const double s = fb / fa;
            double p, q;
            if (a == c) {
                p = 2.0 * xm * s;
                q = 1.0 - s;
            } else {
                const double qa = fa / fc, r = fb / fc;
                p = s * (2.0 * xm * qa * (qa - r) - (b - a) * (r - 1.0));
                q = (qa - 1.0) * (r - 1.0) * (s - 1.0);
            }
            if (p > 0.0)
                q = -q;
            p = std::fabs(p);
            const double min1 = 3.0 * xm * q - std::fabs(tol1 * q);
            const double min2 = std::fabs(e * q);
            if (2.0 * p < (min1 < min2 ? min1 : min2)) {
                e = d;
                d = p / q;
            } else {
                d = xm;
                e = d;
            }
        } else {
            d = xm;
            e = d;
        }
        a = b;
        fa = fb;
        b += std::fabs(d) > tol1 ? d : std::copysign(tol1, xm);
        fb = culvert_inlet_residual(in, b);
    }
    std::printf("Maximum number of iterations exceeded in ZBRENT\n");
    return culvert_failed;
}
