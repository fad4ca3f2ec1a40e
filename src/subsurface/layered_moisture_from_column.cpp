// The three layer water contents of a layered-soil cell from its accounting
// column, used at an event start and when snowmelt wakes a dry watershed.
#include <algorithm>

#include "core/model_state.h"
#include "subsurface/infiltration.h"

bool layered_moisture_from_column(model_state& s, int j)
{
    const int t = s.soiltype[j];
    if (t < 0 || t >= soil_type_count)
        return false;
    const soil_layer_rec& soil = s.soil_layers[static_cast<std::size_t>(t)];
    const double d1 = soil.depth[0];
    const double d2 = soil.depth[1];
    const double* sat = soil.porosity;
    const double* res = soil.residual_sat;
    const double depth = s.soil_depth[j];
    // A column of no depth has the water table at the surface.
    double th[3] = {sat[0], sat[1], sat[2]};
    if (depth > 1e-16) {
        if (depth <= d1) {
            th[0] = s.soil_water_top[j] / depth;
        } else {
            if (d1 > 1e-16)
                th[0] = s.soil_water_top[j] / d1;
            if (depth < d1 + d2) {
                th[1] = s.soil_water_low[j] / (depth - d1);
            } else if (d2 > 1e-16) {
                th[1] = s.soil_water_low[j] / d2;
                th[2] = th[1];
            }
        }
    }
    for (int k = 0; k < 3; ++k)
        s.THETA_ML[j][k + 1] = std::min(std::max(th[k], res[k]), sat[k]);
    return true;
}
