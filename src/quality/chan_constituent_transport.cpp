// Wash load in the channels: the fine size classes move with the water
// between nodes by an upwind predictor-corrector on the volumes of water
// that left each node over the channel step (qp_vol_sed).
#include <algorithm>
#include <cmath>

#include "core/model_state.h"
#include "quality/chan_sediment.h"

namespace
{

constexpr double tiny = 1e-16;

bool lake_like(const model_state& s, int l)
{
    const int t = s.ltype[l];
    return (t & 32) || ((t & 128) && (t & (4 | 8 | 16)));
}

bool routed(const model_state& s, int l)
{
    return !lake_like(s, l) && !(s.ltype[l] & 64);
}

int flat(const model_state& s, int node, int link)
{
    return s.node_dim * link + node;
}

int lake_of(const model_state& s, int l)
{
    const int lake = l <= s.lake2link.size() ? s.lake2link[l] : 0;
    return lake >= 1 && lake <= s.num_lakes && !s.SS_vol_lake.empty() ? lake : 0;
}

double node_volume(const model_state& s, int node, int link)
{
    return s.area[node][link] * s.link_dx[link];
}

// Face fluxes over the step (m3 of sediment, positive downstream), stored at
// the upstream node of each face, from the concentrations C and the volumes
// cap that no flux may take beyond.
void chan_wash_fluxes(const model_state& s, const dmat& C, const dcube& cap, dmat& F)
{
    const int f = s.num_fine_classes;
    const int L = s.num_links;
    for (int l = 1; l <= L; ++l)
        for (int n = 1; n <= s.nx[l]; ++n)
            for (int k = 1; k <= f; ++k)
                F[flat(s, n, l)][k] = 0.0;
    for (int l = L; l >= 1; --l) {
        if (lake_like(s, l)) {
            // Faces between the channels ending in the lake and the lake:
            // water flowing back out of the lake carries the lake's
            // concentration, shared in the order of the upstream list so
            // that together they take at most what the lake holds.
            const int lake = lake_of(s, l);
            for (int k = 1; k <= f; ++k) {
                double left = lake >= 1 ? std::max(s.SS_vol_lake[lake][k], 0.0) : 0.0;
                for (int j = 1; j <= s.ndep[l]; ++j) {
                    const int u = s.uslinks[l][j];
                    if (u < 1 || (s.ltype[u] & 64) || lake_like(s, u) || s.nx[u] < 1)
                        continue;
                    const int U = s.nx[u];
                    const double q = s.qp_vol_sed[U][u];
                    double v = 0.0;
                    if (q > tiny) {
                        v = std::min(C[flat(s, U, u)][k] * q, cap[U][u][k]);
                    } else if (q < -tiny && lake >= 1) {
                        v = std::max(s.SS_conc_vol_lake[lake][k] * q, -left);
                        left += v;
                    }
                    F[flat(s, U, u)][k] = v;
                }
            }
            continue;
        }
        if (s.ltype[l] & 64) {
            // A structure passes the neighbour's concentration on the side
            // the water comes from.
            const int nl = s.nx[l];
            const double q1 = s.qp_vol_sed[1][l];
            int nb_link = 0, nb_node = 0;
            if (q1 >= tiny && s.ndep[l] >= 1) {
                nb_link = s.uslinks[l][1];
                nb_node = s.nx[nb_link];
            } else if (q1 <= -tiny && s.dslink[l] >= 1) {
                nb_link = s.dslink[l];
                nb_node = 1;
            }
            // On a lake's side the structure passes the lake's concentration
            // and takes at most what the lake holds.
            const int nb_lake = nb_link >= 1 && lake_like(s, nb_link) ? lake_of(s, nb_link) : 0;
            if (nb_link >= 1 && (!lake_like(s, nb_link) || nb_lake >= 1)) {
                const int j = flat(s, nb_node, nb_link);
                for (int n = 1; n <= nl; ++n) {
                    const double q = s.qp_vol_sed[n][l];
                    for (int k = 1; k <= f; ++k) {
                        double v = q * (nb_lake ? s.SS_conc_vol_lake[nb_lake][k] : C[j][k]);
                        const double held =
                            nb_lake ? std::max(s.SS_vol_lake[nb_lake][k], 0.0) : cap[nb_node][nb_link][k];
                        if (std::fabs(v) > held)
                            v = q >= 0.0 ? held : -held;
                        F[flat(s, n, l)][k] = v;
                    }
                }
            }
            if (s.ndep[l] >= 1 && !lake_like(s, s.uslinks[l][1])) {
                const int u = s.uslinks[l][1];
                for (int k = 1; k <= f; ++k)
                    F[flat(s, s.nx[u], u)][k] = F[flat(s, nl, l)][k];
            }
            continue;
        }
        for (int e = s.nx[l]; e >= 2; --e) {
            const double q = s.qp_vol_sed[e - 1][l];
            const int up = flat(s, e - 1, l), dn = flat(s, e, l);
            for (int k = 1; k <= f; ++k)
                F[up][k] = q >= 0.0 ? std::min(C[up][k] * q, cap[e - 1][l][k])
                                    : std::max(C[dn][k] * q, -cap[e][l][k]);
        }
        // Node 1 and the last nodes of the links above it: reversed flow
        // shares node 1's volume among them in the order of the list.
        const int n1 = flat(s, 1, l);
        for (int k = 1; k <= f; ++k) {
            double left = cap[1][l][k];
            for (int j = 1; j <= s.ndep[l]; ++j) {
                const int u = s.uslinks[l][j];
                if (u < 1 || (s.ltype[u] & 64) || lake_like(s, u))
                    continue;
                const int U = s.nx[u];
                const double q = s.qp_vol_sed[U][u];
                double& v = F[flat(s, U, u)][k];
                if (q >= 0.0) {
                    v = std::min(C[flat(s, U, u)][k] * q, cap[U][u][k]);
                } else {
                    v = std::max(C[n1][k] * q, -left);
                    left += v;
                }
            }
        }
        if (l == L) {
            const int nl = s.nx[l];
            const double q = s.qp_vol_sed[nl][l];
            const int j = flat(s, nl, l);
            for (int k = 1; k <= f; ++k)
                F[j][k] = std::clamp(C[j][k] * q, 0.0, std::max(cap[nl][l][k], 0.0));
        }
    }
}

// Applies the face fluxes to the node volumes and recomputes the volume
// concentrations. A node without water keeps its wash load (concentration
// 0) until it is wet again.
void chan_wash_update(const model_state& s, const dmat& F, dcube& vol, dmat& C)
{
    const int f = s.num_fine_classes;
    for (int l = 1; l <= s.num_links; ++l) {
        if (!routed(s, l))
            continue;
        for (int n = 1; n <= s.nx[l]; ++n) {
            const int j = flat(s, n, l);
            const double V = node_volume(s, n, l);
            double sum = 0.0;
            for (int k = 1; k <= f; ++k) {
                double in = 0.0;
                if (n == 1) {
                    for (int u = 1; u <= s.ndep[l]; ++u) {
                        const int ul = s.uslinks[l][u];
                        // Water leaves a lake only through a structure.
                        if (ul >= 1 && !lake_like(s, ul))
                            in += F[flat(s, s.nx[ul], ul)][k];
                    }
                } else {
                    in = F[j - 1][k];
                }
                double& v = vol[n][l][k];
                v += in - F[j][k];
                double c = V >= tiny ? v / V : 0.0;
                if (c < -tiny) {
                    v = 0.0;
                    c = 0.0;
                }
                C[j][k] = c;
                sum += v;
            }
            vol[n][l][0] = sum;
            C[j][0] = 0.0;
        }
    }
}

// Books the averaged face fluxes of the step between channels and lakes:
// what the channels ending in a lake (or in a link the lake has taken)
// carry into it, and what leaves it through the structure below it, the
// same faces through which the routing moves the lake's water. The flux
// out of a lake is the one at node 1 of the structure link it drains into.
void lake_wash_exchange(model_state& s)
{
    const int f = s.num_fine_classes;
    for (int l = 1; l <= s.num_links; ++l) {
        const int lake = lake_like(s, l) ? lake_of(s, l) : 0;
        if (lake < 1)
            continue;
        for (int j = 1; j <= s.ndep[l]; ++j) {
            const int u = s.uslinks[l][j];
            if (u < 1 || lake_like(s, u) || s.nx[u] < 1)
                continue;
            const int U = flat(s, s.nx[u], u);
            for (int k = 1; k <= f; ++k) {
                const double v = s.advect_flux[U][k];
                s.SS_vol_lake[lake][k] += v;
                for (dmat* a : {&s.SS_vol_chan_to_lake, &s.GLOBAL_SS_vol_chan_to_lake}) {
                    (*a)[lake][k] += v;
                    (*a)[lake][0] += v;
                    (*a)[0][k] += v;
                    (*a)[0][0] += v;
                }
            }
        }
        const int ds = s.dslink[l];
        if ((s.ltype[l] & 32) && ds >= 1 && (s.ltype[ds] & 64)) {
            const int n1 = flat(s, 1, ds);
            for (int k = 1; k <= f; ++k) {
                const double v = s.advect_flux[n1][k];
                s.SS_vol_lake[lake][k] -= v;
                for (dmat* a : {&s.SS_vol_lake_to_chan, &s.GLOBAL_SS_vol_lake_to_chan}) {
                    (*a)[lake][k] += v;
                    (*a)[lake][0] += v;
                    (*a)[0][k] += v;
                    (*a)[0][0] += v;
                }
            }
        }
    }
}

// Settling of every lake's wash load over dt seconds, at the fall velocity
// over the lake's area, at most what the lake holds; the settled volume is
// spread evenly over the lake's cells as overland deposits.
void lake_wash_settling(model_state& s, double dt)
{
    const int f = s.num_fine_classes;
    const int nl = s.num_lakes;
    for (int l = 0; l <= nl; ++l)
        s.num_lake_cells[l] = 0;
    const int cells = std::min(s.num_cells, s.lake_mask.size());
    for (int c = 1; c <= cells; ++c)
        if (s.lake_mask[c] >= 1 && s.lake_mask[c] <= nl)
            ++s.num_lake_cells[s.lake_mask[c]];
    for (int l = 1; l <= nl; ++l) {
        for (int k = 1; k <= f; ++k) {
            double v = 0.0;
            if (s.num_lake_cells[l] > 0 && s.ov_sed) {
                const double rate = dt * s.fall_velocity[s.sed_class[k]] * s.lake_area[l];
                v = std::clamp(rate * s.SS_conc_vol_lake[l][k], 0.0, std::max(s.SS_vol_lake[l][k], 0.0));
            }
            s.lake_settled_step[l][k] = v;
        }
    }
    if (!s.ov_sed)
        return;
    sediment_table& t = *s.ov_sed;
    for (int c = 1; c <= cells; ++c) {
        const int l = s.lake_mask[c];
        if (l < 1 || l > nl)
            continue;
        for (int k = 1; k <= f; ++k)
            t.cell_tally[c][s.sed_class[k]].deposited += s.lake_settled_step[l][k] / s.num_lake_cells[l];
    }
}

// The lakes' suspended volumes after the step: the overland exchange since
// the last step joins, the settled volume leaves, and the concentrations
// follow (0 for a lake without water).
void lake_wash_update(model_state& s)
{
    const int f = s.num_fine_classes;
    for (int l = 1; l <= s.num_lakes; ++l) {
        double sum = 0.0;
        double mass = 0.0;
        const double V = s.lake_volume[l];
        for (int k = 1; k <= f; ++k) {
            const int c = s.sed_class[k];
            // The overland step keeps a running net volume into each lake;
            // the lake takes up what was added since the last step.
            const double from_ov = s.sed_vol_overland_to_lake[l][c] - s.lake_ov_taken[l][c];
            s.lake_ov_taken[l][c] = s.sed_vol_overland_to_lake[l][c];
            const double settled = s.lake_settled_step[l][k];
            double& v = s.SS_vol_lake[l][k];
            v += from_ov - settled;
            for (dmat* a : {&s.SS_vol_overland_to_lake, &s.GLOBAL_SS_vol_overland_to_lake}) {
                (*a)[l][k] += from_ov;
                (*a)[l][0] += from_ov;
                (*a)[0][k] += from_ov;
                (*a)[0][0] += from_ov;
            }
            for (dmat* a : {&s.SS_vol_lake_settled, &s.GLOBAL_SS_vol_lake_settled}) {
                (*a)[l][k] += settled;
                (*a)[l][0] += settled;
                (*a)[0][k] += settled;
                (*a)[0][0] += settled;
            }
            s.lake_washload_in_event += from_ov;
            s.lake_washload_in_total += from_ov;
            s.lake_washload_settled_event += settled;
            s.lake_washload_settled_total += settled;
            const double conc = V > tiny ? v / V : 0.0;
            s.SS_conc_vol_lake[l][k] = conc;
            s.SS_conc_lake[l][k] = conc * 998200.0 * s.spec_grav[c];
            sum += v;
            mass += s.SS_conc_lake[l][k];
        }
        s.SS_vol_lake[l][0] = sum;
        s.SS_conc_vol_lake[l][0] = V > tiny ? sum / V : 0.0;
        s.SS_conc_lake[l][0] = mass;
    }
}

} // namespace

void chan_constituent_transport(model_state& s, double dt)
{
    const int f = s.num_fine_classes;
    if (!s.chan_sed_on || f < 1 || s.SS_node_conc_vol.empty() || dt <= 0.0)
        return;
    const int L = s.num_links;
    // Lateral wash load, then the concentrations.
    for (int l = 1; l <= L; ++l) {
        if (!routed(s, l))
            continue;
        for (int n = 1; n <= s.nx[l]; ++n) {
            const int j = flat(s, n, l);
            const double V = node_volume(s, n, l);
            double sum = 0.0;
            for (int k = 1; k <= f; ++k) {
                double& lateral = s.qlat_sed[n][l][s.sed_class[k]];
                s.ch_wash_vol[n][l][k] += lateral;
                lateral = 0.0;
                sum += s.ch_wash_vol[n][l][k];
                s.SS_node_conc_vol[j][k] = V > tiny ? s.ch_wash_vol[n][l][k] / V : 0.0;
                s.temp_conc[j][k] = s.SS_node_conc_vol[j][k];
                s.temp_mass[n][l][k] = s.ch_wash_vol[n][l][k];
            }
            s.ch_wash_vol[n][l][0] = sum;
            s.SS_node_conc_vol[j][0] = V > tiny ? sum / V : 0.0;
        }
    }
    chan_wash_fluxes(s, s.SS_node_conc_vol, s.ch_wash_vol, s.temp_flux);
    chan_wash_update(s, s.temp_flux, s.temp_mass, s.temp_conc);
    chan_wash_fluxes(s, s.temp_conc, s.temp_mass, s.advect_flux);
    for (int l = 1; l <= L; ++l) {
        for (int n = 1; n <= s.nx[l]; ++n) {
            const int j = flat(s, n, l);
            double sum = 0.0;
            for (int k = 1; k <= f; ++k) {
                const double a = 0.5 * (s.temp_flux[j][k] + s.advect_flux[j][k]);
                s.advect_flux[j][k] = a;
                s.qsmax[j][k] = a / dt;
                sum += a;
            }
            s.advect_flux[j][0] = sum;
            s.qsmax[j][0] = sum / dt;
        }
    }
    if (L >= 1 && s.nx[L] >= 1) {
        const int j = flat(s, s.nx[L], L);
        for (int k = 0; k <= f; ++k)
            s.chan_wash_outlet[k] = s.qsmax[j][k];
    }
    chan_wash_update(s, s.advect_flux, s.ch_wash_vol, s.SS_node_conc_vol);
    if (s.chan_lakes && !s.SS_vol_lake.empty()) {
        // The lakes settle from what they hold after the channel exchange.
        lake_wash_exchange(s);
        lake_wash_settling(s, dt);
        lake_wash_update(s);
    }
    for (int l = 1; l <= L; ++l) {
        if (!routed(s, l))
            continue;
        for (int n = 1; n <= s.nx[l]; ++n) {
            const int j = flat(s, n, l);
            const double V = node_volume(s, n, l);
            double sum = 0.0;
            for (int k = 1; k <= f; ++k) {
                const int c = s.sed_class[k];
                const double m = V > tiny ? s.ch_wash_vol[n][l][k] * s.particle_density[c] / V : 0.0;
                s.chan_sed_conc[j][c] = m;
                sum += m;
            }
            s.chan_sed_conc[j][0] = sum;
        }
    }
}
