// Sand in the channels: Yang's sand transport capacity at every node, the
// sand moved between nodes slot by slot (the sand classes first, the
// erodible bed layer last), into channel lakes and out of the outlet, and
// the bed elevation of erodible trapezoidal links. The passes run serially
// in link and node order: a transfer changes the store of a later node.
#include <cmath>
#include <cstdio>
#include <new>

#include "core/error_state.h"
#include "core/model_state.h"
#include "quality/chan_sediment.h"

namespace
{

constexpr double tiny = 1e-16;
constexpr int lake_bit = 0x20;
constexpr int structure_bit = 0x40;
constexpr int captured_bit = 0x80;
constexpr int channel_bits = 4 | 8 | 0x10;

bool is_lake_or_captured(const model_state& s, int link)
{
    const int t = s.ltype[link];
    return (t & lake_bit) || ((t & channel_bits) && (t & captured_bit));
}

// Links whose nodes get a capacity: no lake, no structure, no captured
// channel.
bool carries_sand(const model_state& s, int link)
{
    const int t = s.ltype[link];
    return !(t & lake_bit) && !(t & structure_bit) && !((t & channel_bits) && (t & captured_bit));
}

// Erodible links whose sand moves: trapezoid or break-point sections.
bool moves_sand(const model_state& s, int link)
{
    const int t = s.ltype[link];
    return carries_sand(s, link) && (t & 2) && (t & (4 | 8));
}

double stage(const model_state& s, int node, int link)
{
    return s.bel[node][link] + s.chan_depth[node][link];
}

// Energy slope (absolute) at node k of link i.
double energy_slope(const model_state& s, int k, int i)
{
    const int nx = s.nx[i];
    const double dx = s.link_dx[i];
    if (k < nx)
        return std::fabs((stage(s, k, i) - stage(s, k + 1, i)) / dx);
    const int ds = s.dslink[i];
    if (ds == 0)
        return nx >= 2 ? std::fabs((s.bel[nx - 1][i] - s.bel[nx][i]) / dx) : 0.0;
    if (is_lake_or_captured(s, ds)) {
        const int lake = s.lake2link.size() >= ds ? s.lake2link[ds] : 0;
        const double level = lake >= 1 && s.lake_elev.size() >= lake ? s.lake_elev[lake] : stage(s, k, i);
        return std::fabs((stage(s, k, i) - level) / (2.0 * dx));
    }
    return std::fabs((stage(s, k, i) - stage(s, 1, ds)) / (0.5 * (dx + s.link_dx[ds])));
}

// Moves up to X from the source store into the destination store, slot by
// slot (1..w + 1), recording each slot's volume per dt in the node's qsmax
// row (negated for upstream movement). dst may be null: the sand leaves the
// network (and goes to out per dt when given).
void take_sand(double* src, double* dst, double X, int w, double dt, double* qs_row, int fine, double sign,
               double* out)
{
    for (int m = 1; m <= w + 1; ++m) {
        double moved;
        if (X < src[m]) {
            moved = X;
            src[m] -= X;
            X = 0.0;
        } else {
            moved = src[m];
            src[m] = 0.0;
            X -= moved;
        }
        if (dst)
            dst[m] += moved;
        if (out)
            out[m] = moved / dt;
        qs_row[fine + m] = sign * moved / dt;
    }
}

double node_total(const double* store, int w)
{
    double v = 0.0;
    for (int m = 1; m <= w + 1; ++m)
        v += store[m];
    return v;
}

void clear_row(double* qs_row, int fine, int w)
{
    for (int m = 1; m <= w + 1; ++m)
        qs_row[fine + m] = 0.0;
}

void stop_run()
{
    error_set(err_stop);
    report_error(error_state);
}

} // namespace

double yang_sand_concentration(double R, double S, double V, double d, double nu, double ws, double& vc_ratio)
{
    vc_ratio = 0.0;
    const double shear = 9810.0 * R * S;
    const double ustar = shear > tiny ? std::sqrt(shear / 1000.0) : 0.0;
    const double re = ustar * d / nu;
    if (re < 1.2)
        return 0.0;
    vc_ratio = re < 70.0 ? 2.5 / (std::log10(re) - 0.06) + 0.66 : 2.05;
    if (vc_ratio > V / ws)
        return 0.0;
    const double a = std::log10(ws * d / nu);
    const double b = std::log10(ustar / ws);
    const double excess = V * S / ws - vc_ratio * S;
    if (!(excess > 0.0))
        return 0.0;
    return std::pow(10.0,
                    5.435 - 0.286 * a - 0.457 * b + (1.799 - 0.409 * a - 0.314 * b) * std::log10(excess));
}

void bp_table_lookup(const model_state& s, int node, int link, double depth, double& A, double& P)
{
    const int t = s.table_num[node][link];
    const double a = s.ht_spc[t];
    const int N = s.numhts[t];
    const auto perimeter = [&](int row) { return s.xtw[row][t] + s.xp[row][t]; };
    if (depth < a) {
        const double f = std::pow(depth / a, 5.0 / 3.0);
        A = s.xarea[1][t] * f;
        P = perimeter(1) * f;
        return;
    }
    if (depth >= N * a) {
        // At or above the last row: rows N - 1 and N (row N alone at N x a).
        const double e = (depth - N * a) / a;
        const int lo = N >= 2 ? N - 1 : N;
        A = s.xarea[N][t] + (s.xarea[N][t] - s.xarea[lo][t]) * e;
        P = perimeter(N) + (perimeter(N) - perimeter(lo)) * e;
        return;
    }
    const int e = static_cast<int>(depth / a);
    const double r = (depth - e * a) / a;
    A = s.xarea[e][t] + (s.xarea[e + 1][t] - s.xarea[e][t]) * r;
    P = perimeter(e) + (perimeter(e + 1) - perimeter(e)) * r;
}

void alloc_channel_sediment(model_state& s)
{
    const int n = s.sed.num_sed;
    const int w = s.num_sand_classes;
    const int nd = s.node_dim;
    const int ld = s.link_dim;
    const int flat = (ld + 1) * nd;
    const double p = s.sed_porosity;
    try {
        s.new_bel.assign(nd, ld, 0.0);
        s.qsmax_total.assign(nd, ld, 0.0);
        s.org_bel.assign(nd, ld, 0.0);
        s.ch_wash_vol.assign(nd, ld, n, 0.0);
        s.qlat_sed.assign(nd, ld, n, 0.0);
        s.qlat_tot_sed.assign(nd, ld, n, 0.0);
        const int f = s.num_fine_classes;
        s.SS_node_conc_vol.assign(flat, f, 0.0);
        s.chan_wash_outlet.assign(f, 0.0);
        s.chan_sed_conc.assign(flat, n, 0.0);
        for (dmat* a : {&s.advect_flux, &s.temp_conc, &s.temp_flux})
            a->assign(flat, f, 0.0);
        s.temp_mass.assign(nd, ld, f, 0.0);
        s.ch_sand_vol.assign(nd, ld, n + 1, 0.0);
        s.qsmax.assign(flat, n + 1, 0.0);
        s.chan_sand_outflow.assign(n + 1, 0.0);
        s.chan_sand_lat_total.assign(n + 1, 0.0);
        s.chan_sed_in_total.assign(n, 0.0);
        s.chan_sed_in_event.assign(n, 0.0);
        s.chan_sand_rate.assign(flat + 2, 0.0);
        if (s.chan_lakes) {
            const int nl = s.num_lakes;
            s.lake_depo_vol.assign(nl, n + 1, 0.0);
            for (dmat* a : {&s.SS_vol_lake, &s.SS_conc_vol_lake, &s.SS_conc_lake, &s.SS_vol_lake_settled,
                            &s.SS_vol_chan_to_lake, &s.SS_vol_lake_to_chan, &s.SS_vol_overland_to_lake,
                            &s.SS_vol_lake_to_overland, &s.lake_settled_step, &s.GLOBAL_SS_vol_lake_to_chan,
                            &s.GLOBAL_SS_vol_chan_to_lake, &s.GLOBAL_SS_vol_overland_to_lake,
                            &s.GLOBAL_SS_vol_lake_settled})
                a->assign(nl, f, 0.0);
            for (dmat* a : {&s.sed_vol_overland_to_lake, &s.lake_ov_taken})
                a->assign(nl, n, 0.0);
            for (dvec* a : {&s.init_sed_vol_lake, &s.event_lake_sand_in, &s.event_lake_depo_in,
                            &s.tot_lake_sand_in, &s.tot_lake_depo_in})
                a->assign(nl, 0.0);
            s.num_lake_cells.assign(nl, 0);
        }
    } catch (const std::bad_alloc&) {
        std::printf("Error allocating memory for variable %s\n", "channel sediment arrays");
        stop_run();
        return;
    }
    s.chan_sand_initial_total = 0.0;
    for (int i = 1; i <= s.num_links; ++i) {
        if (!(s.ltype[i] & 2))
            continue;
        const double dx = s.link_dx[i];
        for (int k = 1; k <= s.nx[i]; ++k) {
            s.new_bel[k][i] = s.org_bel[k][i] = s.bel[k][i];
            double layer = 0.0;
            if (s.ltype[i] & 4) {
                // The same length as the bed formula, so that a store equal to
                // its initial layer leaves the bed where it was.
                layer = (1.0 - p) * s.max_eros[k][i] * s.bottom[k][i] * dx;
            } else if ((s.ltype[i] & 8) && s.bplink.size() >= i && s.bplink[i] >= 1) {
                const int b = s.bplink[i];
                const int t = s.table_num[k][i];
                const double x1 = s.xbp_lnn[b][k][1];
                const double xl = s.xbp_lnn[b][k][s.numpairs[t]];
                const double v0 = std::fabs(xl - x1) * (s.numhts[t] * s.ht_spc[t] + s.max_eros[k][i]) * dx -
                                  s.xarea[s.numhts[t]][t] * dx;
                layer = (1.0 - p) * v0;
            }
            s.ch_sand_vol[k][i][w + 1] = layer;
            s.ch_sand_vol[k][i][0] = layer;
            s.chan_sand_initial_total += layer;
        }
    }
}

void chan_sed_transport(model_state& s, double dt)
{
    if (!s.chan_sed_on || s.ch_sand_vol.empty() || dt <= 0.0)
        return;
    const int L = s.num_links;
    const int w = s.num_sand_classes;
    const int fine = s.num_fine_classes;
    const int nd = s.node_dim;
    const double nu = s.sed.water_viscosity;
    const double p = s.sed_porosity;
    const double d = s.sand_size / 1000.0;
    const double dstar = std::cbrt(16.1865 / (nu * nu)) * d;
    const double ws = (std::sqrt(1.0 + 0.0139 * dstar * dstar * dstar) - 1.0) * 8.0 * nu / d;
    double* rate = s.chan_sand_rate.data();

    // Step 1: capacity at every node that carries sand.
    for (int i = 1; i <= L; ++i) {
        if (!carries_sand(s, i))
            continue;
        const int t = s.ltype[i];
        for (int k = 1; k <= s.nx[i]; ++k) {
            const int j = nd * i + k;
            rate[j] = 0.0;
            const double h = s.chan_depth[k][i];
            if (h < tiny)
                continue;
            for (int m = 1; m <= w; ++m) {
                double& lateral = s.qlat_sed[k][i][s.sed_class[fine + m]];
                s.ch_sand_vol[k][i][m] += lateral;
                s.chan_sand_lat_total[m] += lateral;
                s.chan_sand_from_ov_event += lateral;
                lateral = 0.0;
            }
            double A = 0.0;
            double P = 0.0;
            if (t & 4) {
                const double z = s.sslope[k][i];
                const double b = s.bottom[k][i];
                A = z * h * h + b * h;
                P = 2.0 * h * std::sqrt(z * z + 1.0) + b;
            } else if (t & 8) {
                bp_table_lookup(s, k, i, h, A, P);
            }
            const double R = P > tiny ? A / P : 0.0;
            const double Q = s.qp[k][i];
            const double V = A > tiny ? std::fabs(Q / A) : 0.0;
            double vc = 0.0;
            const double ct =
                R > 0.0 ? yang_sand_concentration(R, energy_slope(s, k, i), V, d, nu, ws, vc) : 0.0;
            double r = ct * 9810.0 * std::fabs(Q) / 2.59965e10;
            if (Q < -tiny)
                r = -r;
            if (std::isnan(r)) {
                std::printf("bed load NaN\n");
                stop_run();
                return;
            }
            rate[j] = r;
        }
    }

    // Step 2: moving the sand of erodible links.
    for (int m = 0; m <= w + 1; ++m)
        s.chan_sand_outflow[m] = 0.0;
    for (int i = 1; i <= L; ++i) {
        if (!moves_sand(s, i))
            continue;
        const int nx = s.nx[i];
        const int ds = s.dslink[i];
        for (int j = 1; j <= nx; ++j) {
            const int f = nd * i + j;
            double* qs = s.qsmax[f];
            const double r = rate[f];
            double* here = s.ch_sand_vol[j][i];
            if (std::fabs(r) <= tiny || (r > 0.0 && s.chan_depth[j][i] < tiny)) {
                clear_row(qs, fine, w);
                continue;
            }
            if (r > 0.0) {
                const double X = r * dt;
                if (j < nx) {
                    take_sand(here, s.ch_sand_vol[j + 1][i], X, w, dt, qs, fine, 1.0, nullptr);
                } else if (ds == 0) {
                    const double before = node_total(here, w);
                    take_sand(here, nullptr, X, w, dt, qs, fine, 1.0, s.chan_sand_outflow.data());
                    s.chan_sand_out_event += before - node_total(here, w);
                } else if (is_lake_or_captured(s, ds)) {
                    const int lake = s.lake2link[ds];
                    double* into = !s.lake_depo_vol.empty() && lake >= 1 ? s.lake_depo_vol[lake] : nullptr;
                    const double before = node_total(here, w);
                    take_sand(here, into, X, w, dt, qs, fine, 1.0, nullptr);
                    const double moved = before - node_total(here, w);
                    if (into)
                        into[0] += moved;
                    if (s.event_lake_sand_in.size() >= lake && lake >= 1) {
                        s.event_lake_sand_in[lake] += moved;
                        s.event_lake_sand_in[0] += moved;
                        s.tot_lake_sand_in[lake] += moved;
                        s.tot_lake_sand_in[0] += moved;
                    }
                } else {
                    double* first = s.ch_sand_vol[1][ds];
                    take_sand(here, first, X, w, dt, qs, fine, 1.0, nullptr);
                    if ((s.ltype[ds] & structure_bit) && s.dslink[ds] >= 1) {
                        // Sand carried across a structure joins the store below it.
                        double* below = s.ch_sand_vol[1][s.dslink[ds]];
                        for (int m = 1; m <= w + 1; ++m) {
                            below[m] += first[m];
                            first[m] = 0.0;
                        }
                    }
                }
                continue;
            }
            const double X = -r * dt;
            if (j < nx) {
                if (s.chan_depth[j + 1][i] < tiny)
                    clear_row(qs, fine, w);
                else
                    take_sand(s.ch_sand_vol[j + 1][i], here, X, w, dt, qs, fine, -1.0, nullptr);
                continue;
            }
            int src_link = ds;
            if (ds >= 1 && (s.ltype[ds] & structure_bit))
                src_link = s.dslink[ds];
            if (ds == 0 || src_link == 0 || is_lake_or_captured(s, ds) || is_lake_or_captured(s, src_link) ||
                s.chan_depth[1][src_link] < tiny) {
                clear_row(qs, fine, w);
                if (ds == 0)
                    for (int m = 1; m <= w + 1; ++m)
                        s.chan_sand_outflow[m] = 0.0;
                continue;
            }
            take_sand(s.ch_sand_vol[1][src_link], here, X, w, dt, qs, fine, -1.0, nullptr);
        }
    }

    // Step 3: node totals; step 4: bed elevation of erodible trapezoids.
    for (int i = 1; i <= L; ++i) {
        if (!moves_sand(s, i))
            continue;
        const bool trapezoid = (s.ltype[i] & 4) != 0;
        const double dx = s.link_dx[i];
        for (int j = 1; j <= s.nx[i]; ++j) {
            double* store = s.ch_sand_vol[j][i];
            double sum = 0.0;
            for (int m = 1; m <= w + 1; ++m)
                sum += store[m];
            store[0] = sum;
            if (!trapezoid)
                continue;
            const double b = s.bottom[j][i];
            const double z = s.sslope[j][i];
            const double max_eros = s.max_eros[j][i];
            const double excess = sum - b * max_eros * dx * (1.0 - p);
            if (excess >= 0.0) {
                // Deposition above the initial layer fills the trapezoid.
                const double a = excess / dx / (1.0 - p);
                const double y =
                    z > tiny ? (std::sqrt(b * b + 4.0 * z * a) - b) / (2.0 * z) : (b > tiny ? a / b : 0.0);
                s.new_bel[j][i] = s.org_bel[j][i] + y;
            } else {
                const double drop = b > tiny ? -excess / (b * dx * (1.0 - p)) : max_eros;
                s.new_bel[j][i] = s.org_bel[j][i] - (drop < max_eros ? drop : max_eros);
            }
        }
    }
}

void chan_sediment_event_start(model_state& s)
{
    if (!s.chan_sed_on || s.ch_sand_vol.empty())
        return;
    s.chan_washload_out_event = 0.0;
    s.chan_washload_peak_event = 0.0;
    s.chan_sand_out_event = 0.0;
    s.chan_sand_from_ov_event = 0.0;
    const int w = s.num_sand_classes;
    for (int m = 0; m <= w + 1; ++m)
        s.chan_sand_outflow[m] = 0.0;
    for (int c = 0; c <= s.sed.num_sed && c <= s.chan_sed_in_event.size(); ++c)
        s.chan_sed_in_event[c] = 0.0;
    double sand = 0.0;
    double wash = 0.0;
    for (int i = 1; i <= s.num_links; ++i) {
        if (s.ltype[i] & (1 | lake_bit | structure_bit))
            continue;
        for (int k = 1; k <= s.nx[i]; ++k) {
            sand += node_total(s.ch_sand_vol[k][i], w);
            wash += s.ch_wash_vol[k][i][0];
        }
    }
    s.chan_sand_initial_event = sand;
    s.chan_washload_initial_event = wash;
    // The lakes' wash-load tallies of the event start empty.
    if (s.SS_vol_lake.empty())
        return;
    for (dmat* a :
         {&s.SS_vol_chan_to_lake, &s.SS_vol_lake_to_chan, &s.SS_vol_overland_to_lake, &s.SS_vol_lake_settled})
        for (int l = 0; l <= s.num_lakes; ++l)
            for (int k = 0; k <= s.num_fine_classes; ++k)
                (*a)[l][k] = 0.0;
    for (dvec* a : {&s.event_lake_sand_in, &s.event_lake_depo_in})
        for (int l = 0; l <= s.num_lakes; ++l)
            (*a)[l] = 0.0;
    for (int l = 1; l <= s.num_lakes; ++l)
        s.init_sed_vol_lake[l] = s.SS_vol_lake[l][0];
}
