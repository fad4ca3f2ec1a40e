// Penman-Monteith potential and actual evapotranspiration of one cell
// computed independently of evapo_trans: the ground temperature of the
// energy balance found by bisection, then the rates from its vapour deficit
// and the aerodynamic and canopy resistances.
#pragma once

#include <cmath>

namespace et_test
{

struct balance_rates_cm {
    double pet, aet; // cm/s
};

// The balance and the Penman-Monteith rates solved by bisection (cm/s), with
// the net shortwave S (W/m2) of the cell and the canopy resistance r_s (s/m)
// of the hour; with grid_rs the radiation term is that global radiation
// alone, as with hourly grids.
inline balance_rates_cm balance_rates(double p_mb, double t_c, double rh_pct, double u, double cloud_tenths,
                                      double h_v, double short_net = 0.0, const double* grid_rs = nullptr,
                                      double r_s = 0.0)
{
    const double sigma = 5.67e-8, lambda = 2500.36, cp = 1.013, ct = 0.0025;
    const double pk = p_mb * 0.1, tk = t_c + 273.15, c = cloud_tenths / 10.0;
    auto es = [](double tc) { return 0.6108 * std::exp(17.27 * tc / (tc + 237.3)); };
    const double ea = es(t_c) * rh_pct / 100.0;
    const double eps = (0.74 + 0.0049 * ea) * (1 + 0.17 * c * c);
    const double rho = 3.486 * pk / (t_c + 275.0);
    const double qa = 0.622 * ea / (pk - 0.378 * ea);
    auto balance = [&](double tg, double& h, double& r) {
        const double eg = es(tg - 273.15);
        const double qg = 0.622 * eg / (pk - 0.378 * eg);
        const double e = qg > qa ? rho * ct * u * (qg - qa) : 0.0;
        h = rho * cp * ct * u * (tg - tk);
        r = grid_rs ? -*grid_rs / 1000.0
                    : -(short_net + eps * sigma * std::pow(tk, 4) - sigma * std::pow(tg, 4)) / 1000.0;
        return lambda * e + h * 4.0 / 3.0 + r;
    };
    double lo = tk - 80, hi = tk + 80, h = 0, r = 0;
    for (int k = 0; k < 200; ++k) {
        const double mid = 0.5 * (lo + hi);
        (balance(mid, h, r) > 0 ? hi : lo) = mid;
    }
    const double tg = 0.5 * (lo + hi);
    balance(tg, h, r);
    const double d = es(tg - 273.15) - ea;
    const double delta = 4098 * es(t_c) / std::pow(t_c + 237.3, 2);
    const double gamma = cp / 0.622 * pk / lambda;
    const double zd = h_v + 2 - 0.67 * h_v;
    const double ra = std::log(zd / (0.0123 * h_v)) * std::log(zd / (0.123 * h_v)) / (0.41 * 0.41 * u);
    const double energy = delta * (-r - h / 3) + rho * cp * d / ra;
    return {energy / (delta + gamma) / (lambda * 1000) * 100,
            energy / (delta + gamma * (1.0 + r_s / ra)) / (lambda * 1000) * 100};
}

// The potential rate alone.
inline double balance_pet(double p_mb, double t_c, double rh_pct, double u, double cloud_tenths, double h_v,
                          double short_net = 0.0, const double* grid_rs = nullptr)
{
    return balance_rates(p_mb, t_c, rh_pct, u, cloud_tenths, h_v, short_net, grid_rs).pet;
}

} // namespace et_test
