#include <algorithm>
#include <cmath>
#include <cstdio>

#include "channel/channel_state.h"
#include "channel/hydraulic_structures.h"

namespace
{

constexpr double two_g = 19.62;
constexpr double inv_two_g = 0.0509683995922528; // 1 / 19.62

// Flow through a long mild barrel running with flow area A and hydraulic
// radius Rh under the head difference dh: friction n^2 L / Rh^(4/3) beside
// the velocity head 1 / 2g, both in s^2/m.
double long_barrel_q(double A, double Rh, double n, double L, double dh)
{
    if (A <= 0.0 || Rh <= 0.0 || dh <= 0.0)
        return 0.0;
    return A * std::sqrt(dh / (n * n * L / std::pow(Rh, 4.0 / 3.0) + inv_two_g));
}

} // namespace

double culvert_outlet_invert(const chan_struct_rec& c)
{
    return c.down_invert >= 1e-4 ? c.down_invert : c.up_elev - c.length * c.slope;
}

culvert_result culv_flow(const std::vector<chan_struct_rec>& structures, int k, double U, double D)
{
    const chan_struct_rec& c = structures[static_cast<std::size_t>(k)];
    const int shape = c.type;
    const double W = c.size1;
    const double R = shape == culvert_round ? W : c.size2; // rise
    const double Cd = U > D ? c.coeff_forward : c.coeff_reverse;
    const double Cc = c.work_coeff;
    const double n = c.rough_coeff, L = c.length;
    culvert_result r;
    r.depth = R;
    r.area = 3.14 * 0.5 * R * R;
    if (L < 1e-4) {
        std::printf("Problem in culv_flow (ex_flow_route).  The culvert barrel length\n");
        std::printf("in culvert number %d is 0.0.  This is not possible. Program terminated.\n", k);
        r.q = culvert_failed;
        return r;
    }
    const double zo = culvert_outlet_invert(c);
    double S = c.down_invert >= 1e-4 ? (c.up_elev - c.down_invert) / L : c.slope;

    double HW, TW, ent, ex;
    int dir;
    if (D >= U) {
        HW = D, TW = U, ent = zo, ex = c.up_elev, dir = -1;
    } else {
        HW = U, TW = D, ent = c.up_elev, ex = zo, dir = 1;
    }
    S *= dir;
    if (ent > HW || ex > HW)
        return r;
    const double F = (S > 0.01 ? HW - ent : HW - ex) / R;

    double Q = 0.0;
    int regime = 0;
    if (L > 40.0 * R && S < 0.01) {
        // Long mild barrel: friction governs.
        const double Af = 3.14159 * R * R / 4.0;
        if (F < 1.5 && TW < ex + R) {
            double y = 0.0;
            if (R > TW - ex && TW > ex) {
                regime = 3;
                y = (0.7 * (HW - ent) + (TW - ex)) / 2.0;
            }
            if (TW <= ex + 1e-6) {
                regime = 2;
                y = (HW - ent) / 2.0;
            }
            culvert_geometry g;
            culvert_section(R, y, W, shape, g);
            Q = g.perimeter > 0.0 ? long_barrel_q(g.area, g.area / g.perimeter, n, L, HW - TW) : 0.0;
            r.depth = y;
            r.area = g.area;
        } else if (TW > ex + R / 2.0) {
            // Tailwater above mid-barrel, or above the crown: full barrel.
            regime = 4;
            Q = long_barrel_q(Af, R / 4.0, n, L, HW - TW);
        } else {
            regime = 6;
            Q = long_barrel_q(Af, R / 4.0, n, L, HW - (ex + R / 2.0));
        }
    } else if (F < 1.5 && TW < 0.7 * (HW - ent) + ex) {
        // Inlet control.
        regime = S > 0.01 ? 1 : 2;
        const double E = S > 0.01 ? HW - ent : HW - ex;
        if (E < 0.01) {
            regime = 0;
        } else if (shape == culvert_round) {
            const double Cdp = Cc >= 0.01 ? (1.0 - F / 1.5) * Cd + F * Cc / 1.5 : Cd;
            const double Qmax = culvert_segment_area(shape, R, W, std::min(R, E)) * Cdp * std::sqrt(two_g) *
                                std::sqrt(R > E ? E / 3.0 : 0.4 * E);
            r.area = culvert_segment_area(shape, R, W, crit_calc(shape, R, W, Qmax));
            const culvert_inlet inlet{shape, R, W, Cdp, E};
            int iterations = 0;
            Q = zbrent(inlet, 1e-4, Qmax, 1e-4, iterations);
            if (Q == culvert_failed) {
                std::printf("Problem in zbrent (ex_flow_route). Hydraulic short culvert routine \n");
                std::printf("The flow cannot be determine in culvert number %d\n", k);
                r.q = culvert_failed;
                return r;
            }
            r.depth = crit_calc(shape, R, W, Q);
        } else if (shape == culvert_box) {
            const double yc = 2.0 * E / 3.0;
            Q = Cc * yc * W * std::sqrt(two_g) * std::sqrt(E - yc);
            r.depth = yc;
            r.area = yc * W;
        }
    } else if (F < 1.5 && TW < R + ex) {
        // Outlet partly submerged.
        regime = 3;
        culvert_geometry g;
        culvert_section(R, TW - ex, W, shape, g);
        Q = std::sqrt(two_g * (HW - TW)) * g.area * Cd;
    } else {
        double Af, Rh;
        if (shape == culvert_round) {
            Af = 3.1415926 * R * R / 4.0;
            Rh = R / 4.0;
        } else if (shape == culvert_oval) {
            Af = 0.788 * W * R;
            Rh = 0.299 * R;
        } else {
            Af = W * R;
            Rh = W * R / (2.0 * W + 2.0 * R);
        }
        if (TW - ex >= R) {
            // Submerged outlet: full-barrel outlet control, whatever the
            // headwater over the inlet.
            regime = 4;
            const double K = L > 15.0 ? 1.0 + two_g * Cd * Cd * n * n * L / std::pow(Rh, 4.0 / 3.0) : 1.0;
            Q = Af * Cd * std::sqrt(two_g * (HW - TW) / K);
        } else {
            // F >= 1.5 with a free outlet: the smaller of the inlet and
            // outlet orifices.
            const double Qi = Cd * Af * std::sqrt(two_g * (HW - ent));
            const double Qo = Cd * Af * std::sqrt(two_g * (HW - R - ex));
            if (Qo > Qi) {
                Q = Qi;
                regime = 5;
            } else {
                Q = Qo;
                regime = 6;
            }
        }
    }
    r.q = Q * dir;
    r.regime = regime * dir;
    return r;
}
