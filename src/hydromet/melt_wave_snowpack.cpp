// The melt-wave snowpack of one cell over one hour: depth and density with
// compaction and new snow, grain growth and permeability, a cold layer with
// its frost depth, a wetting front, and the water of each hour travelling
// down the pack as a kinematic wave. The overland routing reads its
// permeability (sn_stat 20) and effective porosity (sn_stat 10).
//
// Each cell keeps its own pack in sn_stat (entries 1..18) and wave[cell]
// and restores it every hour, so one cell's pack never starts from another's.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/model_state.h"
#include "hydromet/snow_services.h"

namespace
{

constexpr double fusion_j_cm = 3330464.0;      // J m-2 per cm of water frozen or melted
constexpr double water_conductivity = 54700.0; // rho_w g / mu, cm-1 s-1
constexpr double new_grain = 5e-5;             // m
constexpr double new_snow_density = 0.08;      // g/cm3
constexpr double density_cap = 0.55;           // g/cm3
constexpr double e_base = 2.718281828459;
constexpr int max_waves = 50;

// Wave table columns.
enum { w_neg_created = 1, w_depth0 = 2, w_volume = 3, w_base_time = 4, w_meet_time = 5 };

struct pack {
    double hp, h, rho, zw, zp, gd, gw, t, tc, phi, theta, S, held;
    int cold_n, waves;
    double n, df, liquid, outflow, k, alpha;
    double dt;
    double (*wave)[6]; // wave rows 0..51 of the cell
};

void error_code_1()
{
    std::printf("error_code = 1\n");
}

double created(const pack& p, int j)
{
    return -p.wave[j][w_neg_created];
}

void remove_wave(pack& p, int j)
{
    for (int r = j; r <= p.waves; ++r)
        for (int c = 1; c <= 5; ++c)
            p.wave[r][c] = p.wave[r + 1][c];
    for (int c = 1; c <= 5; ++c)
        p.wave[p.waves + 1][c] = 0.0;
    --p.waves;
}

// Water left in a wave that has reached the base, at age tau.
double wave_water(const pack& p, double d0, double tau)
{
    if (d0 <= 0.0 || p.alpha == 0.0 || p.n == 1.0)
        return 0.0;
    if (tau <= 0.0)
        tau = 1.0;
    return (p.n - 1.0) * std::pow(d0 / p.alpha, p.n / (p.n - 1.0)) * std::pow(tau, -1.0 / (p.n - 1.0));
}

double single_front(const pack& p, double v, double tau)
{
    if (tau <= 0.0 || p.n == 1.0 || v == 0.0)
        return 0.0;
    return p.alpha * std::pow(v / (p.n - 1.0), (p.n - 1.0) / p.n) * std::pow(tau, 1.0 / p.n);
}

double single_base_time(const pack& p, double d0, double v)
{
    if (p.n == 1.0 || v <= 0.0 || d0 <= 0.0 || p.alpha <= 0.0)
        return 0.0;
    return std::pow(d0 / p.alpha, p.n) * std::pow((p.n - 1.0) / v, p.n - 1.0);
}

// True when row j travels behind a wave that has not ended.
bool behind_open_wave(const pack& p, int j)
{
    return j > 1 && p.wave[j - 1][w_meet_time] == -1.0;
}

// Front position of row j at age tau. A wave behind an open wave moves on
// the two-wave front; the oldest wave, and a wave whose predecessor has
// ended, travel as a single wave.
double front(const pack& p, int j, double tau, bool warn)
{
    const double v = p.wave[j][w_volume];
    const double z1 = single_front(p, v, tau);
    if (!behind_open_wave(p, j))
        return z1;
    if (tau <= 0.0 || p.n == 1.0 || v == 0.0)
        return 0.0;
    const double b = created(p, j) - created(p, j - 1);
    if (b <= 0.0)
        return p.h;
    const double z = std::pow(1.0 - std::pow(tau / (b + tau), 1.0 / (p.n - 1.0)), 1.0 / p.n - 1.0) * z1;
    if (warn && z < 0.99 * z1)
        error_code_1();
    return z;
}

// Time after creation at which row j's front reaches the base.
double base_time(const pack& p, int j)
{
    const double d0 = p.wave[j][w_depth0], v = p.wave[j][w_volume];
    const double single = single_base_time(p, d0, v);
    if (!behind_open_wave(p, j) || single <= 0.0)
        return single;
    // Newton on front(tau) = d0 with a numerical slope; a negative iterate
    // restarts closer to 0.
    double tau = p.dt / 2.0;
    int restarts = 0;
    for (int it = 0; it < 1000; ++it) {
        const double z = front(p, j, tau, false);
        if (std::fabs(z - d0) < 0.005 * d0) {
            if (tau > single)
                error_code_1();
            return tau;
        }
        const double h = std::max(tau * 1e-6, 1e-6);
        const double slope = (front(p, j, tau + h, false) - z) / h;
        if (slope == 0.0 || !std::isfinite(slope))
            return single;
        tau -= (z - d0) / slope;
        if (tau < 0.0) {
            ++restarts;
            tau = p.dt * std::pow(4.0, -restarts);
        }
    }
    error_code_1();
    return tau;
}

// Merge mode 1: the newer row j reaches the base before row j - 1 and joins it.
void merge_into_previous(pack& p, int j)
{
    double* older = p.wave[j - 1];
    const double* newer = p.wave[j];
    double v = older[w_volume] + newer[w_volume];
    if (older[w_meet_time] != -1.0)
        v = std::max(v - wave_water(p, newer[w_depth0], older[w_meet_time]), 0.0);
    older[w_neg_created] = newer[w_neg_created];
    older[w_depth0] = newer[w_depth0];
    older[w_volume] = v;
    older[w_meet_time] = newer[w_meet_time];
    remove_wave(p, j);
    older = p.wave[j - 1];
    older[w_base_time] = older[w_depth0] > 0.0 && older[w_volume] > 0.0 ? base_time(p, j - 1) : 0.0;
}

// Merge mode 2: at time ta row 2 reaches the base while row 1 drains; row 1
// takes row 2 with the water row 1 still holds.
void merge_second_into_first(pack& p, double ta)
{
    double* first = p.wave[1];
    const double* second = p.wave[2];
    double left = wave_water(p, first[w_depth0], ta - created(p, 1));
    if (first[w_meet_time] != -1.0)
        left = std::max(left - wave_water(p, first[w_depth0], first[w_meet_time]), 0.0);
    first[w_neg_created] = second[w_neg_created];
    first[w_depth0] = second[w_depth0];
    first[w_volume] = second[w_volume] + left;
    first[w_base_time] = ta + second[w_neg_created];
    first[w_meet_time] = second[w_meet_time];
    remove_wave(p, 2);
}

void clear_cold_layer(pack& p)
{
    p.tc = 0.0;
    p.cold_n = 0;
    p.df = 0.0;
}

void cold_average(pack& p, double temp)
{
    p.tc = (p.cold_n * p.tc - temp) / (p.cold_n + 1);
    ++p.cold_n;
}

double clamp_theta(double v)
{
    return std::min(std::max(v, 0.005), 0.1);
}

// Liquid water added to the pack (mode 2).
void add_liquid(pack& p, double q)
{
    p.liquid += q;
    p.zw = p.theta > 0.0 ? std::max(std::min(p.liquid / p.theta, p.h), 0.0) : (p.liquid > 0.0 ? p.h : 0.0);
}

// Refreezing of a frost increment dd (mode 3).
void refreeze(pack& p, double dd)
{
    double z = std::min(std::max(p.zw - dd, 0.0), p.h - p.df);
    z = std::max(z, 0.0);
    p.liquid = std::max(p.liquid - (p.zw - z) * p.theta, 0.0);
    p.zw = z;
}

void grain_and_permeability(pack& p)
{
    const double h = p.h, hp = p.hp, zw = p.zw, zp = p.zp;
    if (zw > zp) {
        p.gw = ((zw - zp) * p.gd + zp * p.gw) / zw;
        if (h > hp && zw < h)
            p.gd = ((hp - zw) * p.gd + (h - hp) * new_grain) / (h - zw);
    } else if (zw < zp && zw < h) {
        const double l = 1.0 / (h - zw);
        if (h > hp)
            p.gd = (hp - zp) * l * p.gd + (h - hp) * l * new_grain + (zp - zw) * l * p.gw;
        else
            p.gd = (zp - zw) * l * p.gw + (h - zp) * l * p.gd;
    } else if (zw == zp && h > hp && zw < h) {
        p.gd = ((hp - zw) * p.gd + (h - hp) * new_grain) / (h - zw);
    }
    if (zw >= h)
        p.gd = new_grain;
    p.hp = h;
    p.zp = zw;
    p.gd += 1.25e-11 * p.dt;
    double wet_growth = 1.25e-11;
    if (p.rho > 0.0 && p.theta / p.rho > 0.0)
        wet_growth += 4.22e-13 * std::pow(100.0 * p.theta / p.rho, 3.0);
    p.gw += p.dt * wet_growth;
    double dg = 0.2;
    if (h > 0.0 && ((h - zw) * p.gd + zw * p.gw) / h == 0.0)
        dg = 0.0;
    p.k = (7.8 * p.rho > 50.0 || dg <= 0.0) ? 0.077 : 0.077 * dg * dg * std::exp(-7.8 * p.rho);
    const double root = std::pow(p.k, 1.0 / p.n);
    p.alpha = p.n * std::pow(water_conductivity, 1.0 / p.n) * root / p.phi;
}

// A compaction rate cut towards zero to a whole multiple of 1e-10, at most 0.
double cut_rate(double r)
{
    return std::min(std::trunc(r / 1e-10) * 1e-10, 0.0);
}

void compact(pack& p, double temp)
{
    if (p.h <= 0.0)
        return;
    const double rho_c = std::min(0.1, 1.15 * p.rho);
    const double c3 = p.rho > rho_c ? std::pow(e_base, -46.0 * (p.rho - rho_c)) : 1.0;
    const double c4 = std::min(1.0 + p.zw / p.h, 2.0);
    const double cm =
        std::fabs(0.04 * temp) >= 50.0 ? 0.0 : -2.778e-6 * c3 * c4 * std::pow(e_base, -0.04 * temp);
    const double x = 0.08 * temp + 23.0 * p.rho;
    const double co = std::fabs(x) >= 50.0 ? 0.0 : -p.rho * p.h * 0.5 * 981.0 / (9e6 * std::pow(e_base, x));
    const double h_new = p.h * (1.0 + p.dt * (cut_rate(cm) + cut_rate(co)));
    double rho_new = p.S * (1.0 - p.theta) / p.h;
    if (rho_new > density_cap) {
        rho_new = density_cap;
        p.theta = 0.07;
        p.S = rho_new * h_new / 0.93;
    }
    p.phi = (1.0 - p.theta) * (1.0 - rho_new);
    p.h = h_new;
    p.rho = rho_new;
    if (p.h < 0.0)
        p.h = p.S = 0.0;
}

void new_snow(pack& p, double snow)
{
    p.rho = (p.h * p.rho + snow) / (snow / new_snow_density + p.h);
    p.phi = (1.0 - p.theta) * (1.0 - p.rho);
    p.h += 12.5 * snow;
    p.S += snow;
    if (p.h < 0.0)
        p.h = p.S = 0.0;
}

// Frost in a cold hour without input: the cold layer deepens and removes
// the waves whose fronts it has frozen.
void frost(pack& p, double temp)
{
    const double r = p.rho * 1000.0;
    const double k = p.rho <= 0.0 ? 0.0045 : ((1.105e-6 * r * r + 7.775e-5 * r) * 2.267 + 0.023) * 0.01;
    cold_average(p, temp);
    // No liquid fraction yet: the frost depth has nothing to freeze.
    const double df_new =
        p.theta > 0.0 ? std::sqrt(2.0 * k * p.tc * p.dt * p.cold_n / (p.theta * 333.05)) : p.df;
    if (df_new > p.df)
        refreeze(p, df_new - p.df);
    p.df = df_new;
    if (p.df >= p.h) {
        p.waves = 0;
        return;
    }
    for (int j = p.waves; j >= 1; --j) {
        const double tau = std::max(p.t - created(p, j), 0.0);
        const double d0 = p.wave[j][w_depth0];
        const double z = front(p, j, tau, true);
        if (p.df - z - p.h + d0 > 0.0) {
            remove_wave(p, j);
            continue;
        }
        const double pf = d0 + p.df - p.h;
        if (pf > 0.0 && p.alpha != 0.0 && p.n != 1.0) {
            double a = p.t - created(p, j);
            if (a <= 0.0)
                a = 1.0;
            const double y =
                (p.n - 1.0) * std::pow(pf / p.alpha, p.n / (p.n - 1.0)) * std::pow(a, 1.0 / (1.0 - p.n));
            if (y > 0.0) {
                p.wave[j][w_meet_time] = std::pow(d0 / p.alpha, p.n) * std::pow((p.n - 1.0) / y, p.n - 1.0);
                if (p.wave[j][w_base_time] > p.wave[j][w_meet_time])
                    remove_wave(p, j);
            }
        }
        break;
    }
}

// Cold content and wetting: consumes the input, returns what is left.
double cold_and_wetting(pack& p, double input, double temp)
{
    const bool cold = p.cold_n != 0 || p.tc > 0.0;
    if (input > 0.0 && p.zw > p.h) {
        p.zw = p.h;
        if (cold)
            clear_cold_layer(p);
        return input;
    }
    if (input > 0.0) {
        bool layer = cold;
        if (layer) {
            const double release = input * fusion_j_cm;
            const double content = p.df * p.rho * 1.0405 * p.tc;
            if (release > content) {
                clear_cold_layer(p);
                layer = false;
                input *= 1.0 - content / release;
            } else {
                p.tc = (content - release) * 0.9611 / (p.rho * p.df);
                input = 0.0;
            }
        }
        const double need = p.h <= p.zw ? 0.0 : (p.h - p.zw) * p.theta;
        if (input < need) {
            add_liquid(p, input);
            if (layer) {
                cold_average(p, temp);
                if (p.tc < 0.0)
                    clear_cold_layer(p);
            }
            return 0.0;
        }
        add_liquid(p, need);
        if (layer)
            clear_cold_layer(p);
        return input - need;
    }
    if (temp < 0.0)
        frost(p, temp);
    return 0.0;
}

void update_liquid_fraction(pack& p, double temp, double rain, double input)
{
    if (p.h <= 0.0) {
        p.theta = 0.07;
        p.liquid = 0.0;
        p.zw = 0.0;
        p.hp = p.h;
        return;
    }
    double th = clamp_theta(p.theta - p.dt * (1.388888888888889e-9 * temp + 1.1111111111111112e-5 * rain +
                                              4.166666666666666e-8 * std::min(p.df / p.h, 1.0) +
                                              4.1666666666666667e-7 * input));
    if (p.h > p.hp && p.t > 1.5 * p.dt)
        th = clamp_theta(((p.h - p.hp) * 0.07 + p.hp * th) / p.h);
    p.theta = th;
    p.zw = std::max(std::min(p.liquid / th, p.h), 0.0);
    p.hp = p.h;
}

// A full table: the two oldest waves become one. The newer keeps its
// timing and takes the water the older one still holds.
void make_room(pack& p)
{
    if (p.waves < max_waves)
        return;
    const double* first = p.wave[1];
    const double age = p.t - created(p, 1);
    const double left = age > first[w_base_time] ? wave_water(p, first[w_depth0], age) : first[w_volume];
    p.wave[2][w_volume] += left;
    remove_wave(p, 1);
}

void add_wave(pack& p, double input)
{
    if (input > 1e-4) {
        make_room(p);
        const int j = ++p.waves;
        p.wave[j][w_neg_created] = -p.t;
        p.wave[j][w_depth0] = p.h;
        p.wave[j][w_volume] = input;
        p.wave[j][w_meet_time] = -1.0;
        p.wave[j][w_base_time] = p.h > 0.0 ? base_time(p, j) : 0.0;
        while (p.waves >= 2) {
            const int last = p.waves;
            if (created(p, last - 1) + p.wave[last - 1][w_base_time] >
                created(p, last) + p.wave[last][w_base_time])
                merge_into_previous(p, last);
            else
                break;
        }
    } else if (input > 0.0 && p.waves >= 2) {
        p.wave[p.waves - 1][w_volume] += input;
    }
}

// Outflow at the base of the pack booked against the held rain and the pack.
void book_outflow(pack& p, double q)
{
    if (p.held > q) {
        p.held -= q;
    } else if (p.S > 0.0) {
        const double rest = q - p.held;
        p.held = 0.0;
        p.S -= rest;
    }
    if (p.S < 0.0)
        p.S = p.h = p.rho = 0.0;
    if (p.h < 0.0)
        p.h = p.S = 0.0;
}

void drain(pack& p)
{
    const double end = p.t + p.dt;
    double now = p.t;
    if (p.h > 0.0 && p.waves > 0) {
        int k = 0;
        for (int j = 1; j <= p.waves; ++j)
            if (created(p, j) + p.wave[j][w_base_time] < end)
                ++k;
        for (int m = 1; m <= k && now < end && p.waves > 0; ++m) {
            const double c1 = created(p, 1);
            const double start = std::max(now, c1 + p.wave[1][w_base_time]);
            const double meet = p.wave[1][w_meet_time];
            double stop = 0.0;
            bool ends = false;
            if (m == k || p.waves < 2) {
                stop = end;
                if (meet != -1.0 && c1 + meet <= end) {
                    stop = c1 + meet;
                    ends = true;
                }
            } else {
                stop = created(p, 2) + p.wave[2][w_base_time];
                if (meet != -1.0 && c1 + meet <= stop) {
                    stop = c1 + meet;
                    ends = true;
                }
            }
            const double d0 = p.wave[1][w_depth0];
            p.outflow += std::max(wave_water(p, d0, start - c1) - wave_water(p, d0, stop - c1), 0.0);
            if (ends)
                remove_wave(p, 1);
            else if (m < k && p.waves >= 2)
                merge_second_into_first(p, stop);
            now = stop;
        }
    } else if (p.h <= 0.0 && p.waves > 0) {
        // No pack: the hour's water leaves at once.
        const double c1 = created(p, 1);
        const double arrival = c1 + p.wave[1][w_base_time];
        p.outflow += arrival < now ? wave_water(p, p.wave[1][w_depth0], p.t - c1) : p.wave[1][w_volume];
        remove_wave(p, 1);
    }
    if (p.outflow > 0.0)
        book_outflow(p, p.outflow);
}

void load(pack& p, const double* st, double temp)
{
    p.h = st[2];
    p.rho = st[3];
    p.theta = st[11];
    p.S = st[12];
    p.n = st[16] > 1.0 ? st[16] : 3.0;
    p.phi = st[10] > 0.0 && st[10] <= 1.0 ? st[10] : 0.67;
    if (st[21] == 1.0) {
        p.hp = st[1];
        p.zw = st[4];
        p.zp = st[5];
        p.gd = st[6];
        p.gw = st[7];
        p.t = st[8];
        p.tc = st[9];
        p.held = st[13];
        p.cold_n = static_cast<int>(st[14]);
        p.waves = static_cast<int>(st[15]);
        p.df = st[17];
        p.liquid = st[18];
        p.k = st[20];
    } else {
        p.hp = p.h;
        p.zw = p.zp = p.gd = p.gw = p.t = 0.0;
        p.tc = temp;
        p.cold_n = p.waves = 0;
        p.df = p.liquid = p.held = p.k = 0.0;
    }
    if (p.rho == 0.0)
        p.rho = 0.3;
    if (p.h == 0.0) {
        p.waves = 0;
        p.t = 0.0;
    }
    p.outflow = 0.0;
}

void save(const pack& p, double* st)
{
    st[1] = p.hp;
    st[2] = p.h;
    st[3] = p.rho;
    st[4] = p.zw;
    st[5] = p.zp;
    st[6] = p.gd;
    st[7] = p.gw;
    st[8] = p.t;
    st[9] = p.tc;
    st[10] = p.phi > 0.0 && p.phi <= 1.0 ? p.phi : (st[10] > 0.0 && st[10] <= 1.0 ? st[10] : 0.67);
    st[11] = p.theta;
    st[12] = p.S;
    st[13] = p.held;
    st[14] = p.cold_n;
    st[15] = p.waves;
    st[16] = p.n;
    st[17] = p.df;
    st[18] = p.liquid;
    st[19] = p.outflow;
    st[20] = p.k;
    st[21] = 1.0;
    st[22] = std::pow(p.k, 1.0 / p.n) / p.phi;
}

} // namespace

void melt_wave_snowpack(model_state& s, int cell, double p_in, double temp, double wind)
{
    pack p{};
    p.dt = s.snow_period_s > 0 ? s.snow_period_s : 3600.0;
    p.wave = reinterpret_cast<double(*)[6]>(s.wave[cell][0]);
    double* st = s.sn_stat[cell];
    load(p, st, temp);
    p.t += p.dt;

    grain_and_permeability(p);
    compact(p, temp);
    const double h_coeff = wind == 1e4 ? 10.0 : 6.0 * wind + 1.8;
    double input = p.h > 0.0 ? p.dt * h_coeff * temp / fusion_j_cm : 0.0;
    if (temp >= 0.0) {
        input += p_in * (1.0 + temp / 80.0);
        p.held = p_in;
    } else if (p_in > 0.0) {
        new_snow(p, p_in);
    }
    input = cold_and_wetting(p, input, temp);
    update_liquid_fraction(p, temp, temp >= 0.0 && p_in > 0.0 ? p_in : 0.0, input);
    add_wave(p, input);
    drain(p);
    if (p.h < 0.1) {
        p.h = 0.0;
        p.rho = 0.0;
    }
    save(p, st);
    s.snow_pack_depth = p.h;
    s.snow_pack_density = p.rho;
    s.snow_theta_r = p.theta;
    s.snow_permeability = p.k;
    s.snow_param_a = p.n;
    s.snow_param_b = p.phi;
}
