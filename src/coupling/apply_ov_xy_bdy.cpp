// Sets the overland depth of every XY boundary cell from its series.
#include <algorithm>

#include "coupling/coupling_services.h"

void apply_ov_xy_bdy(xy_input& in, dvec& depth, double dx, double& vol_in, double& vol_out, double t)
{
    const double area = dx * dx;
    const int cells = depth.size();
    for (int k = 0; k < in.num_ov_points; ++k) {
        const xy_point& p = in.ovpts[k];
        if (!p.series || p.cell < 1 || p.cell > cells)
            continue; // cell numbers were checked when the cells became known
        const double v = std::max(ts_value_at(t, p.series), 0.0);
        const double change = v - depth[p.cell];
        if (change < 0.0)
            vol_out += -change * area;
        else
            vol_in += change * area;
        depth[p.cell] = v;
    }
}
