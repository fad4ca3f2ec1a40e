// Face fluxes of the dissolved routing: upwind advective mass and
// dispersive rate on every face between consecutive nodes, stored at the
// upstream node of the face. Faces into a lake carry the lake's
// concentration when the water flows back out of it; a structure passes the
// concentration of the side the water comes from, and what it passes is
// also the flux out of the node above it.
#include <algorithm>

#include "core/model_state.h"
#include "quality/chan_wq_route.h"

namespace
{

constexpr double tiny = 1e-16;

} // namespace

void chan_wq_fluxes(const chan_wq_net& net, const model_state& s, const std::vector<double>& c,
                    const std::vector<double>& K, const std::vector<double>& lake_C, double h, double dt,
                    std::vector<double>& F, std::vector<double>& Fd)
{
    const int nd = net.node_dim;
    const double f = h / dt;
    const double* qv = net.qv.data();
    const double* A = net.a_old.data();
    auto conc_of_last = [&](int u) {
        return net.kind[u] == wq_lake ? lake_C[net.lake[u]] : c[nd * u + net.nodes[u]];
    };
    for (int l = net.links; l >= 1; --l) {
        const int kind = net.kind[l];
        const int nx = net.nodes[l];
        const int base = nd * l;
        if (kind == wq_lake) {
            const double cl = lake_C[net.lake[l]];
            for (int k = 1; k <= s.ndep[l]; ++k) {
                const int u = s.uslinks[l][k];
                if (u < 1 || net.kind[u] == wq_structure)
                    continue;
                const int j = nd * u + net.nodes[u];
                double v = 0.0;
                if (net.kind[u] == wq_routed) {
                    const double w = qv[j];
                    if (w > tiny)
                        v = w * c[j] * f;
                    else if (w < -tiny)
                        v = w * cl * f;
                }
                F[j] = v;
                Fd[j] = 0.0;
            }
            continue;
        }
        if (kind == wq_structure) {
            const double w1 = qv[base + 1];
            double cn = 0.0;
            bool flowing = false;
            if (w1 >= tiny && s.ndep[l] >= 1 && s.uslinks[l][1] >= 1) {
                cn = conc_of_last(s.uslinks[l][1]);
                flowing = true;
            } else if (w1 <= -tiny && s.dslink[l] >= 1) {
                const int d = s.dslink[l];
                cn = net.kind[d] == wq_lake ? lake_C[net.lake[d]] : c[nd * d + 1];
                flowing = true;
            }
            for (int n = 1; n <= nx; ++n) {
                F[base + n] = flowing ? qv[base + n] * cn * f : 0.0;
                Fd[base + n] = 0.0;
            }
            // The node or lake above gives what the structure passes on.
            for (int k = 1; k <= s.ndep[l]; ++k) {
                const int u = s.uslinks[l][k];
                if (u < 1)
                    continue;
                const int j = nd * u + net.nodes[u];
                F[j] = k == 1 ? F[base + nx] : 0.0;
                Fd[j] = 0.0;
            }
            continue;
        }
        const double dx = net.dx[l];
        for (int k = nx; k >= 2; --k) {
            const int up = base + k - 1, dn = base + k;
            const double w = qv[up];
            F[up] = (w >= 0.0 ? w * c[up] : w * c[dn]) * f;
            Fd[up] = A[up] > 0.0 && A[dn] > 0.0
                         ? std::min(A[up] * K[up], A[dn] * K[dn]) * (c[up] - c[dn]) / dx
                         : 0.0;
        }
        const int n1 = base + 1;
        for (int k = 1; k <= s.ndep[l]; ++k) {
            const int u = s.uslinks[l][k];
            if (u < 1 || net.kind[u] == wq_structure)
                continue;
            const int j = nd * u + net.nodes[u];
            const double w = qv[j];
            const double cu = conc_of_last(u);
            F[j] = (w >= 0.0 ? w * cu : w * c[n1]) * f;
            Fd[j] = net.kind[u] == wq_routed && A[j] > 0.0 && A[n1] > 0.0
                        ? std::min(A[j] * K[j], A[n1] * K[n1]) * (c[j] - c[n1]) / dx
                        : 0.0;
        }
        if (s.dslink[l] < 1) {
            // The outlet node has no downstream face: what leaves it is the
            // outlet term of the node's sources. Its flux is kept for the
            // link/node outputs only.
            const int j = base + nx;
            F[j] = qv[j] * c[j] * f;
            Fd[j] = 0.0;
        }
    }
}
