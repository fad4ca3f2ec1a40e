// The dissolved routing of one constituent over one channel constituent
// step: Courant-limited sub-steps, a predictor and an averaged-flux
// iteration in each, and a restart from the state at the start of the step
// with half the sub-step when a node mass goes clearly negative.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "core/model_state.h"
#include "quality/chan_wq_route.h"

namespace
{

constexpr double tiny = 1e-16;
constexpr double courant_limit = 0.5;
constexpr double courant_floor = 0.1; // s: the Courant rule goes no lower
constexpr double collapse = 0.01;     // s: a failed sub-step below this stops the run
constexpr int max_iterations = 100;   // over the whole step
constexpr double converged = 1e-6;    // largest concentration change, g/m3
constexpr double failed_mass = -1e-6; // g

bool lake_like(int t)
{
    return (t & 32) || ((t & 128) && (t & (4 | 8 | 16)));
}

// Calls f(flat index) for every routed node.
template <class Fn> void each_node(const chan_wq_net& net, Fn&& f)
{
    for (int l = 1; l <= net.links; ++l) {
        if (net.kind[l] != wq_routed)
            continue;
        const int base = net.node_dim * l;
        for (int n = 1; n <= net.nodes[l]; ++n)
            f(base + n);
    }
}

// Negative iterates become 0; returns the (negative) mass so raised.
double clip(const chan_wq_net& net, std::vector<double>& m, std::vector<double>& c)
{
    double raised = 0.0;
    each_node(net, [&](int j) {
        if (m[j] < -tiny) {
            raised += m[j];
            m[j] = 0.0;
        }
        if (c[j] < -tiny)
            c[j] = 0.0;
    });
    return raised;
}

double largest_courant(const chan_wq_net& net, const chan_wq_work& w, double h, double dt)
{
    double E = 0.0;
    for (int l = 1; l <= net.links; ++l) {
        if (net.kind[l] != wq_routed)
            continue;
        const int base = net.node_dim * l;
        const double dx = net.dx[l];
        for (int n = 1; n <= net.nodes[l]; ++n) {
            const int j = base + n;
            const double q = std::fabs(net.qv[j]) * h / dt;
            const double v = dx * w.area_adt[j];
            double cr;
            if (v > 1e-6)
                cr = q / v;
            else
                cr = dx * net.a_new[j] > 1e-6 ? 5.0 : q;
            E = std::max(E, cr);
        }
    }
    return E;
}

// Back to the start of the step: node and lake state, interpolated areas
// and volumes, and the exchanges booked so far.
void restart(const chan_wq_net& net, chan_wq_work& w)
{
    each_node(net, [&](int j) {
        w.C[j] = w.c_step[j];
        w.M[j] = w.m_step[j];
        w.area_adt[j] = net.a_old[j];
    });
    for (int k = 1; k <= net.lakes; ++k) {
        w.lake_C[k] = w.lake_C_step[k];
        w.lake_M[k] = w.lake_M_step[k];
        w.V[k] = net.v_old[k];
        w.lake_in[k] = w.lake_out[k] = 0.0;
    }
    w.to_lake = w.lake_outlet = w.removed = 0.0;
    w.substeps = 0;
}

template <class T> void size_to(std::vector<T>& v, std::size_t n)
{
    v.assign(n, T());
}

} // namespace

bool chan_wq_setup(model_state& s, int threads)
{
    const std::size_t cells = static_cast<std::size_t>(std::max(s.link_node_cells, 0)) + 1;
    const std::size_t links = static_cast<std::size_t>(std::max(s.num_links, 0)) + 1;
    const std::size_t lakes = static_cast<std::size_t>(std::max(s.num_lakes, 0)) + 1;
    try {
        chan_wq_net& net = s.wq_net;
        net.links = s.num_links;
        net.node_dim = s.node_dim;
        net.lakes = s.chan_lakes ? s.num_lakes : 0;
        for (std::vector<int>* v : {&net.kind, &net.nodes, &net.lake})
            size_to(*v, links);
        size_to(net.dx, links);
        for (std::vector<double>* v : {&net.qv, &net.a_old, &net.a_new})
            size_to(*v, cells);
        size_to(net.v_old, lakes);
        size_to(net.v_new, lakes);
        s.wq_work.clear();
        s.wq_work.resize(static_cast<std::size_t>(std::max(threads, 1)));
        for (chan_wq_work& w : s.wq_work) {
            for (std::vector<double>* v :
                 {&w.C, &w.M, &w.K, &w.S, &w.area_adt, &w.c0, &w.m0, &w.c_step, &w.m_step, &w.F, &w.Fd, &w.Fa,
                  &w.Fda, &w.c_it, &w.m_it, &w.c_prev, &w.lost})
                size_to(*v, cells);
            for (std::vector<double>* v : {&w.lake_C, &w.lake_M, &w.lake_S, &w.lake_C_step, &w.lake_M_step,
                                           &w.V, &w.lake_in, &w.lake_out})
                size_to(*v, lakes);
        }
    } catch (const std::bad_alloc&) {
        std::printf("Error allocating memory for variable %s\n", "area_adt");
        s.wq_work.clear();
        return false;
    }
    return true;
}

bool chan_wq_sized(const model_state& s)
{
    const chan_wq_net& net = s.wq_net;
    const std::size_t cells = static_cast<std::size_t>(std::max(s.link_node_cells, 0)) + 1;
    return !s.wq_work.empty() && net.links == s.num_links && net.node_dim == s.node_dim &&
           net.qv.size() == cells && s.wq_work.front().C.size() == cells &&
           net.lakes == (s.chan_lakes ? s.num_lakes : 0);
}

void chan_wq_net_fill(const model_state& s, chan_wq_net& net)
{
    const int nd = net.node_dim;
    for (int l = 1; l <= net.links; ++l) {
        const int t = s.ltype[l];
        const int kind = lake_like(t) ? wq_lake : (t & 64) ? wq_structure : wq_routed;
        net.kind[l] = kind;
        int nodes = s.nx[l];
        if (kind == wq_routed && s.chan_lakes && l <= s.og_nx1.size())
            nodes = std::min(nodes, s.og_nx1[l]);
        net.nodes[l] = std::min(nodes, nd - 1);
        const int lake = kind == wq_lake && l <= s.lake2link.size() ? s.lake2link[l] : 0;
        net.lake[l] = lake >= 1 && lake <= net.lakes ? lake : 0;
        net.dx[l] = s.link_dx[l];
        const int base = nd * l;
        for (int n = 1; n <= s.nx[l] && n < nd; ++n) {
            net.qv[base + n] = s.qp_vol[n][l];
            net.a_old[base + n] = s.area_old[n][l];
            net.a_new[base + n] = s.area[n][l];
        }
    }
    for (int k = 1; k <= net.lakes; ++k) {
        net.v_old[k] = s.lake_volume_last_chan[k];
        net.v_new[k] = s.lake_volume[k];
    }
}

int chan_wq_route(const chan_wq_net& net, const model_state& s, chan_wq_work& w, double dt)
{
    each_node(net, [&](int j) {
        w.c_step[j] = w.C[j];
        w.m_step[j] = w.M[j];
    });
    for (int k = 1; k <= net.lakes; ++k) {
        w.lake_C_step[k] = w.lake_C[k];
        w.lake_M_step[k] = w.lake_M[k];
    }
    w.iterations = 0;
    w.last_h = 0.0;
    double h = dt;
    int& j_count = w.iterations;
    restart(net, w);
    double R = dt;
    while (R > tiny) {
        const double E = largest_courant(net, w, h, dt);
        each_node(net, [&](int j) {
            w.c0[j] = w.C[j];
            w.m0[j] = w.M[j];
        });
        if (E > courant_limit && h > courant_floor)
            h = std::max(h * courant_limit / E, courant_floor);
        R -= h;
        // A remainder of rounding (not a real sub-step) ends the step too.
        if (R < 1e-12 * dt) {
            h += R;
            R = 0.0;
        }
        const double f = h / dt;
        each_node(net, [&](int j) { w.area_adt[j] += (net.a_new[j] - net.a_old[j]) * f; });
        for (int k = 1; k <= net.lakes; ++k)
            w.V[k] += (net.v_new[k] - net.v_old[k]) * f;

        // Predictor from the state at the start of the sub-step.
        chan_wq_fluxes(net, s, w.c0, w.K, w.lake_C, h, dt, w.Fa, w.Fda);
        double lowest = chan_wq_update(net, s, w.area_adt, w.m0, w.Fa, w.Fda, w.S, h, w.m_it, w.c_it, w.lost);
        double raised = clip(net, w.m_it, w.c_it);
        // Averaged fluxes until the concentrations settle.
        for (;;) {
            chan_wq_fluxes(net, s, w.c_it, w.K, w.lake_C, h, dt, w.F, w.Fd);
            each_node(net, [&](int j) { w.c_prev[j] = w.c_it[j]; });
            // Faces are stored at the nodes of every kind of link.
            for (int l = 1; l <= net.links; ++l) {
                const int base = net.node_dim * l;
                for (int n = 1; n <= net.nodes[l]; ++n) {
                    const int j = base + n;
                    w.Fa[j] = 0.5 * (w.F[j] + w.Fa[j]);
                    w.Fda[j] = 0.5 * (w.Fd[j] + w.Fda[j]);
                }
            }
            lowest = chan_wq_update(net, s, w.area_adt, w.m0, w.Fa, w.Fda, w.S, h, w.m_it, w.c_it, w.lost);
            ++j_count;
            raised = clip(net, w.m_it, w.c_it);
            double change = 0.0;
            each_node(net, [&](int j) { change = std::max(change, std::fabs(w.c_it[j] - w.c_prev[j])); });
            if (!(change > converged && j_count <= max_iterations))
                break;
        }
        if (lowest < failed_mass) {
            h *= 0.5;
            if (h < collapse)
                return -1;
            restart(net, w);
            R = dt;
            continue;
        }
        if (R > tiny && j_count > max_iterations)
            for (int l = 1; l <= net.links; ++l)
                if (net.kind[l] == wq_routed && h > courant_floor)
                    h *= 0.5;
        double lost = 0.0;
        each_node(net, [&](int j) {
            w.C[j] = w.c_it[j];
            w.M[j] = w.m_it[j];
            lost += w.lost[j];
        });
        w.removed += lost + raised;
        if (net.lakes > 0)
            lake_wq_update(net, s, w, h);
        ++w.substeps;
        w.last_h = h;
    }
    return 0;
}
