// Storage coefficient of one cell from the Richards nodes its water table
// moved through since the start of the sub-step: the content of the node
// just above the table for small moves, else the thickness-weighted mean
// over the nodes passed.
#include <algorithm>
#include <cmath>

#include "core/model_state.h"
#include "subsurface/groundwater.h"

void gw_storage_from_nodes(model_state& s, int j)
{
    const double ground = s.ground_elev[j];
    const double head = s.elevgw[j];
    const int k = s.numcells[j];
    const int m = k - 1;
    const double* ths = s.THETAS[j];
    const double* dz = s.DZ[j];
    double& storage = s.gw_spec_yield[j];
    if (head > ground || m < 1) {
        storage = ths[1];
        return;
    }
    const double delta = 100.0 * (head - s.gw_head_substep[j]);
    if (delta == 0.0) {
        storage = ths[m];
        return;
    }
    const soil_layer_rec& r = s.soil_layers[static_cast<std::size_t>(s.soiltype[j])];
    double depth = 0.0, weighted = 0.0;
    if (delta > 0.0) {
        // Rise: the nodes above the table fill, the surface node with water
        // alone.
        double left = delta;
        int i = m;
        while (left > 0.0) {
            const double t = i >= 1 ? dz[i] : dz[0];
            const double th = i >= 1 ? ths[i] : 1.0;
            const double used = std::min(t, left);
            depth += used;
            weighted += used * th;
            left -= used;
            --i;
        }
        storage = i >= 1 && depth <= dz[m] ? ths[m] : weighted / depth;
        return;
    }
    // Fall: the nodes below the table drain.
    const int deepest = s.DZ.cols() - 1;
    const double aquifer_dz = 100.0 * s.aquifer_delta_z;
    double left = -delta;
    for (int i = k; left > 0.0; ++i) {
        const bool in_column = i <= deepest && i <= k;
        const double t = in_column && dz[i] > 0.0 ? dz[i] : (aquifer_dz > 0.0 ? aquifer_dz : dz[k]);
        const double th = in_column ? ths[i] : ths[k];
        const double used = std::min(t, left);
        depth += used;
        weighted += used * th;
        left -= used;
    }
    const double below = (ground - head) * 100.0; // cm
    double e = aquifer_dz;
    if (below <= r.depth[0])
        e = r.node_spacing[0];
    else if (below <= r.depth[0] + r.depth[1])
        e = r.node_spacing[1];
    else if (below <= r.depth[0] + r.depth[1] + r.depth[2])
        e = r.node_spacing[2];
    storage = depth + dz[m] <= 1.5 * e ? ths[m] : weighted / depth;
}
