// Energy-balance evapotranspiration of every cell for one hour: shortwave
// on the sloping cell, Newton iteration of the ground temperature on the
// radiation, sensible and latent heat balance, then Penman-Monteith or bulk
// transfer rates. With hourly grids every cell takes its own weather and the
// result is the mean grid temperature. Warnings of the parallel cell loop
// are flagged per cell and printed afterwards on the main thread.
#include <cmath>
#include <cstdio>

#include "core/julian.h"
#include "core/model_state.h"
#include "core/parallel.h"
#include "hydromet/hmet_reader_state.h"
#include "hydromet/hmet_services.h"

namespace
{

constexpr double pi = 3.14159265358979323846;
constexpr double solar_constant = 1353.0; // W/m2
constexpr double sigma = 5.67e-8;         // W m-2 K-4
constexpr double lambda = 2500.36;        // kJ/kg
constexpr double c_p = 1.013;             // kJ kg-1 K-1
constexpr double rho_w = 1000.0;          // kg/m3
constexpr double r_v = 461.0;             // J kg-1 K-1
constexpr double c_t = 0.0025;            // bulk transfer coefficient
constexpr double von_karman = 0.41;
constexpr double a_c = 0.18 + 0.0853 * 0.4;
constexpr double tol = 0.001; // K
constexpr int max_newton = 1000;
constexpr double calm = 1e-4; // m/s
constexpr int month_days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr double canopy_hour_factor[24] = {
    4.023803564, 3.837220945, 3.588557905, 3.210454452, 2.430375714, 1.617231413,
    1.196049428, 1.066950368, 1.014336754, 0.995198325, 0.976059896, 0.976059896,
    1.0,         1.052613613, 1.167444189, 1.354095078, 1.636506383, 2.043283344,
    2.660309947, 3.215256127, 3.507134242, 3.688915186, 3.818082516, 3.923343877};

enum et_warning { warn_converge = 1, warn_ra_negative = 2, warn_ra_nan = 4, warn_cloud = 8 };

double sat_vapour(double t_c)
{
    return 0.6108 * std::exp(17.27 * t_c / (t_c + 237.3));
}

// Gregorian leap rule, like the program's Julian dates.
int day_of_year(int year, int month, int day)
{
    int n = day;
    for (int m = 1; m < month && m <= 12; ++m)
        n += month_days[m - 1];
    if (month > 2 && gregorian_leap_year(year))
        n += 1;
    return n;
}

double seasonal_factor(const model_state& s, int month)
{
    if (!s.seasonal_rs)
        return 1.0;
    const int sp = s.seasonal_rs_spring, fa = s.seasonal_rs_fall;
    const int a = s.seasonal_rs_summer_start, b = s.seasonal_rs_summer_end;
    if (sp > 0) {
        if (month <= sp || month >= fa)
            return 4.0;
        if (month < a)
            return 4.0 - 3.0 * (month - sp) / (a - sp);
        if (month > b)
            return 3.0 * (month - b) / (fa - b) + 1.0;
        return 1.0;
    }
    if (s.latitude < 37.0) {
        if (month <= 3 || month >= 11)
            return 4.0;
        if (month == 4 || month == 10)
            return 2.5;
        return 1.0;
    }
    if (month <= 4 || month >= 11)
        return 4.0;
    if (month == 5)
        return 3.0;
    if (month == 6)
        return 2.0;
    if (month == 10)
        return 2.5;
    return 1.0;
}

} // namespace

double evapo_trans(model_state& s)
{
    const int n = s.num_cells;
    // Hourly grids give every cell its own weather; the orographic
    // adjustment its own temperature.
    const bool ascii = s.hmet_ascii && s.hmet_cell_wind.size() >= n;
    const bool cell_temp = ascii || orog_hmet_on(s);
    if (!s.ground_temp_started || s.ground_temp.size() != n) {
        dvector_alloc_zero(s.ground_temp, n, "ground_temp");
        ivector_alloc_zero(s.et_warn, n, "et_warn");
        dvector_alloc_zero(s.et_warn_ra, n, "et_warn_ra");
#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
        for (int i = 1; i <= n; ++i) {
            // A grid cell without data starts from the basin temperature.
            const bool own = cell_temp && !hmet_no_data(s.hmet_cell_temp[i]);
            s.ground_temp[i] = (own ? s.hmet_cell_temp[i] : s.hmet_air_temp) + 273.15;
        }
        s.ground_temp_started = 1;
    }
    const double phi = s.latitude * pi / 180.0;
    const double p_k = s.hmet_pressure * 0.1;
    const double t_air = s.hmet_air_temp;
    double cloud = s.hmet_cloud / 10.0;
    if (cloud > 1.0 && !ascii) {
        cloud = 1.0;
        std::printf("WARNING: Cloud cover > 1.0 in evapo_trans - possible problem with hmet file \n");
    }
    const double rh = s.hmet_rel_hum / 100.0;
    const double wind = s.hmet_wind;
    const double u_e = wind > calm ? wind : calm;
    const double rs = s.hmet_global_rad;
    const int doy = day_of_year(s.cur_year, s.cur_month, s.cur_day);
    const double f_s = seasonal_factor(s, s.cur_month);
    const double decl = 23.45 * pi / 180.0 * std::cos(2.0 * pi * (172 - doy) / 365.0);
    const int hour = s.cur_hour;
    const double omega = (hour <= 12 ? hour + 12 : hour - 12) * 15.0 * pi / 180.0;
    const double sin_h = std::sin(phi) * std::sin(decl) + std::cos(phi) * std::cos(decl) * std::cos(omega);
    const double alt = std::asin(sin_h);
    const double alt_deg = alt * 180.0 / pi;
    double air_mass = 0.0, a_m = 0.0;
    if (alt_deg > 0.0) {
        air_mass = 1.0 / (0.15 * std::pow(alt_deg + 3.885, -1.253) + sin_h);
        a_m = 0.128 - 0.054 * std::log10(air_mass);
    }
    const double azimuth = std::asin(std::sin(omega) * std::cos(decl) / std::cos(alt));
    const double gam = 2.0 * pi * (doy - 1) / 365.0;
    const double e0 = 1.00011 + 0.034221 * std::cos(gam) + 0.00128 * std::sin(gam) +
                      0.000719 * std::cos(2.0 * gam) + 0.000077 * std::sin(2.0 * gam);
    const double f_c = 1.0 + 0.17 * cloud * cloud;
    const bool penman = s.et_calc_penman != 0;
    const bool snow = s.snow_present && s.snow_swe.size() >= n;
    const bool area_red = s.area_reduction_given && s.area_reduction_values.size() >= n;
    const double hour_factor = canopy_hour_factor[((hour % 24) + 24) % 24];

#pragma omp parallel for schedule(static) if (n >= parallel_min_cells)
    for (int i = 1; i <= n; ++i) {
        s.et_warn[i] = 0;
        const double t_k = (cell_temp ? s.hmet_cell_temp[i] : t_air) + 273.15;
        double p_ki = p_k, cloud_i = cloud, rs_i = rs, rh_i = rh, wind_i = wind, u_ei = u_e, f_ci = f_c;
        if (ascii) {
            if (!hmet_cell_has_weather(s, i)) { // no weather: no evapotranspiration this hour
                s.pet_rate[i] = s.et_rate[i] = 0.0;
                continue;
            }
            p_ki = s.hmet_cell_pressure[i] * 0.1;
            cloud_i = s.hmet_cell_cloud[i] / 10.0;
            if (cloud_i > 1.0) {
                cloud_i = 1.0;
                s.et_warn[i] |= warn_cloud;
            }
            rs_i = s.hmet_cell_global_rad[i];
            rh_i = s.hmet_cell_rel_hum[i] / 100.0;
            wind_i = s.hmet_cell_wind[i];
            u_ei = wind_i > calm ? wind_i : calm;
            f_ci = 1.0 + 0.17 * cloud_i * cloud_i;
        }
        const double z = penman ? s.dist_veg_height[i] : 0.001;
        double albedo = s.dist_albedo[i];
        if (s.ov_depth[i] >= z)
            albedo = 0.08;
        if (snow && s.snow_swe[i] >= z)
            albedo = 0.5;
        double short_net = 0.0;
        if (alt_deg > 0.0) {
            const double sx = s.slope_x[i], sy = s.slope_y[i];
            const double beta = std::atan(std::sqrt(sx * sx + sy * sy));
            const double aspect = sx == 0.0 ? 0.0 : pi / 2.0 - std::atan(-sy / sx);
            const double cos_theta =
                std::cos(beta) * sin_h + std::sin(beta) * std::cos(alt) * std::cos(azimuth - aspect);
            const double beam = std::exp(-2.0 * a_m * air_mass) * solar_constant * e0 * cos_theta *
                                (1.0 - (1.0 - a_c) * cloud_i);
            double trans = 1.0;
            if (penman && s.dist_trans_coeff[i] != 0.0)
                trans = s.dist_trans_coeff[i];
            const double c2 = std::cos(beta / 2.0);
            short_net = (c2 * c2 * rs_i + trans * (beam > 0.0 ? beam : 0.0)) * (1.0 - albedo);
        }
        const double t_a = t_k - 273.15;
        const double e_a = sat_vapour(t_a) * rh_i;
        const double eps_a = (0.74 + 0.0049 * e_a) * f_ci;
        const double rho = 3.486 * p_ki / (t_a + 275.0);
        const double q_a = 0.622 * e_a / (p_ki - 0.378 * e_a);
        const double long_in = eps_a * sigma * t_k * t_k * t_k * t_k;
        double t_g = s.ground_temp[i], t_new = t_g;
        double evap = 0.0, sens = 0.0, rad = 0.0;
        for (int it = 1; it <= max_newton; ++it) {
            const double e_g = sat_vapour(t_g - 273.15);
            const double q_g = 0.622 * e_g / (p_ki - 0.378 * e_g);
            evap = q_g > q_a ? rho * c_t * u_ei * (q_g - q_a) : 0.0;
            sens = rho * c_p * c_t * u_ei * (t_g - t_k);
            // With hourly grids the radiation term is the global-radiation grid's.
            rad = ascii ? -rs_i / 1000.0 : -(short_net + long_in - sigma * t_g * t_g * t_g * t_g) / 1000.0;
            const double f = lambda * evap + sens + sens / 3.0 + rad;
            const double df = lambda * rho * c_t * u_ei * q_g * (lambda * 1000.0 / (r_v * t_g * t_g)) * p_ki /
                                  (p_ki - 0.378 * e_g) +
                              4.0 * sigma * t_g * t_g * t_g / 1000.0 + rho * c_p * c_t * u_ei * (1.0 + 1.0 / 3.0);
            t_new = t_g - f / df;
            if (it == max_newton) {
                s.et_warn[i] |= warn_converge;
                break;
            }
            if (std::fabs(t_new - t_g) <= tol)
                break;
            t_g = t_new;
        }
        s.ground_temp[i] = t_new;
        double pet, aet;
        if (!penman) {
            pet = aet = evap / rho_w;
        } else {
            const double deficit = sat_vapour(t_new - 273.15) - e_a;
            const double delta = 4098.0 * sat_vapour(t_a) / ((t_a + 237.3) * (t_a + 237.3));
            const double gamma = (c_p / 0.622) * p_ki / lambda;
            const double avail = -rad - sens / 3.0;
            if (wind_i > calm) {
                if (s.dist_veg_height[i] < 0.001)
                    s.dist_veg_height[i] = 0.001;
                const double h_v = s.dist_veg_height[i];
                const double z_d = h_v + 2.0 - 0.67 * h_v;
                const double r_a = std::log(z_d / (0.0123 * h_v)) * std::log(z_d / (0.123 * h_v)) /
                                   (von_karman * von_karman * wind_i);
                if (std::isnan(r_a)) {
                    s.et_warn[i] |= warn_ra_nan;
                } else if (r_a < 0.0) {
                    s.et_warn[i] |= warn_ra_negative;
                    s.et_warn_ra[i] = r_a;
                }
                const double r_s = hour_factor * s.dist_canopy_resist[i] * f_s;
                const double top = delta * avail + rho * c_p * deficit / r_a;
                aet = top / (delta + gamma * (1.0 + r_s / r_a)) / (lambda * rho_w);
                pet = top / (delta + gamma) / (lambda * rho_w);
            } else {
                pet = aet = delta * avail / (delta + gamma) / (lambda * rho_w);
            }
        }
        double pet_cm = pet * 100.0, aet_cm = aet * 100.0;
        if (area_red)
            aet_cm *= s.area_reduction_values[i];
        s.pet_rate[i] = pet_cm > 0.0 ? pet_cm : 0.0;
        s.et_rate[i] = aet_cm > 0.0 ? aet_cm : 0.0;
    }

    bool cloud_warned = false;
    for (int i = 1; i <= n; ++i) {
        const int w = s.et_warn[i];
        if (!w)
            continue;
        if ((w & warn_cloud) && !cloud_warned) { // the text names no cell: once per hour
            std::printf("WARNING: Cloud cover > 1.0 in evapo_trans - possible problem with hmet file \n");
            cloud_warned = true;
        }
        if (w & warn_converge)
            std::printf("Ground temperature not converging in cell %d, check your hydrometeorological inputs \n",
                        i);
        if (w & warn_ra_negative)
            std::printf("%d %lf %lf\n", i, s.et_warn_ra[i], ascii ? s.hmet_cell_wind[i] : wind);
        if (w & warn_ra_nan)
            std::printf("Ra is not a number in evapo-trans \n");
    }
    if (ascii) {
        int with_data = 0;
        return hmet_cell_temp_mean(s, with_data);
    }
    return t_air;
}
