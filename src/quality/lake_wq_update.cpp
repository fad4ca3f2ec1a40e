// Lake masses of the dissolved routing after one sub-step: a lake gains the
// averaged advective mass of the faces from its upstream links, loses that
// of the face into its downstream link and adds its source rate.
#include "core/model_state.h"
#include "quality/chan_wq_route.h"

void lake_wq_update(const chan_wq_net& net, const model_state& s, chan_wq_work& w, double h)
{
    const int nd = net.node_dim;
    for (int l = 1; l <= net.links; ++l) {
        const int lake = net.lake[l];
        if (net.kind[l] != wq_lake || lake < 1)
            continue;
        for (int k = 1; k <= s.ndep[l]; ++k) {
            const int u = s.uslinks[l][k];
            if (u < 1 || net.kind[u] == wq_lake)
                continue;
            const double in = w.Fa[nd * u + net.nodes[u]];
            w.lake_M[lake] += in;
            w.lake_in[lake] += in;
            w.to_lake += in;
        }
        const int d = s.dslink[l];
        if (d >= 1 && net.kind[d] != wq_lake) {
            const double out = w.Fa[nd * l + net.nodes[l]];
            w.lake_M[lake] -= out;
            w.lake_out[lake] += out;
            w.lake_outlet += out;
        }
    }
    for (int k = 1; k <= net.lakes; ++k) {
        w.lake_M[k] += h * w.lake_S[k];
        // A lake of no volume holds no finite concentration.
        w.lake_C[k] = w.V[k] > 1e-16 ? w.lake_M[k] / w.V[k] : 0.0;
    }
}
