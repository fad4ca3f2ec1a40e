// The constituent mass attached to the wash load, carried from node to
// node with the wash-load discharge of each fine class at the upwind
// node's (or lake's) attached concentration.
#include <algorithm>

#include "core/model_state.h"
#include "quality/chan_sed_contam.h"

namespace
{

int flat(const model_state& s, int node, int link)
{
    return s.node_dim * link + node;
}

int lake_of(const model_state& s, int link)
{
    const int lake = link >= 1 && link <= s.lake2link.size() ? s.lake2link[link] : 0;
    return lake >= 1 && lake <= s.num_lakes ? lake : 0;
}

// Attached concentration (g per m3 of wash load) of class c at a node or
// in a lake; 0 where the rows do not reach.
double node_conc(const model_state& s, int i, int node, int c)
{
    const matrix_stack& a = s.chan_sed_contam_node_conc;
    return node >= 0 && node <= a.rows && c <= a.cols ? a.table[i][node][c] : 0.0;
}

double lake_conc(const model_state& s, int i, int lake, int c)
{
    const matrix_stack& a = s.lake_sed_contam_conc;
    return lake >= 1 && lake <= a.rows && c <= a.cols && i <= a.count ? a.table[i][lake][c] : 0.0;
}

// The upwind attached concentration of class c for the wash load q leaving
// node n of link l.
double upwind_conc(const model_state& s, int i, int l, int n, int c, double q)
{
    const int type = s.ltype[l];
    const int ds = s.dslink[l];
    if (q >= 0.0) {
        if (con_lake_like_link(s, l))
            return lake_conc(s, i, lake_of(s, l), c);
        if (type & 64) {
            // A structure passes on what the link above it sends.
            const int u = s.ndep[l] >= 1 ? s.uslinks[l][1] : 0;
            if (u < 1)
                return 0.0;
            if (con_lake_like_link(s, u))
                return lake_conc(s, i, lake_of(s, u), c);
            return node_conc(s, i, flat(s, s.nx[u], u), c);
        }
        return node_conc(s, i, flat(s, n, l), c);
    }
    // Reversed flow brings the downstream water's attached mass: the next
    // node's, or past the link's last node the lake's or the first node's
    // of the link below.
    if (n < s.nx[l])
        return node_conc(s, i, flat(s, n + 1, l), c);
    if (ds >= 1 && ds <= s.num_links && con_lake_like_link(s, ds))
        return lake_conc(s, i, lake_of(s, ds), c);
    if (ds >= 1 && ds <= s.num_links)
        return node_conc(s, i, flat(s, 1, ds), c);
    return node_conc(s, i, flat(s, n, l), c);
}

} // namespace

bool con_lake_like_link(const model_state& s, int link)
{
    const int t = s.ltype[link];
    return (t & 32) || ((t & 128) && (t & (4 | 8 | 16)));
}

bool con_routed_link(const model_state& s, int link)
{
    return !con_lake_like_link(s, link) && !(s.ltype[link] & 64);
}

void chan_sed_con_route(model_state& s, double dt, int i)
{
    const int L = s.num_links;
    const int F = std::min(s.num_fine_classes, s.sed_class.size());
    dvec& D = s.chan_sed_con_out;
    dvec& lat = s.chan_sed_con_lat;
    for (int j = 0; j <= D.size(); ++j)
        D[j] = lat[j] = 0.0;
    matrix_stack& qlat_sed = s.chan_qlat_sed_mass;
    const bool lateral = i <= qlat_sed.count;

    // 1. What leaves each node, and the lateral attached inflow.
    for (int l = L; l >= 1; --l) {
        const int ds = s.dslink[l];
        const bool lake_like = con_lake_like_link(s, l);
        if (lake_like && ds >= 1 && ds <= L && con_lake_like_link(s, ds))
            continue; // one lake draining into another moves nothing here
        const bool routed = con_routed_link(s, l);
        for (int n = s.nx[l]; n >= 1; --n) {
            const int j = flat(s, n, l);
            for (int k = 1; k <= F; ++k) {
                const int c = s.sed_class[k];
                const double q = j <= s.qsmax.rows() ? s.qsmax[j][k] : 0.0;
                D[j] += q * dt * upwind_conc(s, i, l, n, c, q);
                if (routed && lateral && j <= qlat_sed.rows && c <= qlat_sed.cols)
                    lat[j] += qlat_sed.table[i][j][c];
            }
            if (lateral && j <= qlat_sed.rows)
                for (int c = routed ? 0 : 1; c <= qlat_sed.cols; ++c)
                    qlat_sed.table[i][j][c] = 0.0;
        }
    }

    // 2. Node totals; the lakes book what the channels bring and take.
    for (int l = 1; l <= L; ++l) {
        if (s.ltype[l] & 64)
            continue;
        double from_above = 0.0;
        for (int u = 1; u <= s.ndep[l]; ++u) {
            const int ul = s.uslinks[l][u];
            if (ul >= 1 && ul <= L)
                from_above += D[flat(s, s.nx[ul], ul)];
        }
        if (con_lake_like_link(s, l)) {
            // The lake takes the attached mass; its node keeps none.
            const int lake = lake_of(s, l);
            if (lake && i <= s.chan_lake_sed_source.count)
                s.chan_lake_sed_source[i][lake] += from_above - D[flat(s, 1, l)];
            continue;
        }
        double* total = s.chan_tot_node_mass[i];
        for (int n = 1; n <= s.nx[l]; ++n) {
            const int j = flat(s, n, l);
            const double in = lat[j] + (n == 1 ? from_above : D[j - 1]);
            total[j] += in - D[j];
        }
    }

    // 3. Lakes: their inputs, less the attached mass settled since the last
    // routing (lake_settled_vol_step, so each settled mass leaves the lake
    // once).
    if (!s.chan_lakes || s.num_lakes < 1 || i > s.lake_tot_mass.count)
        return;
    const dmat& settled_vol = s.lake_settled_vol_step;
    for (int lake = 1; lake <= s.num_lakes; ++lake) {
        double settled = 0.0;
        for (int k = 1; k <= F && lake <= settled_vol.rows() && k <= settled_vol.cols(); ++k)
            settled += lake_conc(s, i, lake, s.sed_class[k]) * settled_vol[lake][k];
        s.lake_settled_sed_mass[i][lake] += settled;
        if (i <= s.event_lake_settled_sed_mass.size())
            s.event_lake_settled_sed_mass[i] += settled / 1000.0;
        if (i <= s.LAKE_SETTLED_SED_MASS.size())
            s.LAKE_SETTLED_SED_MASS[i] += settled / 1000.0;
        s.lake_tot_mass[i][lake] += s.ov_lake_sed_source[i][lake] + s.chan_lake_sed_source[i][lake] - settled;
    }
}
