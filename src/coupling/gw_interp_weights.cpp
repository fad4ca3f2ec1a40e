#include "coupling/coupling_services.h"

#include "core/model_state.h"

// TODO: inverse-distance weights of the interpolated groundwater boundary cells.
void gw_interp_weights(xy_input& /*in*/, ivec& /*gwbound*/, int /*num_cells*/, const dvec& /*cell_x*/, const dvec& /*cell_y*/)
{
}
