#include <algorithm>
#include <cmath>
#include <cstdio>

#include "channel/chan_file.h"
#include "channel/chan_routing.h"
#include "channel/channel_services.h"
#include "core/model_state.h"

namespace
{

const double sub_x[] = {0.0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.76, 0.8, 0.95, 1.0};
const double sub_f[] = {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 0.947, 0.75, 0.0};
constexpr int sub_n = 11;

constexpr double weir_coeff = 3.40978982734;

struct entry_geom {
    double p = 0.0;  // fraction of the cell's channel length
    double dx = 0.0; // node spacing
    double gridsize = 0.0;
    double rough = 0.0;
    double ys = 0.0, ws = 0.0;
};

double weir(const entry_geom& g, double H, double hd)
{
    const double x = std::pow(hd / H, 1.5);
    const double f = x < 1e-7 ? 1.0 : weir_submergence_factor(x);
    return std::pow(H, 1.5) * g.p * g.dx * weir_coeff * f;
}

double manning_cross(const entry_geom& g, double d)
{
    if (d <= 1e-16)
        return 0.0;
    return std::sqrt(std::fabs(g.ys - g.ws) / (g.gridsize / 2.0)) * std::pow(d, 2.0 / 3.0) / g.rough * d * g.dx *
           2.0 * g.p;
}

double critical_limit(const entry_geom& g, double H)
{
    return std::sqrt((2.0 / 3.0) * H * 9.81) * 0.8944 * (2.0 / 3.0) * H * 2.0 * g.p * g.dx;
}

// Outcome of one entry's rules: no exchange, inflow to the channel, or a
// spill with its head.
struct exchange_flow {
    int kind = 0; // 0 none, 1 cell to channel, 2 channel to cell
    double Q = 0.0;
    double H = 0.0;
};

} // namespace

double weir_submergence_factor(double x)
{
    if (x > 1.0 - 1e-7)
        return 0.0;
    for (int i = 0; i < sub_n; ++i)
        if (std::fabs(x - sub_x[i]) < 1e-4)
            return sub_f[i];
    for (int i = 0; i + 1 < sub_n; ++i)
        if (x > sub_x[i] && x < sub_x[i + 1])
            return sub_f[i] + (x - sub_x[i]) * (sub_f[i + 1] - sub_f[i]) / (sub_x[i + 1] - sub_x[i]);
    return 0.0;
}

double overland_channel_exchange(model_state& s, double dt, double& bc_in, double& bc_out)
{
    double lumped = 0.0;
    const int N = s.num_cells;
    if (s.exchange_roughness.size() != N)
        s.exchange_roughness.assign(N, 0.0);
    for (int c = 1; c <= N; ++c)
        s.exchange_roughness[c] = s.dist_rough[c] * std::exp(-s.roughness_exp[c] * s.ov_depth[c]);
    for (int m = 1; m <= s.gst_ncells; ++m)
        for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e)
            s.gst_qlat[m][e] = 0.0;
    // The lumped soil models' discharge is added by the channel step at every
    // channel time (lumped_channel_inflow), wet cells or not.

    const xsec_arrays x = state_xsec_arrays(s);
    const double cell_area = s.gridsize * s.gridsize;
    int last_link = 0, last_node = 0;
    int nan_link = 0, nan_node = 0;
    for (int m = 1; m <= s.gst_ncells; ++m) {
        for (int e = 1; e <= s.gst_ncellsingrid[m]; ++e) {
            const int l = s.gst_link[m][e], n = s.gst_node[m][e], c = s.gst_gnum[m][e];
            const int type = s.ltype[l];
            if ((type & (32 | 64)) || ((type & 128) && (type & (4 | 8 | 16))))
                continue;
            if (s.chan_lakes && ((c <= s.lake_mask.size() && s.lake_mask[c] >= 1) || n > s.nx[l]))
                continue;
            last_link = l;
            last_node = n;
            entry_geom g;
            g.p = s.gst_pct[m][e];
            g.dx = s.link_dx[l];
            g.gridsize = s.gridsize;
            g.rough = s.exchange_roughness[c];
            const double h = s.ov_depth[c], zg = s.ground_elev[c];
            g.ws = zg + h;
            const double zb = s.bel[n][l], zk = zb + s.bankfull_dep[n][l];
            g.ys = s.yp[n][l];
            const double ys = g.ys, ws = g.ws, dc = ys - zg;
            const bool shaped = (type & (4 | 8 | 16)) != 0;
            const bool overbank = s.overbank_flow || (shaped && (type & 256));
            const bool backwater = s.overland_backwater || (shaped && (type & 512));
            const bool boundary = s.ov_boundary && c <= s.boundary_type.size() &&
                                  (s.boundary_type[c] == 2 || s.boundary_type[c] == 3 || s.boundary_type[c] == 9);

            exchange_flow back; // the backwater evaluation
            if (backwater && !(ws <= ys || ws <= zk)) {
                double H, hd;
                if (zg <= zk) {
                    H = ws - zk;
                    hd = ys - zk;
                } else {
                    H = h;
                    hd = dc;
                }
                hd = std::max(hd, 0.0);
                if (H > 1e-16) {
                    const double Qw = weir(g, H, hd);
                    back.kind = 1;
                    back.Q = hd / H > 0.66 ? std::min(manning_cross(g, (h + dc) / 2.0), Qw) : Qw;
                }
            }
            const exchange_flow fall_back = backwater ? back : exchange_flow();

            exchange_flow f;
            if (!overbank && !backwater) {
                if (h > 1e-16) {
                    f.kind = 1;
                    f.Q = std::pow(h, 1.5) * g.p * g.dx * weir_coeff;
                }
            } else if (!overbank) {
                f = back;
            } else if ((zk <= zg && ys <= ws) || (zk > zg && ys <= zk) || (zk > zg && ys > zk && ys <= ws)) {
                if (backwater) {
                    f = fall_back;
                } else if (h > 1e-16) {
                    const double hd = std::max(dc, 0.0);
                    const double Qw = weir(g, h, hd);
                    f.kind = 1;
                    f.Q = hd / h <= 0.66 ? Qw : std::min(manning_cross(g, (h + dc) / 2.0), Qw);
                }
            } else if (zk <= zg) { // spill over a low bank: ys > ws
                if (zg <= zb) {
                    f = fall_back;
                } else {
                    f.kind = 2;
                    f.H = dc;
                    f.Q = std::min({manning_cross(g, (h + dc) / 2.0), weir(g, dc, h), critical_limit(g, dc)});
                }
            } else { // spill over the bank: ys > zk, ys > ws
                const double H = ys - zk;
                if (H <= 1e-16) {
                    f = fall_back;
                } else {
                    f.kind = 2;
                    f.H = H;
                    f.Q = std::min({manning_cross(g, (h + dc) / 2.0), weir(g, H, std::max(ws - zk, 0.0)),
                                    critical_limit(g, H)});
                }
            }

            double Q = f.Q;
            if (f.kind == 0) {
                Q = 0.0;
            } else if (f.kind == 1) {
                // A boundary cell keeps its depth: the boundary supplies the water.
                if (boundary) {
                    bc_in += Q * dt;
                } else if (h * cell_area - Q * dt < -1e-16) {
                    Q = h * cell_area / dt;
                    s.ov_depth[c] = 0.0;
                } else {
                    s.ov_depth[c] -= Q * dt / cell_area;
                }
            } else {
                // Spillable volume: the node's area above the stage lowered by
                // the head.
                s.yp[n][l] = ys - f.H;
                s.chan_depth[n][l] = s.yp[n][l] - zb;
                ex_section_node(x, 2, l, n);
                const double A1 = s.area[n][l];
                s.yp[n][l] = ys;
                s.chan_depth[n][l] = ys - zb;
                ex_section_node(x, 2, l, n);
                const double Vb = (s.area[n][l] - A1) * g.dx * g.p;
                if (Vb <= 0.0)
                    Q = 0.0;
                else if ((Vb - Q * dt) / Vb < 1.0 - s.overbank_factor)
                    Q = Vb * s.overbank_factor / dt;
                Q = -Q;
                if (boundary) {
                    bc_out += -Q * dt; // leaves through the boundary
                } else {
                    s.ov_depth[c] += -Q * dt / cell_area;
                    const double excess = s.ov_depth[c] + zg - ys;
                    if (excess > 1e-12) {
                        s.ov_depth[c] -= excess;
                        Q += excess * cell_area / dt;
                    }
                }
            }
            if (std::isnan(Q) && nan_link == 0) {
                nan_link = l;
                nan_node = n;
            }
            s.qlat[n][l] += Q / g.dx;
            s.gst_qlat[m][e] += Q;
            // The exchanged volume carries the constituents (m3, positive
            // from the cell into the channel).
            if (s.con_any) {
                if (c <= s.con_chan_work.size())
                    s.con_chan_work[c] += Q * dt;
                if (m <= s.gst_Vlat.rows() && e <= s.gst_Vlat.cols())
                    s.gst_Vlat[m][e] += Q * dt;
            }
        }
    }
    // A lateral inflow that is not a number would spread through the
    // routing: the run stops here, naming the first such entry.
    if (std::isnan(lumped) || nan_link) {
        if (!nan_link) {
            nan_link = last_link;
            nan_node = last_node;
        }
        std::printf("lateral inflow for node %ld link %ld is not a number \n", static_cast<long>(nan_node),
                    static_cast<long>(nan_link));
        chan_stop();
    }
    return lumped;
}
