// Node masses of the dissolved routing after one sub-step: each node of a
// routed link gathers the fluxes of its own faces (the face into it from
// the node above, or from the last nodes of every upstream link, and the
// face out of it) and its source rate. The outlet node has no face out: its
// outflow is the outlet term of its sources.
#include <algorithm>

#include "core/model_state.h"
#include "quality/chan_wq_route.h"

namespace
{

constexpr double tiny = 1e-16;

} // namespace

double chan_wq_update(const chan_wq_net& net, const model_state& s, const std::vector<double>& area_adt,
                      const std::vector<double>& m_start, const std::vector<double>& F,
                      const std::vector<double>& Fd, const std::vector<double>& S, double h,
                      std::vector<double>& m, std::vector<double>& c, std::vector<double>& lost)
{
    const int nd = net.node_dim;
    double lowest = 0.0;
    for (int l = 1; l <= net.links; ++l) {
        if (net.kind[l] != wq_routed)
            continue;
        const int nx = net.nodes[l];
        const int base = nd * l;
        const double dx = net.dx[l];
        const bool outlet_link = s.dslink[l] < 1;
        double in_F = 0.0, in_Fd = 0.0;
        for (int k = 1; k <= s.ndep[l]; ++k) {
            const int u = s.uslinks[l][k];
            if (u < 1)
                continue;
            const int j = nd * u + net.nodes[u];
            in_F += F[j];
            in_Fd += Fd[j];
        }
        for (int n = 1; n <= nx; ++n) {
            const int j = base + n;
            const bool face_out = n < nx || !outlet_link;
            const double out_F = face_out ? F[j] : 0.0;
            const double out_Fd = face_out ? Fd[j] : 0.0;
            const double mass = m_start[j] + (in_Fd - out_Fd + S[j]) * h + (in_F - out_F);
            const double V = area_adt[j] * dx;
            if (V < tiny) {
                lost[j] = mass;
                m[j] = 0.0;
                c[j] = 0.0;
            } else {
                lost[j] = 0.0;
                m[j] = mass;
                c[j] = mass / V;
                lowest = std::min(lowest, mass);
            }
            in_F = out_F;
            in_Fd = out_Fd;
        }
    }
    return lowest;
}
