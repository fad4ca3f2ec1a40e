// Transport capacity of overland flow by six empirical formulas, and the
// median diameter of a cell's material that four of them use.
#include <cmath>

#include "quality/sediment_block.h"
#include "quality/sediment_steps.h"

namespace
{

constexpr double tiny = 1e-16;
constexpr double gravity = 9.81;         // m/s2
constexpr double water_density = 998.2;  // kg/m3
constexpr double unit_weight = 9792.342; // N/m3, water_density x gravity

// d50 bands (micrometres) of formulas 5 and 6: 0 below 33, 1 to 61, 2 to
// 122, 3 to 190, 4 from 190.
int d50_band(double d50)
{
    if (d50 < 33.0)
        return 0;
    if (d50 < 61.0)
        return 1;
    if (d50 < 122.0)
        return 2;
    if (d50 < 190.0)
        return 3;
    return 4;
}

// Formula 1 over the class fractions of the suspended load, else the
// deposits, else the parent soil; the suspended and deposited totals go to
// class 0.
double formula_1(int c, double S, double h, double U, double dt, double dx, const sed_class_set& cls,
                 sed_tally* vol, dcube& sed_fract, double K, double F)
{
    double sus = 0.0;
    for (int m = 1; m <= cls.n; ++m)
        sus += vol[m].suspended;
    vol[0].suspended = sus;
    int slot = 2;
    double total = sus;
    if (sus < tiny) {
        double dep = 0.0;
        for (int m = 1; m <= cls.n; ++m)
            dep += vol[m].deposited;
        vol[0].deposited = dep;
        slot = dep < tiny ? 1 : 3;
        total = dep;
    }
    const double flow = 0.05 * dx * U * U * std::pow(S * h, 1.5) / std::sqrt(gravity);
    double cap = 0.0;
    for (int m = 1; m <= cls.n; ++m) {
        double f;
        if (slot == 1) {
            f = sed_fract[c][m][1];
        } else {
            f = (slot == 2 ? vol[m].suspended : vol[m].deposited) / total;
            sed_fract[c][m][slot] = f;
        }
        const double g1 = cls.spec_grav[m] - 1.0;
        cap += f * flow / (g1 * g1 * (cls.diam[m] / 1000.0));
    }
    return cap * dt * K * F;
}

} // namespace

double ov_sed_d50(int c, const sed_class_set& cls, const sed_tally* vol, dcube& sed_fract)
{
    const int n = cls.n;
    double sus = 0.0;
    double dep = 0.0;
    for (int m = 1; m <= n; ++m) {
        sus += vol[m].suspended;
        dep += vol[m].deposited;
    }
    int slot = 1;
    if (sus >= tiny)
        slot = 2;
    else if (dep >= tiny)
        slot = 3;
    if (slot != 1) {
        const double total = slot == 2 ? sus : dep;
        for (int m = 1; m <= n; ++m)
            sed_fract[c][m][slot] = (slot == 2 ? vol[m].suspended : vol[m].deposited) / total;
    }
    // Log-linear interpolation on the fraction curve accumulated from the
    // last class down.
    double acc = 0.0;
    for (int m = n; m >= 1; --m) {
        const double before = acc;
        acc += sed_fract[c][m][slot];
        if (acc < 0.5)
            continue;
        if (m == n)
            return 1000.0 * cls.diam[n];
        const double d_hi = cls.diam[m + 1];
        const double d_lo = cls.diam[m];
        return 1000.0 * std::exp(std::log(d_hi) + std::log(d_lo / d_hi) * (0.5 - before) / (acc - before));
    }
    return 1000.0 * cls.diam[n];
}

double ov_transport_capacity(int method, int c, double S, double h, double q, double dt, double dx,
                             const sed_class_set& cls, sed_tally* vol, dcube& sed_fract, double K, double V,
                             double F)
{
    if (q < tiny || h < tiny)
        return 0.0;
    const double U = q / h;
    switch (method) {
    case 1:
        return formula_1(c, S, h, U, dt, dx, cls, vol, sed_fract, K, F);
    case 2:
        // The coefficient already stands for the cover: no blockage factor.
        return 1.7e8 * std::pow(S, 1.6667) * std::pow(q, 2.035) * K * V;
    case 3: {
        const double d50 = ov_sed_d50(c, cls, vol, sed_fract);
        const double P = 100.0 * U * S;
        const double y = d50 < 122.0 ? 0.006025596 * std::pow(P, 1.52) * std::pow(d50, 0.59)
                                     : 0.316227766 * std::pow(P, 2.59) * std::pow(d50, -0.39);
        return y / 10.0 * V * F;
    }
    case 4: {
        // Stream power of the flow; its depth term is taken as 1.
        const double d50 = ov_sed_d50(c, cls, vol, sed_fract);
        const double W = std::pow(1000.0 * unit_weight * h * S * U, 1.5);
        const double y = d50 < 122.0 ? 1.977e-6 * std::pow(W, 1.044) * std::pow(d50, 0.478)
                                     : 4.6e-7 * std::pow(W, 1.75) * std::pow(d50, -0.56);
        return y / 10.0 * V * F;
    }
    case 5: {
        static const double coef[5] = {6.16595, 10.96478, 9.332543, 64.56542, 20.41738};
        static const double s_exp[5] = {1.9, 1.94, 1.77, 2.96, 2.81};
        static const double q_exp[5] = {1.1, 1.19, 1.79, 2.18, 3.1};
        const int b = d50_band(ov_sed_d50(c, cls, vol, sed_fract));
        const double y = coef[b] * std::pow(S, s_exp[b]) * std::pow(10000.0 * q, q_exp[b]);
        return y / 10.0 * V * F;
    }
    case 6: {
        static const double coef[5] = {0.035, 0.052, 0.029, 0.024, 0.0092};
        static const double u_crit[5] = {1.4, 1.4, 1.45, 1.55, 1.8};
        static const double u_exp[5] = {2.88, 2.95, 3.74, 4.14, 5.06};
        const int b = d50_band(ov_sed_d50(c, cls, vol, sed_fract));
        const double u = 100.0 * std::sqrt(unit_weight * h * S / water_density); // shear velocity, cm/s
        const double y = u > u_crit[b] ? coef[b] * std::pow(u - u_crit[b], u_exp[b]) : 0.0;
        return y / 10.0 * V * F;
    }
    default:
        // The reader refuses other methods.
        return 0.0;
    }
}
