// Sets the groundwater head of every XY boundary cell: the cells given by
// number from their own series, the interpolated cells from the weighted
// mean of their sources.
#include "coupling/coupling_services.h"

namespace
{

void set_head(dvec& heads, const dvec& storage, int cell, double v, double area, double& gain, double& loss)
{
    if (cell < 1 || cell > heads.size() || cell > storage.size())
        return;
    const double change = v - heads[cell];
    if (change < 0.0)
        loss += -change * area * storage[cell];
    else
        gain += change * area * storage[cell];
    heads[cell] = v;
}

} // namespace

void apply_gw_xy_bdy(xy_input& in, dvec& heads, const dvec& storage, double dx, double& gain, double& loss,
                     double t)
{
    gain = loss = 0.0;
    const double area = dx * dx;
    for (int k = 0; k < in.num_gw_points; ++k) {
        const xy_point& p = in.gwpts[k];
        if (p.series)
            set_head(heads, storage, p.cell, ts_value_at(t, p.series), area, gain, loss);
    }
    for (int k = 0; k < in.num_gw_interp_points; ++k) {
        const xy_interp_cell& c = in.gwInterpPts[k];
        double sum = 0.0, wsum = 0.0;
        for (int m = 0; m < c.count; ++m) {
            if (!c.series[m])
                continue;
            sum += c.weights[m] * ts_value_at(t, c.series[m]);
            wsum += c.weights[m];
        }
        if (wsum > 0.0)
            set_head(heads, storage, c.cell, sum / wsum, area, gain, loss);
    }
}
