#include "coupling/coupling_services.h"

// TODO: XY overland boundary inputs: set the depth of each XY overland
// point's cell (and of the interpolated cells) from its series at time t,
// not below 0, adding the water given to vol_in and the water removed to
// vol_out. The XY boundary reader does not fill the points yet.
void apply_ov_xy_bdy(xy_input& /*in*/, dvec& /*depth*/, double /*dx*/, double& /*vol_in*/,
                     double& /*vol_out*/, double /*t*/)
{
}
